#include "foundation/MWaitEvent.h"

#include <windows.h>

#include "foundation/MException.h"

namespace zephyr {

MWaitEvent::MWaitEvent() {
    // Auto-reset, not signalled.
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (event == nullptr) {
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
    *new (m_Native.bytes) HANDLE = event;
}

MWaitEvent::~MWaitEvent() { CloseHandle(*m_Native.As<HANDLE>()); }

void MWaitEvent::Set() { SetEvent(*m_Native.As<HANDLE>()); }

bool MWaitEvent::Wait(uint32_t timeout_ms) {
    // kInfinite is the system's INFINITE.
    const DWORD result = WaitForSingleObject(*m_Native.As<HANDLE>(), timeout_ms);
    if (result == WAIT_OBJECT_0) return true;
    if (result == WAIT_TIMEOUT) return false;
    throw MException("<MWaitEvent>等待事件发生错误");
}

}  // namespace zephyr
