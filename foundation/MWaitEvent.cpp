#include "foundation/MWaitEvent.h"

#include <time.h>

#include <cerrno>

#include "foundation/MClock.h"
#include "foundation/MException.h"

namespace zephyr {

MWaitEvent::MWaitEvent() : signalled_(false) {
    pthread_condattr_t attributes;
    bool ok = pthread_condattr_init(&attributes) == 0;
    // Time-outs are measured on the monotonic clock: a change of the wall clock does not move them.
    ok = ok && pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC) == 0;
    if (!ok || pthread_cond_init(&cond_, &attributes) != 0) {
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
    pthread_condattr_destroy(&attributes);
    if (pthread_mutex_init(&mutex_, nullptr) != 0) {
        pthread_cond_destroy(&cond_);
        throw MException("<MWaitEvent>创建等待事件发生错误");
    }
}

MWaitEvent::~MWaitEvent() {
    pthread_cond_destroy(&cond_);
    pthread_mutex_destroy(&mutex_);
}

void MWaitEvent::Set() {
    pthread_mutex_lock(&mutex_);
    signalled_ = true;
    pthread_cond_signal(&cond_);
    pthread_mutex_unlock(&mutex_);
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
        pthread_mutex_lock(&mutex_);
        MutexUnlocker unlocker{&mutex_};
        while (!signalled_) {
            const int rc = timeout_ms == kInfinite
                               ? pthread_cond_wait(&cond_, &mutex_)
                               : pthread_cond_timedwait(&cond_, &mutex_, &deadline);
            if (rc == ETIMEDOUT) {
                break;
            }
            if (rc != 0) {
                failure = rc;
                break;
            }
        }
        was_signalled = signalled_;
        signalled_ = false;
    }
    if (failure != 0) {
        throw MException("<MWaitEvent>等待事件发生错误");
    }
    return was_signalled;
}

}  // namespace zephyr
