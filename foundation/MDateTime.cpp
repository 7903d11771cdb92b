#include "foundation/MDateTime.h"

#include <cerrno>
#include <ctime>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "foundation/MClock.h"
#include "foundation/MErrorCode.h"
#include "foundation/platform/NativeTime.h"

namespace zephyr {

namespace {

// The last conversion of this thread. The system's local-time conversion works through the zone
// rules on every call, which costs far more than the work of most callers (every level-2 record
// asks for today's date), so the same second under the same TZ setting is answered from here.
struct LastLocal {
    int32_t seconds = -1;
    bool has_tz = false;
    char tz[128] = {};
    std::tm local = {};
};
thread_local LastLocal t_last;

bool SameZone(const LastLocal& last, const char* tz) {
    if (tz == nullptr) return !last.has_tz;
    return last.has_tz && std::strcmp(last.tz, tz) == 0;
}

// Local time of seconds; false when it cannot be converted (negative values, as on the
// original platform).
bool ToLocal(int32_t seconds, std::tm& local) {
    if (seconds < 0) {
        return false;
    }
    LastLocal& last = t_last;
    const char* tz = std::getenv("TZ");
    if (last.seconds == seconds && SameZone(last, tz)) {
        local = last.local;
        return true;
    }
    if (!native::LocalTime(seconds, &local)) {
        return false;
    }
    last.seconds = -1;
    if (tz == nullptr || std::strlen(tz) < sizeof last.tz) {
        last.has_tz = tz != nullptr;
        if (tz != nullptr) std::strcpy(last.tz, tz);
        last.local = local;
        last.seconds = seconds;
    }
    return true;
}

int32_t ClampToSeconds(int64_t seconds) {
    if (seconds > INT32_MAX || seconds < INT32_MIN) {
        return -1;
    }
    return static_cast<int32_t>(seconds);
}

}  // namespace

MDateTime::MDateTime(int32_t year, int32_t month, int32_t day) : m_Seconds(-1) {
    std::tm local = {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_isdst = -1;
    int64_t value = 0;
    if (!native::MakeTime(&local, &value)) {
        return;
    }
    m_Seconds = ClampToSeconds(value);
}

int32_t MDateTime::CalendarWeekDay(int32_t year, int32_t month, int32_t day) {
    static const int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1971 || year > 2037 || month < 1 || month > 12 || day < 1) return -1;
    const bool leap = year % 4 == 0;  // exact for these years
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0)) return -1;
    // Days since 1970-01-01, a Thursday.
    int32_t days = (year - 1970) * 365 + (year - 1969) / 4;
    for (int32_t m = 1; m < month; ++m) days += kDays[m - 1] + (m == 2 && leap ? 1 : 0);
    days += day - 1;
    return (days + 4) % 7;
}

MDateTime& MDateTime::Now() {
    m_Seconds = ClampToSeconds(MClock::NowSeconds());
    return *this;
}

MDateTime MDateTime::Current() {
    MDateTime now;
    now.Now();
    return now;
}

int32_t MDateTime::GetDate() const {
    std::tm local;
    if (!ToLocal(m_Seconds, local)) {
        return 0;
    }
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

int32_t MDateTime::GetTime() const {
    std::tm local;
    if (!ToLocal(m_Seconds, local)) {
        return 0;
    }
    return local.tm_hour * 10000 + local.tm_min * 100 + local.tm_sec;
}

int32_t MDateTime::GetWeekDay() const {
    std::tm local;
    if (!ToLocal(m_Seconds, local)) {
        return ERR_BAD_DATETIME;
    }
    return local.tm_wday;
}

}  // namespace zephyr
