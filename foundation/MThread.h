// One worker function on its own thread, stopped cooperatively with a time limit.
// The worker loops: ask IsStopRequested, return when it answers true, else do one pass and sleep.
//
// Forced end: a worker that has not returned within StopThread's timeout is ended by force
// (cancelled on POSIX, terminated on Windows). It is a last resort: it cannot
// be relied on to release the locks the thread held, nor to leave half-changed data whole, and
// memory the thread was working on may stay allocated. (Destructors on the worker's stack may
// run during the cancel; a worker must not disable cancellation or swallow it with catch(...).)
#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/platform/NativeStorage.h"

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
    // From now on StopThread waits only for a worker to leave its function (at most a moment)
    // and then ends its thread by force: for a Windows library being unloaded under the
    // system's loader lock, where no thread can finish leaving (a wait for its end would only
    // run out). Also raises the stop-all flag. Called once, by the library's unload notice.
    static void EndWithoutWaiting();

    bool IsRunning() const { return m_Running; }
    const char* GetLabel() const { return m_Label; }
    // Kernel thread id of the worker; 0 until the worker has begun.
    uint32_t GetThreadId() const { return m_ThreadId.load(std::memory_order_acquire); }
    bool IsMarkedBusy() const { return m_MarkBusy; }

private:
    struct Native;
    friend struct Native;
    // The system's part: creating, waiting for and ending the thread (one body per system).
    void NativeInit();
    void NativeDestroy();
    int32_t NativeStart();  // 1 or SystemError
    void NativeStop(uint32_t timeout_ms, bool unloading);

    bool m_Running;  // a thread is held
    std::atomic<bool> m_StopRequested;
    // The thread handle and how the worker tells that it left (also when ended by force).
    NativeStorage<112> m_Native;
    std::atomic<uint32_t> m_ThreadId;
    bool m_MarkBusy;
    MThreadFunction m_Function;
    void* m_Argument;
    char m_Label[kLabelSize];
};

}  // namespace zephyr
