// The millisecond tick wraps past 2^32 in the middle of a serving day: the status thread's
// 2-second clock, the market header once a second, the price table saved every 5 seconds and the
// 30-second level-2 silence rule all keep their pace across the wrap.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "host/PushDecoder.h"
#include "tests/running/RunningDay.h"

namespace zephyr::running {
namespace {

class TickWrapTest : public RunningDay {
protected:
    int64_t Now() const { return HostClock::NowSeconds() - HostClock::LocalSeconds(2015, 10, 7, 10, 0, 0); }
    // One second: the clock moves and the processing thread pushes the market header.
    void NextSecond() {
        const size_t before = Pushed().headers;
        HostClock::AdvanceMs(1000);
        EXPECT_TRUE(WaitUntil([&] { return Pushed().headers > before; }, 1500))
            << "no market header at 10:00:" << Now() << ", tick " << HostClock::TickMs();
    }
    bool MarketAnswers() const {
        std::vector<uint8_t> market, categories;
        return m_Driver->MarketInfo(4, &market, &categories) >= 0;
    }
    // Overwrites the saved price table's first bytes in place (the driver keeps the file open).
    void ScribbleOnPriceTable() {
        std::fstream file(m_Folder.Join("hkpricetb.dat"), std::ios::in | std::ios::out | std::ios::binary);
        ASSERT_TRUE(file.is_open());
        ASSERT_TRUE(file.write("XXXX", 4).flush());
    }
    bool PriceTableSaved() const { return m_Folder.ReadFile("hkpricetb.dat").compare(0, 4, "RVPT") == 0; }
};

TEST_F(TickWrapTest, TimedActivitiesKeepTheirPaceAcrossTheWrap) {
    WriteDay(20151007, 95900, 300);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    HostClock::SetTick(UINT32_MAX - 20000 + 1);  // wraps to 0 at 10:00:20
    Load();
    ASSERT_EQ(m_Driver->Begin(hostkit::MakeWorkParams(7)), 1);
    LetThreadsPass();
    ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == 20151007; }, 2)) << Host().LogDump();
    while (Now() < 18) NextSecond();

    // A re-initialisation leaves the market record unanswered until the status thread's next
    // 2-second tick, which falls across the wrap. It also restarts the level-2 silence.
    ASSERT_EQ(m_Driver->Command(1, {"reinstance"}), 1);
    EXPECT_FALSE(MarketAnswers());
    ASSERT_TRUE(TickUntil([&] { return MarketAnswers(); })) << "tick " << HostClock::TickMs();
    ASSERT_LT(HostClock::TickMs(), 10000u) << "the tick has wrapped";

    // The next 5-second save after the wrap rewrites the price table.
    ScribbleOnPriceTable();
    for (int i = 0; i < 6 && !PriceTableSaved(); ++i) NextSecond();
    EXPECT_TRUE(WaitUntil([&] { return PriceTableSaved(); }, 1500));

    // The market data file is left alone for 30 seconds of silence, then read.
    RefreshMarketData(100040);
    Host().Clear();
    while (Now() < 18 + 30) {
        NextSecond();
        ASSERT_EQ(Pushed().snapshot_records, 0u) << "at 10:00:" << Now();
    }
    NextSecond();
    EXPECT_TRUE(WaitUntil([&] { return Pushed().snapshot_records > 0; }, 1500));
}

}  // namespace
}  // namespace zephyr::running
