#include "foundation/MThread.h"

#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cxxabi.h>

#include "foundation/MClock.h"
#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

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

std::atomic<bool> g_stop_all{false};

// How long a cancelled worker may take to unwind before it is let go.
constexpr uint32_t kCancelGraceMs = 2000;

}  // namespace

MThread::MThread()
    : m_Handle(),
      m_Running(false),
      m_StopRequested(true),
      m_Exited(true),
      m_ThreadId(0),
      m_MarkBusy(false),
      m_Function(nullptr),
      m_Argument(nullptr) {
    m_Label[0] = 0;
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    if (pthread_mutex_init(&m_ExitMutex, nullptr) != 0 ||
        pthread_cond_init(&m_ExitCond, &attributes) != 0) {
        std::abort();  // only without memory
    }
    pthread_condattr_destroy(&attributes);
}

MThread::~MThread() {
    StopThread(5000);
    pthread_cond_destroy(&m_ExitCond);
    pthread_mutex_destroy(&m_ExitMutex);
}

void MThread::MarkExited() {
    pthread_mutex_lock(&m_ExitMutex);
    m_Exited = true;
    pthread_cond_broadcast(&m_ExitCond);
    pthread_mutex_unlock(&m_ExitMutex);
}

bool MThread::WaitExited(uint32_t timeout_ms) {
    const timespec deadline = MClock::RealDeadline(timeout_ms);
    pthread_mutex_lock(&m_ExitMutex);
    while (!m_Exited) {
        const int rc = pthread_cond_timedwait(&m_ExitCond, &m_ExitMutex, &deadline);
        if (rc != 0 && rc != EINTR) {
            break;
        }
    }
    const bool exited = m_Exited;
    pthread_mutex_unlock(&m_ExitMutex);
    return exited;
}

namespace {

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

}  // namespace

void* MThread::Trampoline(void* raw) {
    MThread* self = static_cast<MThread*>(raw);
    // Runs on every way out of the worker, the forced one included.
    struct ExitMark {
        MThread* thread;
        ~ExitMark() { thread->MarkExited(); }
    } exit_mark{self};
    self->m_ThreadId.store(static_cast<uint32_t>(syscall(SYS_gettid)), std::memory_order_release);
    // A worker that does not stop in time is cancelled wherever it is, busy loops included.
    pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
    RunWorker(self->m_Function, self->m_Argument, StackLow());
    pthread_setcanceltype(PTHREAD_CANCEL_DEFERRED, nullptr);
    return nullptr;
}

int32_t MThread::StartThread(const char* label, MThreadFunction function, void* argument,
                             bool mark_busy) {
    g_stop_all.store(false, std::memory_order_release);
    StopThread(5000);
    if (function == nullptr) {
        return ERR_BAD_ARGUMENT;
    }
    m_StopRequested.store(false, std::memory_order_release);
    m_Function = function;
    m_Argument = argument;
    m_MarkBusy = mark_busy;
    m_ThreadId.store(0, std::memory_order_release);
    m_Exited = false;
    const int rc = pthread_create(&m_Handle, nullptr, &MThread::Trampoline, this);
    if (rc != 0) {
        m_Exited = true;
        m_StopRequested.store(true, std::memory_order_release);
        return SystemError(static_cast<uint32_t>(rc));
    }
    m_Running = true;
    m_Label[0] = 0;
    MText::Copy(m_Label, sizeof(m_Label), label != nullptr ? label : "");
    return 1;
}

void MThread::StopThread(uint32_t timeout_ms) {
    m_StopRequested.store(true, std::memory_order_release);
    if (!m_Running) {
        return;
    }
    m_Running = false;
    if (WaitExited(timeout_ms)) {
        pthread_join(m_Handle, nullptr);
        return;
    }
    pthread_cancel(m_Handle);
    if (WaitExited(kCancelGraceMs)) {
        pthread_join(m_Handle, nullptr);
    } else {
        // The worker refused the cancel (it disabled cancelling): let it go.
        pthread_detach(m_Handle);
    }
}

bool MThread::IsStopRequested() const {
    return g_stop_all.load(std::memory_order_acquire) ||
           m_StopRequested.load(std::memory_order_acquire);
}

void MThread::StopAllThreads() { g_stop_all.store(true, std::memory_order_release); }

}  // namespace zephyr
