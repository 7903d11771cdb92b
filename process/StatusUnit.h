// The status unit: owner of the status thread "状态线程", which drives the trading day (flushes
// the push pool, triggers the daily re-initialisation, opens the service to the host).
#pragma once
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "foundation/MThread.h"
#include "foundation/MWaitEvent.h"

namespace zephyr {

class ConfigUnit;
class MLogger;
class ProcessIO;

class StatusUnit {
public:
    StatusUnit(ProcessIO* process, ConfigUnit* config, MLogger* logger);
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
