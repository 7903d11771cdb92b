// Windows threads: a worker that overstays StopThread's time limit is terminated.
#include <process.h>
#include <windows.h>

#include <cerrno>

#include "foundation/MThread.h"
#include "foundation/platform/windows/WinError.h"

namespace zephyr {

namespace {

// How long a terminated worker may take to be gone before the handle is let go.
constexpr uint32_t kTerminateGraceMs = 2000;

struct ThreadState {
    HANDLE handle;
};

}  // namespace

struct MThread::Native {
    static unsigned __stdcall Entry(void* raw) {
        MThread* self = static_cast<MThread*>(raw);
        self->m_ThreadId.store(static_cast<uint32_t>(GetCurrentThreadId()), std::memory_order_release);
        try {
            self->m_Function(self->m_Argument);
        } catch (...) {
            // An exception leaving a worker would end the whole process; the worker ends instead.
        }
        return 0;
    }
};

void MThread::NativeInit() { new (m_Native.bytes) ThreadState{nullptr}; }

void MThread::NativeDestroy() {}

int32_t MThread::NativeStart() {
    ThreadState* state = m_Native.As<ThreadState>();
    // The C runtime's own thread start, so that its per-thread data is set up for the worker.
    const uintptr_t handle = _beginthreadex(nullptr, 0, &Native::Entry, this, 0, nullptr);
    if (handle == 0) {
        return SystemError(static_cast<uint32_t>(errno != 0 ? errno : ERROR_NOT_ENOUGH_MEMORY));
    }
    state->handle = reinterpret_cast<HANDLE>(handle);
    return 1;
}

void MThread::NativeStop(uint32_t timeout_ms) {
    ThreadState* state = m_Native.As<ThreadState>();
    HANDLE handle = state->handle;
    state->handle = nullptr;
    if (handle == nullptr) return;
    if (WaitForSingleObject(handle, timeout_ms) != WAIT_OBJECT_0) {
        TerminateThread(handle, 0);
        WaitForSingleObject(handle, kTerminateGraceMs);
    }
    CloseHandle(handle);
}

}  // namespace zephyr
