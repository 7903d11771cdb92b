#include "foundation/MWaitEvent.h"

#include <pthread.h>
#include <time.h>

#include <cerrno>

#include "foundation/MException.h"
#include "foundation/platform/posix/PosixDeadline.h"

namespace zephyr {

namespace {

struct EventState {
    pthread_mutex_t mutex;
    pthread_cond_t cond;
    bool signalled;
};

// Unlocks on every exit, also when the thread is cancelled inside the wait (the wait then
// returns to the unwinder with the mutex held again).
struct MutexUnlocker {
    pthread_mutex_t* mutex;
    ~MutexUnlocker() { pthread_mutex_unlock(mutex); }
};

}  // namespace

MWaitEvent::MWaitEvent() {
    EventState* state = new (m_Native.bytes) EventState;
    state->signalled = false;
    pthread_condattr_t attributes;
    bool ok = pthread_condattr_init(&attributes) == 0;
    // Time-outs are measured on the monotonic clock: a change of the wall clock does not move them.
    ok = ok && pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC) == 0;
    if (!ok || pthread_cond_init(&state->cond, &attributes) != 0) {
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
    pthread_condattr_destroy(&attributes);
    if (pthread_mutex_init(&state->mutex, nullptr) != 0) {
        pthread_cond_destroy(&state->cond);
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
}

MWaitEvent::~MWaitEvent() {
    EventState* state = m_Native.As<EventState>();
    pthread_cond_destroy(&state->cond);
    pthread_mutex_destroy(&state->mutex);
}

void MWaitEvent::Set() {
    EventState* state = m_Native.As<EventState>();
    pthread_mutex_lock(&state->mutex);
    state->signalled = true;
    pthread_cond_signal(&state->cond);
    pthread_mutex_unlock(&state->mutex);
}

bool MWaitEvent::Wait(uint32_t timeout_ms) {
    EventState* state = m_Native.As<EventState>();
    const timespec deadline = native::RealDeadline(timeout_ms);
    int failure = 0;
    bool was_signalled;
    {
        pthread_mutex_lock(&state->mutex);
        MutexUnlocker unlocker{&state->mutex};
        while (!state->signalled) {
            const int rc = timeout_ms == kInfinite
                               ? pthread_cond_wait(&state->cond, &state->mutex)
                               : pthread_cond_timedwait(&state->cond, &state->mutex, &deadline);
            if (rc == ETIMEDOUT) {
                break;
            }
            if (rc != 0) {
                failure = rc;
                break;
            }
        }
        was_signalled = state->signalled;
        state->signalled = false;
    }
    if (failure != 0) {
        throw MException("<MWaitEvent>等待事件发生错误");
    }
    return was_signalled;
}

}  // namespace zephyr
