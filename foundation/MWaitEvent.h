// An auto-reset event, not signalled at creation: Set releases one waiting thread (or the next
// one to wait) and the event resets itself.
// Failures raise MException: "<MWaitEvent>创建等待事件发生错误" (creation) and
// "<MWaitEvent>等待事件发生错误" (waiting).
#pragma once
#include <cstdint>

#include "foundation/platform/NativeStorage.h"

namespace zephyr {

class MWaitEvent {
public:
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

    MWaitEvent();
    ~MWaitEvent();
    MWaitEvent(const MWaitEvent&) = delete;
    MWaitEvent& operator=(const MWaitEvent&) = delete;

    void Set();
    // Waits, in real time, until the event is signalled or timeout_ms pass (kInfinite: no limit).
    // True when it was signalled. Callers of the original interface may ignore the result.
    bool Wait(uint32_t timeout_ms);

private:
    // The system's event (a mutex, a condition and the signalled flag; an event handle).
    NativeStorage<104> m_Native;
};

}  // namespace zephyr
