// One worker function on its own thread, stopped cooperatively with a time limit.
// The worker loops: ask IsStopRequested, return when it answers true, else do one pass and sleep.
//
// Forced end: a worker that has not returned within StopThread's timeout is cancelled
// asynchronously. Like the termination of the original platform it is a last resort: it cannot
// be relied on to release the locks the thread held, nor to leave half-changed data whole, and
// memory the thread was working on may stay allocated. (Destructors on the worker's stack may
// run during the cancel; a worker must not disable cancellation or swallow it with catch(...).)
#pragma once
#include <pthread.h>

#include <atomic>
#include <cstdint>

namespace zephyr {

using MThreadFunction = uint32_t (*)(void* argument);

class MThread {
public:
    static constexpr uint32_t kLabelSize = 32;

    MThread();  // stopped: no thread held, stop requested
    ~MThread();  // StopThread(5000)
    MThread(const MThread&) = delete;
    MThread& operator=(const MThread&) = delete;

    // Clears the process-wide stop-all flag, stops a thread still held (StopThread(5000)),
    // clears stop requested and starts function(argument) on a new thread with the default
    // stack size. label: at most 31 bytes kept. mark_busy only marks the thread for monitoring.
    // 1, or SystemError(error number) when the thread could not be created (object stays stopped).
    int32_t StartThread(const char* label, MThreadFunction function, void* argument,
                        bool mark_busy = true);
    // Sets stop requested; when a thread is held, waits for it at most timeout_ms (real time),
    // then ends it forcibly (see above) and forgets it. A second call does nothing more.
    // Must not be called from the worker itself.
    void StopThread(uint32_t timeout_ms);
    // True when this object's stop was requested or the process-wide stop-all flag is set.
    bool IsStopRequested() const;
    // Sets the process-wide stop-all flag; cleared by the next StartThread of any MThread.
    static void StopAllThreads();

    bool IsRunning() const { return m_Running; }
    const char* GetLabel() const { return m_Label; }
    // Kernel thread id of the worker; 0 until the worker has begun.
    uint32_t GetThreadId() const { return m_ThreadId.load(std::memory_order_acquire); }
    bool IsMarkedBusy() const { return m_MarkBusy; }

private:
    static void* Trampoline(void* self);
    void MarkExited();
    // Waits up to timeout_ms for the worker to leave its function; true when it did.
    bool WaitExited(uint32_t timeout_ms);

    pthread_t m_Handle;
    bool m_Running;  // a thread is held
    std::atomic<bool> m_StopRequested;
    // Set by the worker as it leaves (also when cancelled), under m_ExitMutex.
    bool m_Exited;
    pthread_mutex_t m_ExitMutex;
    pthread_cond_t m_ExitCond;
    std::atomic<uint32_t> m_ThreadId;
    bool m_MarkBusy;
    MThreadFunction m_Function;
    void* m_Argument;
    char m_Label[kLabelSize];
};

}  // namespace zephyr
