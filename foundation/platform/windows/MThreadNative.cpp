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
// At unload: how long a worker may take to leave its function (it passes every 100 ms).
constexpr uint32_t kUnloadLeaveMs = 500;

struct ThreadState {
    HANDLE handle;
    // Set as the worker leaves its function: from then on it runs none of this library's code
    // but the thread's own end.
    HANDLE left;
};

}  // namespace

struct MThread::Native {
    static unsigned __stdcall Entry(void* raw) {
        MThread* self = static_cast<MThread*>(raw);
        ThreadState* state = self->m_Native.As<ThreadState>();
        self->m_ThreadId.store(static_cast<uint32_t>(GetCurrentThreadId()), std::memory_order_release);
        try {
            self->m_Function(self->m_Argument);
        } catch (...) {
            // An exception leaving a worker would end the whole process; the worker ends instead.
        }
        SetEvent(state->left);
        return 0;
    }
};

void MThread::NativeInit() {
    ThreadState* state = new (m_Native.bytes) ThreadState{nullptr, nullptr};
    state->left = CreateEventA(nullptr, TRUE, TRUE, nullptr);
}

void MThread::NativeDestroy() {
    ThreadState* state = m_Native.As<ThreadState>();
    if (state->left != nullptr) CloseHandle(state->left);
}

int32_t MThread::NativeStart() {
    ThreadState* state = m_Native.As<ThreadState>();
    if (state->left == nullptr) {
        return SystemError(ERROR_NOT_ENOUGH_MEMORY);
    }
    ResetEvent(state->left);
    // The C runtime's own thread start, so that its per-thread data is set up for the worker.
    const uintptr_t handle = _beginthreadex(nullptr, 0, &Native::Entry, this, 0, nullptr);
    if (handle == 0) {
        SetEvent(state->left);
        return SystemError(static_cast<uint32_t>(errno != 0 ? errno : ERROR_NOT_ENOUGH_MEMORY));
    }
    state->handle = reinterpret_cast<HANDLE>(handle);
    return 1;
}

void MThread::NativeStop(uint32_t timeout_ms, bool unloading) {
    ThreadState* state = m_Native.As<ThreadState>();
    HANDLE handle = state->handle;
    state->handle = nullptr;
    if (handle == nullptr) return;
    if (unloading) {
        // The loader lock keeps the thread from ending; once out of its function it holds
        // nothing of this library's, and is ended before the library goes.
        WaitForSingleObject(state->left, kUnloadLeaveMs);
        TerminateThread(handle, 0);
    } else if (WaitForSingleObject(handle, timeout_ms) != WAIT_OBJECT_0) {
        TerminateThread(handle, 0);
    } else {
        CloseHandle(handle);
        return;
    }
    WaitForSingleObject(handle, kTerminateGraceMs);
    CloseHandle(handle);
}

}  // namespace zephyr
