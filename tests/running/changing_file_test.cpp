// The market data file changes under the reader while the processing thread reads it every
// second (the level-2 feed silent): cut short, removed, emptied, left half-written. Each pass keeps
// the last good quotes and pushes nothing of a file that is not whole; the whole file, once it
// stands again, is read and pushed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/MarketImage.h"
#include "host/PushDecoder.h"
#include "tests/running/RunningDay.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/Output.h"

namespace zephyr::running {
namespace {

class ChangingFileTest : public RunningDay {
protected:
    void NextSecond() {
        const size_t before = Pushed().headers;
        HostClock::AdvanceMs(1000);
        EXPECT_TRUE(WaitUntil([&] { return Pushed().headers > before; }, 1500));
        LetThreadsPass();  // the pass that read the file has finished
    }
    std::map<std::string, std::string> PulledSnapshots() {
        hostkit::MarketImage image;
        std::string error;
        EXPECT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &image, &error), hostkit::PullResult::kPulled) << error;
        std::map<std::string, std::string> pulled;
        const auto& table = image.Of(hostkit::Table::kSnapshots);
        for (size_t i = 0; i < table.Count(); ++i) {
            pulled[std::string(table.At(i), strnlen(table.At(i), 6))] = std::string(table.At(i), hostkit::kSnapshotSize);
        }
        return pulled;
    }
    std::string Path() const { return sampleday::InData(m_Folder.Path(), sampleday::kMarketDataFile); }
    void Replace(const std::string& bytes) {  // a new file renamed over the old one
        std::string error;
        ASSERT_TRUE(sampleday::ReplaceFile(Path(), bytes, error)) << error;
    }
};

TEST_F(ChangingFileTest, EachPassKeepsTheLastGoodQuotesUntilTheFileIsWholeAgain) {
    WriteDay(20151007, 95900, 300);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Load();
    ASSERT_EQ(m_Driver->Begin(hostkit::MakeWorkParams(7)), 1);
    LetThreadsPass();
    ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == 20151007; }, 2)) << Host().LogDump();
    // Past 30 seconds of level-2 silence: the file is read every second from now on.
    while (HostClock::NowSeconds() < HostClock::LocalSeconds(2015, 10, 7, 10, 0, 34)) NextSecond();
    const std::map<std::string, std::string> good = PulledSnapshots();
    ASSERT_EQ(good.size(), 300u);

    RefreshMarketData(100040);
    std::string next;
    ASSERT_TRUE(sampleday::ReadFile(Path(), next));
    const std::string unfinished = next.substr(0, next.rfind("TRAILER"));
    Host().Clear();
    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"cut in half", [&] { Replace(next.substr(0, next.size() / 2)); }},
        {"cut in the middle of a line", [&] { Replace(next.substr(0, next.find('\n', next.size() / 3) - 7)); }},
        {"removed", [&] { ASSERT_EQ(remove(Path().c_str()), 0); }},
        {"empty", [&] { Replace(""); }},
        {"grown but not finished", [&] { Replace(unfinished); }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.name);
        change.change();
        NextSecond();
        EXPECT_EQ(Pushed().snapshot_records, 0u);
        EXPECT_TRUE(PulledSnapshots() == good);
    }

    // The whole file again: read at the next second, its changed quotes pushed whole.
    Replace(next);
    NextSecond();
    ASSERT_TRUE(WaitUntil([&] { return Pushed().snapshot_records > 0; }, 1500));
    LetThreadsPass();
    const PushSummary pushed = Pushed();
    EXPECT_TRUE(pushed.faults.empty());
    const std::map<std::string, std::string> pulled = PulledSnapshots();
    for (const auto& [code, record] : pushed.snapshots) EXPECT_TRUE(pulled.at(code) == record) << code;
    EXPECT_FALSE(pulled == good);
}

}  // namespace
}  // namespace zephyr::running
