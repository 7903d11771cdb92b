// What the host receives while the day runs: whole frames of known types in every push, the
// market header once a second inside the working window, and, with the level-2 feed silent for
// more than 30 seconds, the market data file read once a second with its changed quotes pushed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "host/MarketImage.h"
#include "host/PushDecoder.h"
#include "tests/running/RunningDay.h"
#include "tools/sampleday/Output.h"

namespace zephyr::running {
namespace {

class PushTest : public RunningDay {
protected:
    // One second of the day: the clock moves, and the processing thread pushes the header.
    void NextSecond() {
        const size_t before = Summarise(Host().Pushes()).headers;
        HostClock::AdvanceMs(1000);
        EXPECT_TRUE(WaitUntil([&] { return Summarise(Host().Pushes()).headers == before + 1; }, 1500))
            << "no market header at " << HostClock::NowSeconds();
    }
    int64_t SecondsSince(int h, int m, int s) const {
        return HostClock::NowSeconds() - HostClock::LocalSeconds(2015, 10, 7, h, m, s);
    }
};

TEST_F(PushTest, SilentLevel2FeedMakesTheDriverReadTheMarketDataFileEverySecond) {
    WriteDay(20151007, 95900, 300);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Load();
    ASSERT_EQ(m_Driver->Begin(hostkit::MakeWorkParams(7)), 1);
    LetThreadsPass();
    // The first tick (10:00:02) opens the day; its re-initialisation call restarts the level-2
    // silence. The second opens the market record.
    ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == 20151007; }, 2));
    Host().Clear();

    // A later market data file is there early, but the driver leaves it alone for 30 seconds.
    RefreshMarketData(100010);
    while (SecondsSince(10, 0, 32) < 0) {
        NextSecond();
        ASSERT_EQ(Summarise(Host().Pushes()).snapshot_records, 0u) << "at " << SecondsSince(10, 0, 0);
    }
    const size_t seconds_before = Summarise(Host().Pushes()).headers;
    NextSecond();  // 10:00:33: more than 30 s of silence
    ASSERT_TRUE(WaitUntil([&] { return Summarise(Host().Pushes()).snapshot_records > 0; }, 1500));

    // The changed quotes were pushed, and the host's pull shows the same records.
    const auto pushed = Summarise(Host().Pushes());
    hostkit::MarketImage image;
    std::string error;
    ASSERT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &image, &error), hostkit::PullResult::kPulled) << error;
    const auto& snapshots = image.Of(hostkit::Table::kSnapshots);
    std::map<std::string, std::string> pulled;
    for (size_t i = 0; i < snapshots.Count(); ++i) {
        pulled[std::string(snapshots.At(i), strnlen(snapshots.At(i), 6))] = std::string(snapshots.At(i), hostkit::kSnapshotSize);
    }
    for (const auto& item : pushed.snapshots) EXPECT_EQ(pulled.at(item.first), item.second) << item.first;
    EXPECT_GT(pushed.snapshots.size(), 10u);
    EXPECT_EQ(image.MarketTime(), 100010u);

    // Read again every second: a still later file is picked up at the next second.
    const size_t records = pushed.snapshot_records;
    RefreshMarketData(100040);
    NextSecond();
    ASSERT_TRUE(WaitUntil([&] { return Summarise(Host().Pushes()).snapshot_records > records; }, 1500));

    // The market-wide volume of the latest file reaches the status record (every 5 s).
    std::string manifest;
    ASSERT_TRUE(sampleday::ReadFile(sampleday::InDir(m_Folder.Path(), sampleday::kManifestFile), manifest));
    uint64_t total = 0;
    size_t line_start = manifest.find('\n', manifest.find('\n') + 1) + 1;
    while (line_start < manifest.size()) {
        const size_t line_end = manifest.find('\n', line_start);
        size_t column = line_start;
        for (int c = 0; c < 13; ++c) column = manifest.find('\t', column) + 1;  // "volume"
        total += std::strtoull(manifest.c_str() + column, nullptr, 10);
        line_start = line_end + 1;
    }
    for (int i = 0; i < 6; ++i) NextSecond();
    EXPECT_EQ(hostkit::ReadU64(m_Driver->StatusBytes().data() + 34), total);

    // One header a second throughout, and every push was whole.
    const auto summary = Summarise(Host().Pushes());
    EXPECT_EQ(summary.headers, seconds_before + 8);
    EXPECT_TRUE(summary.faults.empty()) << summary.faults.front();

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(m_Driver->End(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

}  // namespace
}  // namespace zephyr::running
