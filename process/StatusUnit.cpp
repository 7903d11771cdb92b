#include "process/StatusUnit.h"

#include "foundation/MClock.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"

namespace zephyr {

namespace {

constexpr uint32_t kStopWaitMs = 5000;
constexpr uint32_t kPassSleepMs = 100;

}  // namespace

StatusUnit::StatusUnit(ProcessIO* process, ConfigUnit* config, MLogger* logger)
    : m_Process(process), m_Config(config), m_Logger(logger), m_Activity(0) {}

int32_t StatusUnit::Start() {
    if (m_Thread.StartThread("状态线程", &StatusThread, this, true) < 0 && m_Logger != nullptr) {
        m_Logger->Write(kLogError, "Zephyr", "状态线程创建失败");
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

uint32_t StatusUnit::StatusThread(void* self) {
    StatusUnit* unit = static_cast<StatusUnit*>(self);
    while (!unit->m_Thread.IsStopRequested()) {
        MClock::SleepMs(kPassSleepMs);
    }
    return 0;
}

}  // namespace zephyr
