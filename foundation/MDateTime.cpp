#include "foundation/MDateTime.h"

#include <time.h>

#include <cerrno>
#include <cstdint>

#include "foundation/MClock.h"
#include "foundation/MErrorCode.h"

namespace zephyr {

namespace {

// Local time of seconds; false when it cannot be converted (negative values, as on the
// original platform).
bool ToLocal(int32_t seconds, tm& local) {
    if (seconds < 0) {
        return false;
    }
    const time_t value = static_cast<time_t>(seconds);
    return localtime_r(&value, &local) != nullptr;
}

int32_t ClampToSeconds(int64_t seconds) {
    if (seconds > INT32_MAX || seconds < INT32_MIN) {
        return -1;
    }
    return static_cast<int32_t>(seconds);
}

}  // namespace

MDateTime::MDateTime(int32_t year, int32_t month, int32_t day) : seconds_(-1) {
    tm local = {};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_isdst = -1;
    errno = 0;
    const time_t value = mktime(&local);
    if (value == static_cast<time_t>(-1) && errno != 0) {
        return;
    }
    seconds_ = ClampToSeconds(static_cast<int64_t>(value));
}

MDateTime& MDateTime::Now() {
    seconds_ = ClampToSeconds(MClock::NowSeconds());
    return *this;
}

MDateTime MDateTime::Current() {
    MDateTime now;
    now.Now();
    return now;
}

int32_t MDateTime::GetDate() const {
    tm local;
    if (!ToLocal(seconds_, local)) {
        return 0;
    }
    return (local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday;
}

int32_t MDateTime::GetTime() const {
    tm local;
    if (!ToLocal(seconds_, local)) {
        return 0;
    }
    return local.tm_hour * 10000 + local.tm_min * 100 + local.tm_sec;
}

int32_t MDateTime::GetWeekDay() const {
    tm local;
    if (!ToLocal(seconds_, local)) {
        return ERR_BAD_DATETIME;
    }
    return local.tm_wday;
}

}  // namespace zephyr
