// Local time through the system's time-zone rules (the zone Windows is set to).
#include "foundation/platform/NativeTime.h"

#include <windows.h>

namespace zephyr {
namespace native {

namespace {

constexpr int64_t kUnixEpochIn1601 = 11644473600LL;  // seconds from 1601-01-01 to 1970-01-01

bool ToSystemTime(int64_t seconds, SYSTEMTIME* out) {
    const int64_t since1601 = seconds + kUnixEpochIn1601;
    if (since1601 < 0) return false;
    const uint64_t ticks = static_cast<uint64_t>(since1601) * 10000000u;
    FILETIME file;
    file.dwLowDateTime = static_cast<DWORD>(ticks);
    file.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return FileTimeToSystemTime(&file, out) != 0;
}

bool FromSystemTime(const SYSTEMTIME& time, int64_t* seconds) {
    FILETIME file;
    if (SystemTimeToFileTime(&time, &file) == 0) return false;
    const uint64_t ticks = (static_cast<uint64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
    *seconds = static_cast<int64_t>(ticks / 10000000u) - kUnixEpochIn1601;
    return true;
}

// Days from 1970-01-01 to the given day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return era * 146097 + day_of_era - 719468;
}

}  // namespace

bool LocalTime(int64_t seconds, std::tm* local) {
    SYSTEMTIME utc;
    SYSTEMTIME here;
    if (!ToSystemTime(seconds, &utc) || SystemTimeToTzSpecificLocalTime(nullptr, &utc, &here) == 0) {
        return false;
    }
    *local = std::tm();
    local->tm_year = here.wYear - 1900;
    local->tm_mon = here.wMonth - 1;
    local->tm_mday = here.wDay;
    local->tm_hour = here.wHour;
    local->tm_min = here.wMinute;
    local->tm_sec = here.wSecond;
    local->tm_wday = here.wDayOfWeek;
    local->tm_yday = static_cast<int>(DaysFromCivil(here.wYear, here.wMonth, here.wDay) -
                                      DaysFromCivil(here.wYear, 1, 1));
    return true;
}

bool MakeTime(std::tm* local, int64_t* seconds) {
    // Out-of-range fields carry over as mktime's do: months into years, the rest through the
    // day count.
    int64_t year = static_cast<int64_t>(local->tm_year) + 1900;
    int64_t month = local->tm_mon;
    year += month >= 0 ? month / 12 : -((11 - month) / 12);
    month -= (month >= 0 ? month / 12 : -((11 - month) / 12)) * 12;
    const int64_t days = DaysFromCivil(year, month + 1, 1) + local->tm_mday - 1;
    const int64_t local_seconds = days * 86400 + static_cast<int64_t>(local->tm_hour) * 3600 +
                                  static_cast<int64_t>(local->tm_min) * 60 + local->tm_sec;
    SYSTEMTIME here;
    SYSTEMTIME utc;
    int64_t result = 0;
    if (!ToSystemTime(local_seconds, &here) || TzSpecificLocalTimeToSystemTime(nullptr, &here, &utc) == 0 ||
        !FromSystemTime(utc, &result)) {
        return false;
    }
    *seconds = result;
    return LocalTime(result, local);
}

}  // namespace native
}  // namespace zephyr
