// The driver's working window and level-2 module as the host sees them: the window from the ini
// file the driver reads, the module from the driver's log lines.
#include "host/GbkText.h"
#include "host/HostClock.h"
#include "host/app/Session.h"

namespace zephyr::hostapp {

using hostkit::HostClock;

void Session::ReadSchedule() {
    const int64_t now = HostClock::NowSeconds();
    m_Result.schedule = hostkit::DriverSchedule::ForDriver(m_Options.driver_path, now);
    const hostkit::DriverSchedule& schedule = m_Result.schedule;
    for (const std::string& note : schedule.notes) HostLine("Zephyr.ini: " + note);
    std::string text = "working window " + schedule.WindowText() +
                       (schedule.ini_found ? " (Zephyr.ini)" : " (the driver's defaults: no Zephyr.ini beside it)");
    if (schedule.use_holiday) text += ", holiday test short-circuited";
    const std::string not_live = NoteLive();
    HostLine(text + "; now " + (not_live.empty() ? "inside it" : not_live));
}

std::string Session::NoteLive() {
    const std::string reason = m_Result.schedule.NotLiveReason(HostClock::NowSeconds());
    if (reason.empty()) {
        m_Result.ever_live = true;
    } else if (!m_Result.ever_live) {
        m_Result.not_live = reason;
    }
    return reason;
}

bool Session::ExpectServing() const {
    const int64_t now = HostClock::NowSeconds();
    return m_Result.begin_result == 1 && !m_Result.schedule.IsHoliday(now) && m_Result.schedule.AfterOpen(now);
}

hostkit::TimeRule Session::TimeRuleNow() const {
    // Live through the longest time a change may take to be pushed, or the last second of the
    // window may move the market time without a header after it.
    const int64_t now = HostClock::NowSeconds();
    const int64_t later = now + (hostkit::kInFlightMs + 999) / 1000;
    const hostkit::DriverSchedule& schedule = m_Result.schedule;
    const bool live = schedule.NotLiveReason(now).empty() && schedule.NotLiveReason(later).empty();
    return live ? hostkit::TimeRule::kPushed : hostkit::TimeRule::kMayLead;
}

void Session::ReportLevel2() {
    {
        std::lock_guard<std::mutex> lock(m_Shared.last_log_mutex);
        m_Result.level2 = m_Shared.level2;
    }
    const Level2Report& level2 = m_Result.level2;
    if (level2.state == Level2Report::kStarted) return;
    if (level2.state == Level2Report::kUnknown) {
        HostLine("the driver said nothing about a level-2 module");
        return;
    }
    HostLine(std::string("level-2 module ") + hostkit::GbkToUtf8(level2.path) + " " +
             Level2StateText(level2.state) + ": " + level2.why + "; the driver goes on without level-2 data");
}

}  // namespace zephyr::hostapp
