#include <gtest/gtest.h>

#include <string>

#include "config/HolidayCalendar.h"
#include "foundation/MClock.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "portable/FileSystem.h"
#include "tests/FileFaults.h"
#include "tests/config/LogCapture.h"

using zephyr::HolidayCalendar;
using zephyr::HolidayCalendarBase;
using zephyr::hostkit::HostClock;
using zephyr::hostkit::ScratchFolder;

namespace {

class HolidayCalendarTest : public ::testing::Test {
protected:
    HolidayCalendarTest()
        : m_Clock(HostClock::LocalSeconds(2015, 10, 7, 10, 0, 0), 0), m_Calendar(m_Logs.logger()) {
        m_Clock.Install();
    }
    ~HolidayCalendarTest() override { zephyr::MClock::SetSource(nullptr); }
    int32_t Load(const std::string& text) {
        m_Folder.WriteFile("holiday.ini", text);
        return m_Calendar.Load(m_Folder.Join("holiday.ini").c_str());
    }

    ScratchFolder m_Folder;
    LogCapture m_Logs;
    zephyr::MManualClock m_Clock;
    HolidayCalendar m_Calendar;
};

// A file that fails part-way keeps the dates read before the failure, and says it failed.
TEST_F(HolidayCalendarTest, ReadFailurePartWayKeepsWhatWasRead) {
    m_Folder.WriteFile("holiday.ini", "[zephyr.2015]\n01=1,2\n[zephyr.2016]\n01=1\n");
    zephyr::testing::FileFaults faults(zephyr::MFile::Operation::kRead, "holiday.ini", 3);
    EXPECT_EQ(m_Calendar.Load(m_Folder.Join("holiday.ini").c_str()), -1);
    EXPECT_TRUE(faults.Fired());
    EXPECT_EQ(m_Calendar.DayType(20150102), HolidayCalendarBase::kListedHoliday);
    EXPECT_EQ(m_Calendar.DayType(20160101), HolidayCalendarBase::kOrdinaryDay);
}

TEST_F(HolidayCalendarTest, WeekendsAndListedDates) {
    ASSERT_EQ(Load("[zephyr.2015]\n01=1,2\n10=1,2,7\n"), 5);
    EXPECT_EQ(m_Calendar.DayType(20151003), HolidayCalendarBase::kWeekend);        // Saturday
    EXPECT_EQ(m_Calendar.DayType(20151011), HolidayCalendarBase::kWeekend);        // Sunday
    EXPECT_EQ(m_Calendar.DayType(20151007), HolidayCalendarBase::kListedHoliday);  // Wednesday
    EXPECT_EQ(m_Calendar.DayType(20151014), HolidayCalendarBase::kOrdinaryDay);    // Wednesday
    EXPECT_TRUE(m_Calendar.IsHoliday(20150101));
    EXPECT_FALSE(m_Calendar.IsHoliday(20151014));
    EXPECT_TRUE(m_Calendar.IsHolidayToday());  // the clock stands on 2015-10-07
    EXPECT_EQ(m_Calendar.DayTypeToday(), HolidayCalendarBase::kListedHoliday);
    m_Clock.Set(HostClock::LocalSeconds(2015, 10, 8, 23, 59, 59));
    EXPECT_FALSE(m_Calendar.IsHolidayToday());
}

TEST_F(HolidayCalendarTest, SectionsOfTheCurrentDecadeOnlyAndTwoDigitMonths) {
    ASSERT_EQ(Load("[zephyr.2014]\n12=31\n"
                   "[ZEPHYR.2015]\n1=5\n01=6\n"
                   "[zephyr.2021]\n01=7\n"
                   "[other]\n01=8\n"),
              2);
    EXPECT_EQ(m_Calendar.GetDate(0), 20141231);
    EXPECT_EQ(m_Calendar.GetDate(1), 20150106);
    EXPECT_FALSE(m_Calendar.IsHoliday(20150105));  // key "1" is not a month key
    EXPECT_EQ(m_Logs.Count("使用zephyr.2014节假日"), 1);
    EXPECT_EQ(m_Logs.Count("使用ZEPHYR.2015节假日"), 1);
    EXPECT_EQ(m_Logs.lines().size(), 2u);
    EXPECT_EQ(m_Logs.lines()[0].level, zephyr::kLogInfo);
}

TEST_F(HolidayCalendarTest, KeepsTheFirst120DatesInFileOrder) {
    std::string text = "[zephyr.2015]\n";
    int listed = 0;
    for (int month = 1; month <= 5; ++month) {  // 5 x 26 = 130 dates
        text += (month < 10 ? "0" : "") + std::to_string(month) + "=";
        for (int day = 1; day <= 26; ++day, ++listed) text += std::to_string(day) + (day < 26 ? "," : "");
        text += "\n";
    }
    ASSERT_EQ(listed, 130);
    ASSERT_EQ(Load(text), 120);
    EXPECT_EQ(m_Calendar.GetDate(0), 20150101);
    EXPECT_EQ(m_Calendar.GetDate(119), 20150516);  // 4 x 26 + 16
    EXPECT_TRUE(m_Calendar.IsHoliday(20150513));   // a listed Wednesday
    EXPECT_FALSE(m_Calendar.IsHoliday(20150520));  // dropped Wednesday
}

TEST_F(HolidayCalendarTest, MalformedDayNumbersNeverMatchARealDate) {
    ASSERT_EQ(Load("[zephyr.2015]\n01=x,,101,-3, 7,2\n"), 6);
    EXPECT_EQ(m_Calendar.GetDate(0), 20150100);
    EXPECT_EQ(m_Calendar.GetDate(1), 20150100);
    EXPECT_EQ(m_Calendar.GetDate(2), 20150100);  // 101 would have meant 1 February
    EXPECT_EQ(m_Calendar.GetDate(3), 20150100);
    EXPECT_EQ(m_Calendar.GetDate(4), 20150107);
    EXPECT_EQ(m_Calendar.GetDate(5), 20150102);
    EXPECT_EQ(m_Calendar.DayType(20150202), HolidayCalendarBase::kOrdinaryDay);  // a Monday
    EXPECT_EQ(m_Calendar.DayType(20150107), HolidayCalendarBase::kListedHoliday);
}

TEST_F(HolidayCalendarTest, MissingOrUnreadableFileLeavesOnlyWeekendsAndIsNotWritten) {
    ASSERT_TRUE(zephyr::portable::MakeFolder(m_Folder.Join("folder.ini")));
    for (const char* name : {"absent.ini", "folder.ini"}) {
        ASSERT_EQ(Load("[zephyr.2015]\n10=7\n"), 1);
        EXPECT_EQ(m_Calendar.Load(m_Folder.Join(name).c_str()), -1) << name;
        EXPECT_EQ(m_Calendar.GetCount(), 0u);
        EXPECT_FALSE(m_Calendar.IsHoliday(20151007));
        EXPECT_TRUE(m_Calendar.IsHoliday(20151010));
    }
    // A reader only: nothing was created in place of the missing file, the folder stands.
    EXPECT_FALSE(m_Folder.Exists("absent.ini"));
    EXPECT_TRUE(zephyr::portable::IsFolder(m_Folder.Join("folder.ini")));
}

}  // namespace
