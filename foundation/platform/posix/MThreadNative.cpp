// POSIX threads: a worker that overstays StopThread's time limit is cancelled asynchronously.
#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cxxabi.h>
#include <new>

#include "foundation/MErrorCode.h"
#include "foundation/MThread.h"
#include "foundation/platform/posix/PosixDeadline.h"

#if defined(__SANITIZE_ADDRESS__)
#define ZEPHYR_ADDRESS_CHECKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZEPHYR_ADDRESS_CHECKS 1
#endif
#endif
#if defined(ZEPHYR_ADDRESS_CHECKS)
#include <sanitizer/asan_interface.h>
#endif

namespace zephyr {

namespace {

// How long a cancelled worker may take to unwind before it is let go.
constexpr uint32_t kCancelGraceMs = 2000;

struct ThreadState {
    pthread_t handle;
    // Set by the worker as it leaves (also when cancelled), under mutex.
    bool exited;
    pthread_mutex_t mutex;
    pthread_cond_t cond;
};

// The lowest address of the calling thread's stack; null when unknown or not needed.
char* StackLow() {
#if defined(ZEPHYR_ADDRESS_CHECKS)
    pthread_attr_t attr;
    void* low = nullptr;
    size_t size = 0;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        pthread_attr_getstack(&attr, &low, &size);
        pthread_attr_destroy(&attr);
    }
    return static_cast<char*>(low);
#else
    return nullptr;
#endif
}

// A cancel that lands anywhere unwinds the worker's frames without the address checker clearing
// their marks; its runtime then puts its own locals where those frames were and takes them for
// a fault of its own. Everything below the handler is dead: cleared before the cancel goes on.
void ForgetUnwoundFrames(char* stack_low) {
#if defined(ZEPHYR_ADDRESS_CHECKS)
    char* const frame = static_cast<char*>(__builtin_frame_address(0));
    if (stack_low != nullptr && stack_low < frame) __asan_unpoison_memory_region(stack_low, static_cast<size_t>(frame - stack_low));
#else
    (void)stack_low;
#endif
}

// Runs the worker. The cancel of a forced end unwinds as an exception without an object, which
// the reference in its handler binds to: not a fault, so the undefined-behaviour checks are
// off in this one function.
__attribute__((no_sanitize("undefined"))) void RunWorker(MThreadFunction function, void* argument, char* stack_low) {
    try {
        function(argument);
    } catch (abi::__forced_unwind&) {
        ForgetUnwoundFrames(stack_low);
        throw;  // the cancel must unwind to the end
    } catch (...) {
        // An exception leaving a worker would end the whole process; the worker ends instead.
    }
}

void MarkExited(ThreadState* state) {
    pthread_mutex_lock(&state->mutex);
    state->exited = true;
    pthread_cond_broadcast(&state->cond);
    pthread_mutex_unlock(&state->mutex);
}

// Waits up to timeout_ms for the worker to leave its function; true when it did.
bool WaitExited(ThreadState* state, uint32_t timeout_ms) {
    const timespec deadline = native::RealDeadline(timeout_ms);
    pthread_mutex_lock(&state->mutex);
    while (!state->exited) {
        const int rc = pthread_cond_timedwait(&state->cond, &state->mutex, &deadline);
        if (rc != 0 && rc != EINTR) {
            break;
        }
    }
    const bool exited = state->exited;
    pthread_mutex_unlock(&state->mutex);
    return exited;
}

}  // namespace

struct MThread::Native {
    static void* Trampoline(void* raw) {
        MThread* self = static_cast<MThread*>(raw);
        ThreadState* state = self->m_Native.As<ThreadState>();
        // Runs on every way out of the worker, the forced one included.
        struct ExitMark {
            ThreadState* state;
            ~ExitMark() { MarkExited(state); }
        } exit_mark{state};
        self->m_ThreadId.store(static_cast<uint32_t>(syscall(SYS_gettid)), std::memory_order_release);
        // A worker that does not stop in time is cancelled wherever it is, busy loops included.
        pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
        RunWorker(self->m_Function, self->m_Argument, StackLow());
        pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
        return nullptr;
    }
};

void MThread::NativeInit() {
    ThreadState* state = new (m_Native.bytes) ThreadState;
    state->handle = pthread_t();
    state->exited = true;
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    if (pthread_mutex_init(&state->mutex, nullptr) != 0 ||
        pthread_cond_init(&state->cond, &attributes) != 0) {
        std::abort();  // only without memory
    }
    pthread_condattr_destroy(&attributes);
}

void MThread::NativeDestroy() {
    ThreadState* state = m_Native.As<ThreadState>();
    pthread_cond_destroy(&state->cond);
    pthread_mutex_destroy(&state->mutex);
}

int32_t MThread::NativeStart() {
    ThreadState* state = m_Native.As<ThreadState>();
    state->exited = false;
    const int rc = pthread_create(&state->handle, nullptr, &Native::Trampoline, this);
    if (rc != 0) {
        state->exited = true;
        return SystemError(static_cast<uint32_t>(rc));
    }
    return 1;
}

void MThread::NativeStop(uint32_t timeout_ms, bool /*unloading: no loader lock holds threads here*/) {
    ThreadState* state = m_Native.As<ThreadState>();
    if (WaitExited(state, timeout_ms)) {
        pthread_join(state->handle, nullptr);
        return;
    }
    pthread_cancel(state->handle);
    if (WaitExited(state, kCancelGraceMs)) {
        pthread_join(state->handle, nullptr);
    } else {
        // The worker refused the cancel (it disabled cancelling): let it go.
        pthread_detach(state->handle);
    }
}

}  // namespace zephyr
