// A point in time as a signed 32-bit count of seconds since 1970-01-01 00:00:00 UTC; the date and
// time accessors read it in local time (localtime_r, so the TZ setting of the process).
// Values that cannot be converted (negative, as on the original platform) give 0 from GetDate
// and GetTime and ERR_BAD_DATETIME from GetWeekDay.
#pragma once
#include <cstdint>

namespace zephyr {

class MDateTime {
public:
    MDateTime() : m_Seconds(0) {}
    explicit MDateTime(int32_t seconds) : m_Seconds(seconds) {}
    // Local midnight of that date (mktime rules: out-of-range fields roll over). A date outside
    // the 32-bit range gives -1, which cannot be converted.
    MDateTime(int32_t year, int32_t month, int32_t day);

    // Sets the value to the current MClock time and returns it.
    MDateTime& Now();
    // A new MDateTime of the current MClock time.
    static MDateTime Current();
    // Day of the week (0 Sunday) of a calendar date of the years 1971..2037, from the calendar
    // alone: what GetWeekDay of MDateTime(year, month, day) answers, without the time zone work.
    // -1 for any other date (not a date of the calendar, or outside those years).
    static int32_t CalendarWeekDay(int32_t year, int32_t month, int32_t day);

    int32_t GetValue() const { return m_Seconds; }
    // Local date as yyyymmdd (20141115); 0 when the value cannot be converted.
    int32_t GetDate() const;
    // Local time of day as hhmmss; 0 when the value cannot be converted.
    int32_t GetTime() const;
    // 0 for Sunday to 6 for Saturday; ERR_BAD_DATETIME when the value cannot be converted.
    int32_t GetWeekDay() const;
    void AddSeconds(int32_t seconds) { m_Seconds += seconds; }

    bool operator==(const MDateTime& other) const { return m_Seconds == other.m_Seconds; }
    bool operator!=(const MDateTime& other) const { return m_Seconds != other.m_Seconds; }
    bool operator<(const MDateTime& other) const { return m_Seconds < other.m_Seconds; }

private:
    int32_t m_Seconds;
};

}  // namespace zephyr
