#include "foundation/MWaitEvent.h"

#include <time.h>

#include <cerrno>

#include "foundation/MClock.h"
#include "foundation/MException.h"

namespace zephyr {

MWaitEvent::MWaitEvent() : m_Signalled(false) {
    pthread_condattr_t attributes;
    bool ok = pthread_condattr_init(&attributes) == 0;
    // Time-outs are measured on the monotonic clock: a change of the wall clock does not move them.
    ok = ok && pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC) == 0;
    if (!ok || pthread_cond_init(&m_Cond, &attributes) != 0) {
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
    pthread_condattr_destroy(&attributes);
    if (pthread_mutex_init(&m_Mutex, nullptr) != 0) {
        pthread_cond_destroy(&m_Cond);
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
}

MWaitEvent::~MWaitEvent() {
    pthread_cond_destroy(&m_Cond);
    pthread_mutex_destroy(&m_Mutex);
}

void MWaitEvent::Set() {
    pthread_mutex_lock(&m_Mutex);
    m_Signalled = true;
    pthread_cond_signal(&m_Cond);
    pthread_mutex_unlock(&m_Mutex);
}

namespace {

// Unlocks on every exit, also when the thread is cancelled inside the wait (the wait then
// returns to the unwinder with the mutex held again).
struct MutexUnlocker {
    pthread_mutex_t* mutex;
    ~MutexUnlocker() { pthread_mutex_unlock(mutex); }
};

}  // namespace

bool MWaitEvent::Wait(uint32_t timeout_ms) {
    const timespec deadline = MClock::RealDeadline(timeout_ms);
    int failure = 0;
    bool was_signalled;
    {
        pthread_mutex_lock(&m_Mutex);
        MutexUnlocker unlocker{&m_Mutex};
        while (!m_Signalled) {
            const int rc = timeout_ms == kInfinite
                               ? pthread_cond_wait(&m_Cond, &m_Mutex)
                               : pthread_cond_timedwait(&m_Cond, &m_Mutex, &deadline);
            if (rc == ETIMEDOUT) {
                break;
            }
            if (rc != 0) {
                failure = rc;
                break;
            }
        }
        was_signalled = m_Signalled;
        m_Signalled = false;
    }
    if (failure != 0) {
        throw MException("<MWaitEvent>等待事件发生错误");
    }
    return was_signalled;
}

}  // namespace zephyr
