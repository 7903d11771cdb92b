// Local time through the system's zone rules, as the driver's own clock reads it on Windows:
// the C library's TZ parsing knows no zone names such as "Asia/Hong_Kong".
#include "portable/LocalTime.h"

#include <windows.h>

namespace zephyr::portable {

namespace {

constexpr int64_t kUnixEpochIn1601 = 11644473600LL;  // seconds from 1601-01-01 to 1970-01-01

// Days from 1970-01-01 to a day of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t year_of_era = year - era * 400;
    const int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    return era * 146097 + year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year -
           719468;
}

bool ToSystemTime(int64_t seconds, SYSTEMTIME* out) {
    if (seconds < -kUnixEpochIn1601) return false;
    const uint64_t ticks = static_cast<uint64_t>(seconds + kUnixEpochIn1601) * 10000000u;
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

}  // namespace

bool LocalTimeOf(int64_t seconds, std::tm* out) {
    SYSTEMTIME utc;
    SYSTEMTIME here;
    if (!ToSystemTime(seconds, &utc) || SystemTimeToTzSpecificLocalTime(nullptr, &utc, &here) == 0) {
        return false;
    }
    *out = std::tm();
    out->tm_year = here.wYear - 1900;
    out->tm_mon = here.wMonth - 1;
    out->tm_mday = here.wDay;
    out->tm_hour = here.wHour;
    out->tm_min = here.wMinute;
    out->tm_sec = here.wSecond;
    out->tm_wday = here.wDayOfWeek;
    out->tm_yday = static_cast<int>(DaysFromCivil(here.wYear, here.wMonth, here.wDay) -
                                    DaysFromCivil(here.wYear, 1, 1));
    out->tm_isdst = -1;
    return true;
}

bool LocalSecondsOf(const std::tm& local, int64_t* seconds) {
    // Months carry into years, everything else through the count of days and seconds.
    int64_t year = static_cast<int64_t>(local.tm_year) + 1900;
    int64_t month = local.tm_mon;
    const int64_t carry = month >= 0 ? month / 12 : -((11 - month) / 12);
    year += carry;
    month -= carry * 12;
    const int64_t days = DaysFromCivil(year, month + 1, 1) + local.tm_mday - 1;
    const int64_t local_seconds = days * 86400 + static_cast<int64_t>(local.tm_hour) * 3600 +
                                  static_cast<int64_t>(local.tm_min) * 60 + local.tm_sec;
    SYSTEMTIME here;
    SYSTEMTIME utc;
    return ToSystemTime(local_seconds, &here) &&
           TzSpecificLocalTimeToSystemTime(nullptr, &here, &utc) != 0 && FromSystemTime(utc, seconds);
}

bool SetTimeZone(const char*) { return false; }

}  // namespace zephyr::portable
