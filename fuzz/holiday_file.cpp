// A holiday file as a hostile folder may hold it, read by the driver's calendar on a day of 2015
// (so "zephyr.201x" sections count). The listed dates never pass the calendar's room, each is a
// date of a month 1..12 with a day number 0..99, and asking about each of them is safe.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/HolidayCalendar.h"
#include "foundation/MClock.h"
#include "foundation/MException.h"
#include "foundation/MString.h"
#include "fuzz/FuzzFiles.h"

using namespace zephyr;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MManualClock* clock = [] {
        MManualClock* made = new MManualClock(1444176000, 0);  // 2015-10-07 00:00:00 UTC
        made->Install();
        return made;
    }();
    (void)clock;
    const std::string path = fuzz::Folder() + "holiday.ini";
    fuzz::WriteWhole(path, data, size);
    HolidayCalendar calendar(nullptr);
    int32_t count;
    try {
        count = calendar.Load(MString(path.c_str()));
    } catch (const MException&) {
        return 0;
    }
    if (count < 0 || static_cast<uint32_t>(count) != calendar.GetCount()) abort();
    if (calendar.GetCount() > HolidayCalendarBase::kMaxDates) abort();
    for (uint32_t i = 0; i < calendar.GetCount(); ++i) {
        const int32_t date = calendar.GetDate(i);
        const int32_t month = date / 100 % 100;
        if (date < 10000 || date > 99999999 || month < 1 || month > 12) abort();
        calendar.DayType(date);
    }
    calendar.IsHolidayToday();
    return 0;
}
