// Non-trading days: every Saturday and Sunday, plus up to 120 dates listed in a holiday file.
//
// Holiday file (ini syntax): one section per year named "zephyr." and the four-digit year,
// keys "01" to "12" (the month) each holding a comma-separated list of day numbers:
//   [zephyr.2015]
//   01=1,2
//   10=1,2,7
// Only sections of the current decade are taken (see MatchSection); other sections and keys
// are ignored. Dates beyond the 120th are dropped. A day number that is not a number in 0..99
// is kept as day 0, which never matches a real date.
#pragma once
#include <cstdint>

#include "foundation/MString.h"

namespace zephyr {

class MLogger;

class HolidayCalendarBase {
public:
    enum DayKind : int32_t { kOrdinaryDay = -1, kWeekend = 1, kListedHoliday = 2 };
    static constexpr uint32_t kMaxDates = 120;

    HolidayCalendarBase() { Clear(); }
    virtual ~HolidayCalendarBase() = default;
    HolidayCalendarBase(const HolidayCalendarBase&) = delete;
    HolidayCalendarBase& operator=(const HolidayCalendarBase&) = delete;

    // Whether a section of the holiday file belongs to the calendar.
    virtual bool MatchSection(const MString& name) = 0;
    // Clears, then reads the file: the number of listed dates, or -1 when it cannot be loaded
    // (the file is only read: a missing one is not created, an unreadable one not replaced).
    // (A comment line without an owner in the file raises MException, as MIniFile does.)
    virtual int32_t Load(const MString& path);
    virtual void Clear();
    virtual bool IsHolidayToday() { return IsHoliday(Today()); }
    virtual int32_t DayTypeToday() { return DayType(Today()); }
    virtual bool IsHoliday(int32_t date) { return DayType(date) > 0; }
    // date YYYYMMDD: kWeekend on a Saturday or Sunday (local calendar), else kListedHoliday when
    // listed, else kOrdinaryDay.
    virtual int32_t DayType(int32_t date);

    uint32_t GetCount() const { return m_Count; }
    // The listed date at index (load order), 0 when index is not below the count.
    int32_t GetDate(uint32_t index) const { return index < m_Count ? m_Dates[index] : 0; }

protected:
    static int32_t Today();

private:
    int32_t m_Dates[kMaxDates];
    uint32_t m_Count;
};

// The driver's calendar: takes the sections "zephyr.<year>" of the current decade.
class HolidayCalendar : public HolidayCalendarBase {
public:
    explicit HolidayCalendar(MLogger* logger) : m_Logger(logger) {}

    // Compares name, ASCII case ignored, with "zephyr." and the current local year over
    // "zephyr." plus three characters; on a match logs "使用%s节假日" (level 1).
    bool MatchSection(const MString& name) override;

private:
    MLogger* m_Logger;
};

}  // namespace zephyr
