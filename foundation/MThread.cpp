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

namespace zephyr {

namespace {

std::atomic<bool> g_stop_all{false};

// How long a cancelled worker may take to unwind before it is let go.
constexpr uint32_t kCancelGraceMs = 2000;

}  // namespace

MThread::MThread()
    : handle_(),
      running_(false),
      stop_requested_(true),
      exited_(true),
      thread_id_(0),
      mark_busy_(false),
      function_(nullptr),
      argument_(nullptr) {
    label_[0] = 0;
    pthread_condattr_t attributes;
    pthread_condattr_init(&attributes);
    pthread_condattr_setclock(&attributes, CLOCK_MONOTONIC);
    if (pthread_mutex_init(&exit_mutex_, nullptr) != 0 ||
        pthread_cond_init(&exit_cond_, &attributes) != 0) {
        std::abort();  // only without memory
    }
    pthread_condattr_destroy(&attributes);
}

MThread::~MThread() {
    StopThread(5000);
    pthread_cond_destroy(&exit_cond_);
    pthread_mutex_destroy(&exit_mutex_);
}

void MThread::MarkExited() {
    pthread_mutex_lock(&exit_mutex_);
    exited_ = true;
    pthread_cond_broadcast(&exit_cond_);
    pthread_mutex_unlock(&exit_mutex_);
}

bool MThread::WaitExited(uint32_t timeout_ms) {
    const timespec deadline = MClock::RealDeadline(timeout_ms);
    pthread_mutex_lock(&exit_mutex_);
    while (!exited_) {
        const int rc = pthread_cond_timedwait(&exit_cond_, &exit_mutex_, &deadline);
        if (rc != 0 && rc != EINTR) {
            break;
        }
    }
    const bool exited = exited_;
    pthread_mutex_unlock(&exit_mutex_);
    return exited;
}

namespace {

// Runs the worker. The cancel of a forced end unwinds as an exception without an object, which
// the reference in its handler binds to: not a fault, so the undefined-behaviour checks are
// off in this one function.
__attribute__((no_sanitize("undefined"))) void RunWorker(MThreadFunction function, void* argument) {
    try {
        function(argument);
    } catch (abi::__forced_unwind&) {
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
    self->thread_id_.store(static_cast<uint32_t>(syscall(SYS_gettid)), std::memory_order_release);
    // A worker that does not stop in time is cancelled wherever it is, busy loops included.
    pthread_setcanceltype(PTHREAD_CANCEL_ASYNCHRONOUS, nullptr);
    RunWorker(self->function_, self->argument_);
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
    stop_requested_.store(false, std::memory_order_release);
    function_ = function;
    argument_ = argument;
    mark_busy_ = mark_busy;
    thread_id_.store(0, std::memory_order_release);
    exited_ = false;
    const int rc = pthread_create(&handle_, nullptr, &MThread::Trampoline, this);
    if (rc != 0) {
        exited_ = true;
        stop_requested_.store(true, std::memory_order_release);
        return SystemError(static_cast<uint32_t>(rc));
    }
    running_ = true;
    label_[0] = 0;
    MText::Copy(label_, sizeof(label_), label != nullptr ? label : "");
    return 1;
}

void MThread::StopThread(uint32_t timeout_ms) {
    stop_requested_.store(true, std::memory_order_release);
    if (!running_) {
        return;
    }
    running_ = false;
    if (WaitExited(timeout_ms)) {
        pthread_join(handle_, nullptr);
        return;
    }
    pthread_cancel(handle_);
    if (WaitExited(kCancelGraceMs)) {
        pthread_join(handle_, nullptr);
    } else {
        // The worker refused the cancel (it disabled cancelling): let it go.
        pthread_detach(handle_);
    }
}

bool MThread::IsStopRequested() const {
    return g_stop_all.load(std::memory_order_acquire) ||
           stop_requested_.load(std::memory_order_acquire);
}

void MThread::StopAllThreads() { g_stop_all.store(true, std::memory_order_release); }

}  // namespace zephyr
