#include "config/HolidayCalendar.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "config/IniReading.h"
#include "foundation/MDateTime.h"
#include "foundation/MIniFile.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"

namespace zephyr {

namespace {

constexpr const char* kSectionPrefix = "zephyr.";

// A day number: blanks, optional sign and digits; anything that is not a number in 0..99 is 0.
// (Larger numbers would run into the next months: day 101 of January would read as 1 February.)
int32_t DayNumber(const char* piece, size_t length) {
    int32_t day = MText::ToInteger(piece, length);
    return day >= 0 && day <= 99 ? day : 0;
}

}  // namespace

int32_t HolidayCalendarBase::Today() { return MDateTime::Current().GetDate(); }

void HolidayCalendarBase::Clear() {
    m_Count = 0;
    memset(m_Dates, 0, sizeof m_Dates);
}

int32_t HolidayCalendarBase::Load(const MString& path) {
    Clear();
    MIniFile file;
    // Only read: a missing or unreadable file is left as it stands.
    bool missing = false;
    // A file that could not be read through keeps the dates read before the failure.
    bool part_read = false;
    const int32_t opened = OpenIniForReading(&file, path, &missing, &part_read);
    if (opened < 0 && !part_read) return -1;
    const uint32_t sections = file.GetSectionCount();
    for (uint32_t s = 0; s < sections; ++s) {
        const MString name = file.GetSectionName(s);
        if (!MatchSection(name)) continue;
        int32_t year = name.ToInteger();
        if (year < 1) year = name.Right(4).ToInteger();
        if (year < 1) continue;
        for (int32_t month = 1; month <= 12; ++month) {
            char key[16];
            snprintf(key, sizeof key, "%02d", month);
            const MString value = file.ReadString(name, key, "");
            const char* rest = value.GetData();
            size_t left = value.GetLength();
            while (left > 0) {
                const char* comma = static_cast<const char*>(memchr(rest, ',', left));
                const size_t piece = comma != nullptr ? static_cast<size_t>(comma - rest) : left;
                const int32_t day = DayNumber(rest, piece);
                if (m_Count < kMaxDates) m_Dates[m_Count++] = year * 10000 + month * 100 + day;
                if (comma == nullptr) break;
                rest += piece + 1;
                left -= piece + 1;
            }
        }
    }
    return opened < 0 ? -1 : static_cast<int32_t>(m_Count);
}

int32_t HolidayCalendarBase::DayType(int32_t date) {
    // Asked for every level-2 record: the calendar answers without the time zone work.
    int32_t weekday = MDateTime::CalendarWeekDay(date / 10000, date / 100 % 100, date % 100);
    if (weekday < 0) weekday = MDateTime(date / 10000, date / 100 % 100, date % 100).GetWeekDay();
    if (weekday == 0 || weekday == 6) return kWeekend;
    for (uint32_t i = 0; i < m_Count; ++i) {
        if (m_Dates[i] == date) return kListedHoliday;
    }
    return kOrdinaryDay;
}

bool HolidayCalendar::MatchSection(const MString& name) {
    char expected[32];
    snprintf(expected, sizeof expected, "%s%d", kSectionPrefix,
             static_cast<int>(Today() / 10000));
    if (strncasecmp(name.GetData(), expected, strlen(kSectionPrefix) + 3) != 0) return false;
    if (m_Logger != nullptr) m_Logger->Write(kLogInfo, "Zephyr", "使用%s节假日", name.GetData());
    return true;
}

}  // namespace zephyr
