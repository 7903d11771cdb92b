// The trading day as a host sees it: when the driver starts serving, what a holiday does, the
// re-initialisation on the next working day, and files that arrive late.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "host/MarketDigest.h"
#include "host/MarketImage.h"
#include "tests/running/RunningDay.h"

namespace zephyr::running {
namespace {

using hostkit::MakeWorkParams;

// What the host could see from inside its market reset callback.
struct ResetView {
    uint8_t working;
    int32_t market_info;
    int32_t frame_count;
};

std::atomic<const DriverLibrary*> g_driver{nullptr};
std::mutex g_views_mutex;
std::vector<ResetView> g_views;

void ObserveReset(uint8_t market, uint16_t driver_id) {
    const DriverLibrary* driver = g_driver.load();
    if (driver != nullptr) {
        std::vector<uint8_t> info, categories;
        uint8_t last = 0;
        ResetView view{driver->IsWorking(), driver->MarketInfo(4, &info, &categories),
                       driver->FrameCount(2, 0x54, 0, 3, &last)};
        std::lock_guard<std::mutex> lock(g_views_mutex);
        g_views.push_back(view);
    }
    hostkit::RecordReset(market, driver_id);
}

std::vector<ResetView> Views() {
    std::lock_guard<std::mutex> lock(g_views_mutex);
    return g_views;
}

class ScheduleTest : public RunningDay {
protected:
    void SetUp() override {
        RunningDay::SetUp();
        std::lock_guard<std::mutex> lock(g_views_mutex);
        g_views.clear();
    }
    void TearDown() override {
        g_driver.store(nullptr);
        RunningDay::TearDown();
    }
    // Starts the driver with the observing reset callback.
    void Begin() {
        DriverLibrary& driver = Load();
        g_driver.store(&driver);
        DriverWorkParams params = MakeWorkParams();
        params.market_reset = &ObserveReset;
        ASSERT_EQ(driver.Begin(params), 1) << Host().LogDump();
        // The status thread starts its 2-second clock when it begins to run.
        LetThreadsPass();
    }
    size_t LogCount(const std::string& text) const { return Host().LogsContaining(text).size(); }
};

TEST_F(ScheduleTest, WorkingDayServesFromTheFirstTickAfterTheOpeningTime) {
    WriteDay(20151007, 75900, 300);
    HostClock::SetLocal(2015, 10, 7, 8, 0, 0);
    Begin();
    EXPECT_EQ(m_Driver->IsWorking(), 0);
    uint8_t last = 0;
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 0, 3, &last), -1);

    // Ticks before 08:45 open nothing.
    HostClock::SetLocal(2015, 10, 7, 8, 44, 55);
    EXPECT_FALSE(TickUntil([&] { return Working(); }, 2));
    std::vector<uint8_t> market, categories;
    EXPECT_EQ(m_Driver->MarketInfo(4, &market, &categories), -1);

    // The first tick after 08:45: the day was loaded by the start, so nothing is reloaded.
    ASSERT_TRUE(TickUntil([&] { return Working(); })) << Host().LogDump();
    EXPECT_GE(HostClock::NowSeconds(), HostClock::LocalSeconds(2015, 10, 7, 8, 45, 1));
    EXPECT_TRUE(WaitUntil([&] { return LogCount("行情初始化结束,本次码表个数307") == 1; }));
    EXPECT_EQ(LogCount("重新开始初始化"), 0u);
    EXPECT_TRUE(Host().Resets().empty());
    ASSERT_TRUE(WaitUntil([&] { return MarketDate() == 20151007; }));
    EXPECT_EQ(m_Driver->MarketInfo(4, &market, &categories), 2);
}

// Without the day's price-spread file the driver serves all the same, and its error line says
// so rather than claiming it cannot serve.
TEST_F(ScheduleTest, MissingPriceSpreadFileIsReportedAndTheDayIsServed) {
    WriteDay(20151007, 95900, 300);
    ASSERT_EQ(remove(m_Folder.Join("data/zxjc1007.txt").c_str()), 0);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Begin();
    ASSERT_TRUE(TickUntil([&] { return Working(); })) << Host().LogDump();
    const auto lines = Host().LogsContaining("未使用存盘价位表文件");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 3);
    EXPECT_EQ(lines[0].text, "未使用存盘价位表文件，价位表可能不全，仍对外服务, errcode=-12");
    EXPECT_EQ(LogCount("不能对外服务"), 0u);
    ASSERT_TRUE(WaitUntil([&] { return MarketDate() == 20151007; }));
}

TEST_F(ScheduleTest, HolidayIsNeverReinitialisedAndNeverWorks) {
    WriteDay(20151010, 75900, 300);  // a Saturday
    HostClock::SetLocal(2015, 10, 10, 8, 0, 0);
    Begin();
    HostClock::SetLocal(2015, 10, 10, 8, 45, 1);

    // The status thread opens the service but the data never count as ready; every second pass
    // raises ProcessState to 1 again and the next tick drops it to 3, so the market info
    // alternates between -1 and an answer.
    int not_serving = 0, answered = 0;
    for (int tick = 0; tick < 4; ++tick) {
        HostClock::AdvanceMs(kStatusTickMs);
        for (int i = 0; i < 25; ++i) {
            EXPECT_EQ(m_Driver->IsWorking(), 0);
            std::vector<uint8_t> market, categories;
            (m_Driver->MarketInfo(4, &market, &categories) == -1 ? not_serving : answered)++;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::printf("holiday: GetMarketInfo answered -1 %d times, 2 %d times\n", not_serving, answered);
    EXPECT_GT(not_serving, 0);
    EXPECT_EQ(LogCount("重新开始初始化"), 0u);
    EXPECT_EQ(LogCount("行情初始化结束"), 0u);
    EXPECT_TRUE(Host().Resets().empty());
}

TEST_F(ScheduleTest, NextWorkingDayIsReinitialisedOnceAndServesItsOwnFiles) {
    WriteDay(20151007, 95900, 300);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Begin();
    ASSERT_TRUE(TickUntil([&] { return Working(); })) << Host().LogDump();
    hostkit::MarketImage first;
    std::string error;
    ASSERT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &first, &error), hostkit::PullResult::kPulled) << error;
    EXPECT_EQ(first.MarketDate(), 20151007u);

    // Overnight: the next day's files arrive before the opening.
    WriteDay(20151008, 84000, 320);
    HostClock::SetLocal(2015, 10, 8, 8, 40, 0);
    LetThreadsPass();
    TickUntil([] { return false; });
    EXPECT_TRUE(Host().Resets().empty());

    // (The processing thread may read the new market data file into yesterday's tables before the
    // status thread's tick re-initialises them: wait for the reset itself.)
    HostClock::SetLocal(2015, 10, 8, 8, 45, 0);
    ASSERT_TRUE(TickUntil([&] { return !Host().Resets().empty() && Working() && MarketDate() == 20151008; }, 3))
        << Host().LogDump();
    // While the tables were rebuilt the host was kept out.
    const std::vector<ResetView> views = Views();
    ASSERT_EQ(views.size(), 1u);
    EXPECT_EQ(views[0].working, 0);
    EXPECT_EQ(views[0].market_info, -1);
    EXPECT_EQ(views[0].frame_count, -1);
    ASSERT_EQ(Host().Resets().size(), 1u);
    EXPECT_EQ(Host().Resets()[0].market, 30);
    EXPECT_EQ(Host().Resets()[0].driver_id, 7);

    // Later ticks of the same day change nothing.
    TickUntil([] { return false; }, 2);
    EXPECT_EQ(Host().Resets().size(), 1u);
    EXPECT_EQ(LogCount("重新开始初始化"), 1u);
    EXPECT_TRUE(WaitUntil([&] { return LogCount("行情初始化结束,本次码表个数327") == 1; }));

    hostkit::MarketImage second;
    ASSERT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &second, &error), hostkit::PullResult::kPulled) << error;
    EXPECT_EQ(second.MarketDate(), 20151008u);
    EXPECT_EQ(second.ItemCount(), 327u);
    EXPECT_EQ(second.Of(hostkit::Table::kCodes).Count(), 327u);
    EXPECT_EQ(second.Of(hostkit::Table::kSnapshots).Count(), 320u);
    const std::string previous = first.market.substr(hostkit::kDigestOffset, hostkit::kDigestSize);
    EXPECT_EQ(hostkit::CheckMarketDigest(second, previous), hostkit::DigestCheck::kMatchesAfterReinit);
}

TEST_F(ScheduleTest, LateFilesArePickedUpAtTheFirstTickAfterTheyAppear) {
    WriteDay(20151007, 95900, 300);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Begin();
    ASSERT_TRUE(TickUntil([&] { return Working(); })) << Host().LogDump();

    // The night re-arms the day's initialisation.
    HostClock::SetLocal(2015, 10, 8, 8, 0, 0);
    LetThreadsPass();
    // The next working day opens while the folder still holds yesterday's files: every tick
    // tries again (and tells the host that the market was reset), and nothing is served.
    HostClock::SetLocal(2015, 10, 8, 8, 45, 0);
    ASSERT_TRUE(TickUntil([&] { return Host().Resets().size() >= 1; }, 2));
    ASSERT_TRUE(TickUntil([&] { return Host().Resets().size() >= 2; }, 2));
    // The second attempt has failed before the files arrive; one still reading would take them.
    ASSERT_TRUE(WaitUntil([&] { return LogCount("构建码表失败") >= 2; })) << Host().LogDump();
    EXPECT_EQ(m_Driver->IsWorking(), 0);
    EXPECT_EQ(LogCount("行情初始化结束"), 1u);  // the start's day only

    // The files arrive at 09:10; the next tick serves them.
    HostClock::SetLocal(2015, 10, 8, 9, 10, 0);
    WriteDay(20151008, 91000, 310);
    const size_t resets = Host().Resets().size();
    ASSERT_TRUE(TickUntil([&] { return Working(); })) << Host().LogDump();
    EXPECT_EQ(Host().Resets().size(), resets + 1);
    // Initialised but not yet serving the market record (ProcessState 3) until the next tick.
    std::vector<uint8_t> market, categories;
    EXPECT_EQ(m_Driver->MarketInfo(4, &market, &categories), -1);
    ASSERT_TRUE(TickUntil([&] { return MarketDate() == 20151008; }));
    EXPECT_TRUE(WaitUntil([&] { return LogCount("行情初始化结束,本次码表个数317") == 1; }));
}

// A new day that begins inside the working window, with no pass outside it in between: a
// whole-day window crossing midnight, and a host suspended overnight inside an ordinary window.
// The first tick of the new day re-initialises once.
struct NewDayCase {
    const char* name;
    bool whole_day;  // KPTime 0, SPTime 2400
    int start_hour, start_minute, start_second;
    int next_hour, next_minute;  // on the next day
};

void PrintTo(const NewDayCase& c, std::ostream* os) { *os << c.name; }

class NewDayInsideTheWindow : public ScheduleTest, public ::testing::WithParamInterface<NewDayCase> {};

TEST_P(NewDayInsideTheWindow, IsReinitialisedOnceAtItsFirstTick) {
    const NewDayCase& c = GetParam();
    WriteDay(20151007, 95900, 300);
    if (c.whole_day) {
        m_Folder.WriteFile("Zephyr.ini",
                          m_Folder.ReadFile("Zephyr.ini") + "\r\n[Time]\r\nKPTime = 0\r\nSPTime = 2400\r\n");
    }
    HostClock::SetLocal(2015, 10, 7, c.start_hour, c.start_minute, c.start_second);
    Begin();
    ASSERT_TRUE(TickUntil([&] { return Working(); }, 2)) << Host().LogDump();
    EXPECT_TRUE(Host().Resets().empty());

    // The next day's files are there; the clock goes straight into the next day's window.
    WriteDay(20151008, 95900, 320);
    HostClock::SetLocal(2015, 10, 8, c.next_hour, c.next_minute, 0);
    ASSERT_TRUE(TickUntil([&] { return !Host().Resets().empty() && Working() && MarketDate() == 20151008; }, 3))
        << Host().LogDump();
    TickUntil([] { return false; }, 2);
    EXPECT_EQ(Host().Resets().size(), 1u);
    EXPECT_EQ(LogCount("重新开始初始化"), 1u);
    EXPECT_TRUE(WaitUntil([&] { return LogCount("行情初始化结束,本次码表个数327") == 1; }));
}

INSTANTIATE_TEST_SUITE_P(Schedule, NewDayInsideTheWindow,
                         ::testing::Values(NewDayCase{"WholeDayWindowOverMidnight", true, 23, 59, 50, 0, 0},
                                           NewDayCase{"SuspendedOvernight", false, 10, 0, 0, 10, 0}),
                         [](const ::testing::TestParamInfo<NewDayCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zephyr::running
