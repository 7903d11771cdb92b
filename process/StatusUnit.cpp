#include "process/StatusUnit.h"

#include <exception>

#include "config/ConfigUnit.h"
#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "foundation/MTickCounter.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "process/ProcessIO.h"

namespace zephyr {

namespace {

constexpr uint32_t kStopWaitMs = 5000;
constexpr const char* kModule = "Zephyr";

}  // namespace

StatusUnit::StatusUnit(ProcessIO* process, ConfigUnit* config, MLogger* logger)
    : m_Process(process), m_Config(config), m_Logger(logger), m_Activity(0) {
    if (m_Process != nullptr) m_Process->SetReferenceDataEvent(&m_ReferenceDataEvent);
}

StatusUnit::~StatusUnit() { m_Thread.StopThread(kStopWaitMs); }

int32_t StatusUnit::Start() {
    if (m_Thread.StartThread("状态线程", &StatusThread, this, true) < 0 && m_Logger != nullptr) {
        m_Logger->Write(kLogError, kModule, "状态线程创建失败");
    }
    return 1;
}

void StatusUnit::Stop() {
    m_Thread.StopThread(kStopWaitMs);
    SetActivity(0);
}

uint8_t StatusUnit::GetActivity() const {
    MLocalSection lock(m_ActivityLock);
    return m_Activity;
}

void StatusUnit::SetActivity(uint8_t activity) {
    MLocalSection lock(m_ActivityLock);
    m_Activity = activity;
}

void StatusUnit::Pass(MTickCounter& tick, bool* pending) {
    ProcessIO& process = *m_Process;
    const bool open = !m_Config->IsHolidayToday() && m_Config->InWorkTime();
    process.FlushPushes();

    if (tick.Elapsed() > kTickMs) {
        tick.Start();
        if (process.GetProcessState() == ProcessIO::kNotReady) process.SetProcessState(ProcessIO::kServing);
        if (m_Config->AfterOpen()) {
            // A new day can begin inside the window (a whole-day window, a host suspended
            // overnight): the date decides too, not only a pass outside the window.
            if (open && MDateTime::Current().GetDate() != process.GetInitialisedDate()) *pending = true;
            if (open && *pending) {
                const int32_t result = process.Reinitialise();
                if (result > 0) {
                    m_ReferenceDataEvent.Wait(kReferenceWaitMs);
                    *pending = false;
                    if (m_Logger != nullptr) {
                        m_Logger->Write(kLogInfo, kModule, "行情初始化结束,本次码表个数%d",
                                        static_cast<int32_t>(process.Day().Codes().Count()));
                    }
                }
            }
            process.SetServiceFlag(1);
        }
        if (!process.IsReady()) process.SetProcessState(ProcessIO::kNotReady);
    }

    if (GetActivity() == 0) {
        SetActivity(1);
        process.SetProcessState(ProcessIO::kServing);
        process.Day().GetMarket().SetStatus(1);
    } else if (!open) {
        SetActivity(0);
        *pending = true;
    }
}

uint32_t StatusUnit::StatusThread(void* self) {
    StatusUnit* unit = static_cast<StatusUnit*>(self);
    MTickCounter tick;
    tick.Start();
    bool pending = true;
    while (!unit->m_Thread.IsStopRequested()) {
        try {
            unit->Pass(tick, &pending);
        } catch (const std::exception& error) {
            if (unit->m_Logger != nullptr) unit->m_Logger->WriteText(kLogError, kModule, error.what());
        }
        MClock::SleepMs(kPassMs);
    }
    return 0;
}

}  // namespace zephyr
