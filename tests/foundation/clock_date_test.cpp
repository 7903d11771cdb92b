#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "foundation/MClock.h"
#include "foundation/MDateTime.h"
#include "foundation/MErrorCode.h"
#include "host/HostClock.h"
#include "portable/ChildProcess.h"
#include "portable/Environment.h"
#include "portable/Library.h"
#include "portable/LocalTime.h"
#include "tests/HongKongTime.h"

using namespace zephyr;

namespace {

class HongKongTime : public ::testing::Test {
protected:
    void SetUp() override { tests::UseHongKongTime(); }
    void TearDown() override { MClock::SetSource(nullptr); }
};

// 2014-11-15 00:00:00 in Hong Kong (UTC+8).
constexpr int32_t kMidnight20141115 = 1415980800;

}  // namespace

// The first time read of a process takes the host's clock. ctest runs each case in a process of
// its own; where one process runs every case (Windows) and an earlier case has replaced the
// source, the case runs again alone in a fresh process.
TEST_F(HongKongTime, FirstReadTakesTheHostsClock) {
    hostkit::HostClock::SetSeconds(kMidnight20141115 + 3600);
    hostkit::HostClock::SetTick(77);
    if (MClock::NowSeconds() != kMidnight20141115 + 3600 && std::getenv("ZEPHYR_CASE_ALONE") == nullptr) {
        portable::SetEnvironment("ZEPHYR_CASE_ALONE", "1");
        int status = -1;
        const std::string program = portable::ModuleFileOf(reinterpret_cast<const void*>(&kMidnight20141115));
        const std::string out = portable::RunCapturingOutput(
            portable::QuoteArgument(program) + " --gtest_filter=HongKongTime.FirstReadTakesTheHostsClock", &status);
        portable::ClearEnvironment("ZEPHYR_CASE_ALONE");
        EXPECT_EQ(status, 0) << out;
        return;
    }
    EXPECT_EQ(MClock::NowSeconds(), kMidnight20141115 + 3600);
    EXPECT_EQ(MClock::TickMs(), 77u);
    hostkit::HostClock::AdvanceMs(1500);
    EXPECT_EQ(MDateTime::Current().GetTime(), 10001);
    EXPECT_EQ(MClock::TickMs(), 1577u);
}

TEST_F(HongKongTime, SetSourceReplacesAndNullGoesBackToRealTime) {
    MManualClock clock(kMidnight20141115, 10);
    clock.Install();
    EXPECT_EQ(MClock::NowSeconds(), kMidnight20141115);
    clock.AdvanceMs(999);
    EXPECT_EQ(MClock::NowSeconds(), kMidnight20141115);
    clock.AdvanceMs(1);
    EXPECT_EQ(MClock::NowSeconds(), kMidnight20141115 + 1);
    EXPECT_EQ(MClock::TickMs(), 1010u);
    clock.Set(-1);
    EXPECT_EQ(clock.Now(), -1);

    MClock::SetSource(nullptr);
    const int64_t real = static_cast<int64_t>(time(nullptr));
    EXPECT_LE(std::llabs(MClock::NowSeconds() - real), 2);
    // The real tick moves in steps of up to about 16 ms (GetTickCount on Windows).
    const uint32_t tick = MClock::TickMs();
    MClock::SleepMs(50);
    EXPECT_GE(MClock::TickMs() - tick, 30u);
}

TEST_F(HongKongTime, DateAndTimeInLocalTime) {
    const MDateTime midnight(2014, 11, 15);
    EXPECT_EQ(midnight.GetValue(), kMidnight20141115);
    struct Case {
        int32_t offset;
        int32_t date;
        int32_t time;
        int32_t weekday;
    } cases[] = {
        {0, 20141115, 0, 6},
        {12 * 3600, 20141115, 120000, 6},
        {86399, 20141115, 235959, 6},
        {86400, 20141116, 0, 0},
        {-1, 20141114, 235959, 5},
    };
    for (const Case& c : cases) {
        MDateTime t(midnight);
        t.AddSeconds(c.offset);
        EXPECT_EQ(t.GetDate(), c.date) << c.offset;
        EXPECT_EQ(t.GetTime(), c.time) << c.offset;
        EXPECT_EQ(t.GetWeekDay(), c.weekday) << c.offset;
    }
    // Epoch in Hong Kong is 08:00; values before it cannot be converted.
    EXPECT_EQ(MDateTime(0).GetDate(), 19700101);
    EXPECT_EQ(MDateTime(0).GetTime(), 80000);
    EXPECT_EQ(MDateTime(-1).GetDate(), 0);
    EXPECT_EQ(MDateTime(-1).GetTime(), 0);
    EXPECT_EQ(MDateTime(-1).GetWeekDay(), ERR_BAD_DATETIME);
    // Out-of-range fields roll over; dates past the 32-bit range cannot be held.
    EXPECT_EQ(MDateTime(2014, 13, 1).GetDate(), 20150101);
    EXPECT_EQ(MDateTime(2040, 1, 1).GetDate(), 0);
    EXPECT_EQ(MDateTime(2038, 1, 19).GetDate(), 20380119);
}

// The calendar's weekday is the one the time zone path gives, on every date of its years.
TEST_F(HongKongTime, CalendarWeekDayAgreesWithTheLocalTime) {
    static const int32_t kDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int32_t year = 1971; year <= 2037; ++year) {
        for (int32_t month = 1; month <= 12; ++month) {
            for (int32_t day = 1; day <= kDays[month - 1]; ++day) {
                if (month == 2 && day == 29 && year % 4 != 0) continue;
                ASSERT_EQ(MDateTime::CalendarWeekDay(year, month, day), MDateTime(year, month, day).GetWeekDay())
                    << year << "-" << month << "-" << day;
            }
        }
    }
    for (const auto& d : {std::array<int32_t, 3>{2015, 2, 29}, {2016, 2, 30}, {2014, 13, 1}, {2014, 4, 31},
                          {2014, 0, 1}, {2014, 1, 0}, {1970, 6, 1}, {2038, 1, 1}}) {
        EXPECT_EQ(MDateTime::CalendarWeekDay(d[0], d[1], d[2]), -1) << d[0] << "-" << d[1] << "-" << d[2];
    }
}

// Conversions of one second are remembered, but never across a change of TZ.
TEST_F(HongKongTime, LocalTimeFollowsAChangeOfZone) {
    const MDateTime t(kMidnight20141115);
    EXPECT_EQ(t.GetTime(), 0);
    if (!portable::SetTimeZone("UTC")) GTEST_SKIP() << "the zone is the system's here";
    EXPECT_EQ(t.GetTime(), 160000);
    EXPECT_EQ(t.GetDate(), 20141114);
    portable::SetTimeZone(nullptr);
    tests::UseHongKongTime();
    EXPECT_EQ(t.GetTime(), 0);
}

TEST_F(HongKongTime, NowReadsTheClock) {
    MManualClock clock(kMidnight20141115 + 9 * 3600 + 30 * 60, 0);
    clock.Install();
    MDateTime t;
    EXPECT_EQ(t.GetValue(), 0);
    EXPECT_EQ(t.Now().GetTime(), 93000);
    EXPECT_EQ(t.GetDate(), 20141115);
    EXPECT_EQ(MDateTime::Current(), t);
    clock.AdvanceMs(60000);
    EXPECT_TRUE(t < MDateTime::Current());
}
