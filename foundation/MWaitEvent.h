// An auto-reset event, not signalled at creation: Set releases one waiting thread (or the next
// one to wait) and the event resets itself.
// Failures raise MException: "<MWaitEvent>创建等待事件发生错误" (creation) and
// "<MWaitEvent>等待事件发生错误" (waiting).
#pragma once
#include <pthread.h>

#include <cstdint>

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
    pthread_mutex_t m_Mutex;
    pthread_cond_t m_Cond;
    bool m_Signalled;
};

}  // namespace zephyr
