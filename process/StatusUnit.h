// The status unit: owner of the status thread "状态线程", which drives the trading day.
//
// Every 100 ms the thread flushes the push pool. Every 2 seconds it moves a processing unit that
// is initialised but not ready (ProcessState 3) to serving, and after the opening time: on a
// working day inside the working window, while the day's initialisation is pending, it runs the
// processing unit's re-initialisation (a failed one is tried again at the next tick); then it
// opens the service (ServiceFlag 1). A processing unit whose data are not ready falls back to
// ProcessState 3. The activity flag alternates on the passes outside the working window (and on
// a holiday), and each pass that raises it sets ProcessState and the market status to 1; leaving
// the working window re-arms the pending initialisation, and so does a tick inside the window
// whose date is not the date last initialised (a new day that began inside the window).
//
// An exception escaping a pass is logged and the thread goes on with the next pass.
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "foundation/MThread.h"
#include "foundation/MWaitEvent.h"

namespace zephyr {

class ConfigUnit;
class MLogger;
class MTickCounter;
class ProcessIO;

class StatusUnit {
public:
    static constexpr uint32_t kPassMs = 100;
    static constexpr uint32_t kTickMs = 2000;
    static constexpr uint32_t kReferenceWaitMs = 15000;

    // Makes the status unit's reference-data event the one the processing unit signals.
    StatusUnit(ProcessIO* process, ConfigUnit* config, MLogger* logger);
    // Stops the thread before the members it uses are gone (a library unloaded without a stop).
    ~StatusUnit();
    StatusUnit(const StatusUnit&) = delete;
    StatusUnit& operator=(const StatusUnit&) = delete;

    // Starts the status thread; always 1 (a thread that cannot be created is logged).
    int32_t Start();
    // Stops the thread (5000 ms), then clears the activity flag.
    void Stop();

    uint8_t GetActivity() const;
    bool IsThreadRunning() const { return m_Thread.IsRunning(); }
    // Signalled by the reference data loader when it has loaded the reference data.
    MWaitEvent& GetReferenceDataEvent() { return m_ReferenceDataEvent; }

private:
    static uint32_t StatusThread(void* self);
    // One pass of the thread body with the thread's 2-second clock and pending-initialisation mark.
    void Pass(MTickCounter& tick, bool* pending);
    void SetActivity(uint8_t activity);

    ProcessIO* m_Process;
    ConfigUnit* m_Config;
    MLogger* m_Logger;
    MThread m_Thread;
    mutable MCriticalSection m_ActivityLock;
    uint8_t m_Activity;
    MWaitEvent m_ReferenceDataEvent;
};

}  // namespace zephyr
