#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "config/HolidayCalendar.h"
#include "foundation/MClock.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "tests/config/LogCapture.h"

using zephyr::HolidayCalendar;
using zephyr::HolidayCalendarBase;
using zephyr::hostkit::HostClock;
using zephyr::hostkit::ScratchFolder;

namespace {

class HolidayCalendarTest : public ::testing::Test {
protected:
    HolidayCalendarTest()
        : clock_(HostClock::LocalSeconds(2015, 10, 7, 10, 0, 0), 0), calendar_(logs_.logger()) {
        clock_.Install();
    }
    ~HolidayCalendarTest() override { zephyr::MClock::SetSource(nullptr); }
    int32_t Load(const std::string& text) {
        folder_.WriteFile("holiday.ini", text);
        return calendar_.Load(folder_.Join("holiday.ini").c_str());
    }

    ScratchFolder folder_;
    LogCapture logs_;
    zephyr::MManualClock clock_;
    HolidayCalendar calendar_;
};

TEST_F(HolidayCalendarTest, WeekendsAndListedDates) {
    ASSERT_EQ(Load("[zephyr.2015]\n01=1,2\n10=1,2,7\n"), 5);
    EXPECT_EQ(calendar_.DayType(20151003), HolidayCalendarBase::kWeekend);        // Saturday
    EXPECT_EQ(calendar_.DayType(20151011), HolidayCalendarBase::kWeekend);        // Sunday
    EXPECT_EQ(calendar_.DayType(20151007), HolidayCalendarBase::kListedHoliday);  // Wednesday
    EXPECT_EQ(calendar_.DayType(20151014), HolidayCalendarBase::kOrdinaryDay);    // Wednesday
    EXPECT_TRUE(calendar_.IsHoliday(20150101));
    EXPECT_FALSE(calendar_.IsHoliday(20151014));
    EXPECT_TRUE(calendar_.IsHolidayToday());  // the clock stands on 2015-10-07
    EXPECT_EQ(calendar_.DayTypeToday(), HolidayCalendarBase::kListedHoliday);
    clock_.Set(HostClock::LocalSeconds(2015, 10, 8, 23, 59, 59));
    EXPECT_FALSE(calendar_.IsHolidayToday());
}

TEST_F(HolidayCalendarTest, SectionsOfTheCurrentDecadeOnlyAndTwoDigitMonths) {
    ASSERT_EQ(Load("[zephyr.2014]\n12=31\n"
                   "[ZEPHYR.2015]\n1=5\n01=6\n"
                   "[zephyr.2021]\n01=7\n"
                   "[other]\n01=8\n"),
              2);
    EXPECT_EQ(calendar_.GetDate(0), 20141231);
    EXPECT_EQ(calendar_.GetDate(1), 20150106);
    EXPECT_FALSE(calendar_.IsHoliday(20150105));  // key "1" is not a month key
    EXPECT_EQ(logs_.Count("使用zephyr.2014节假日"), 1);
    EXPECT_EQ(logs_.Count("使用ZEPHYR.2015节假日"), 1);
    EXPECT_EQ(logs_.lines().size(), 2u);
    EXPECT_EQ(logs_.lines()[0].level, zephyr::kLogInfo);
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
    EXPECT_EQ(calendar_.GetDate(0), 20150101);
    EXPECT_EQ(calendar_.GetDate(119), 20150516);  // 4 x 26 + 16
    EXPECT_TRUE(calendar_.IsHoliday(20150513));   // a listed Wednesday
    EXPECT_FALSE(calendar_.IsHoliday(20150520));  // dropped Wednesday
}

TEST_F(HolidayCalendarTest, MalformedDayNumbersNeverMatchARealDate) {
    ASSERT_EQ(Load("[zephyr.2015]\n01=x,,101,-3, 7,2\n"), 6);
    EXPECT_EQ(calendar_.GetDate(0), 20150100);
    EXPECT_EQ(calendar_.GetDate(1), 20150100);
    EXPECT_EQ(calendar_.GetDate(2), 20150100);  // 101 would have meant 1 February
    EXPECT_EQ(calendar_.GetDate(3), 20150100);
    EXPECT_EQ(calendar_.GetDate(4), 20150107);
    EXPECT_EQ(calendar_.GetDate(5), 20150102);
    EXPECT_EQ(calendar_.DayType(20150202), HolidayCalendarBase::kOrdinaryDay);  // a Monday
    EXPECT_EQ(calendar_.DayType(20150107), HolidayCalendarBase::kListedHoliday);
}

TEST_F(HolidayCalendarTest, MissingOrUnreadableFileLeavesOnlyWeekendsAndIsNotWritten) {
    ASSERT_EQ(mkdir(folder_.Join("folder.ini").c_str(), 0755), 0);
    for (const char* name : {"absent.ini", "folder.ini"}) {
        ASSERT_EQ(Load("[zephyr.2015]\n10=7\n"), 1);
        EXPECT_EQ(calendar_.Load(folder_.Join(name).c_str()), -1) << name;
        EXPECT_EQ(calendar_.GetCount(), 0u);
        EXPECT_FALSE(calendar_.IsHoliday(20151007));
        EXPECT_TRUE(calendar_.IsHoliday(20151010));
    }
    // A reader only: nothing was created in place of the missing file, the folder stands.
    EXPECT_FALSE(folder_.Exists("absent.ini"));
    struct stat info;
    ASSERT_EQ(stat(folder_.Join("folder.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

}  // namespace
