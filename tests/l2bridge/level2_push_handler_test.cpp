// The level-2 push handler: the walk over record lengths, the market-time rule, the snapshot
// mapping and the guard against pushes after a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/MClock.h"
#include "market/Market.h"
#include "process/Level2PushHandler.h"
#include "tests/l2bridge/Level2Records.h"

namespace zephyr {
namespace {

using l2test::Bytes;
using l2test::Cat;
using l2test::Cut;
using l2test::Header;
using l2test::MarketTimeRecord;
using l2test::Skipped;
using l2test::SnapshotRecord;

constexpr int64_t kNow = 1418000000;

struct RecordingTarget : Level2PushTarget {
    std::vector<Snapshot> snapshots;
    int64_t last_l2_time = 0;
    bool UpdateSnapshot(const Snapshot& s) override {
        snapshots.push_back(s);
        return true;
    }
    void SetLastL2Time(int64_t seconds) override { last_l2_time = seconds; }
};

class Level2PushHandlerTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Clock.Install();
        SetMarketTime(100000);
        m_Handler.Open();
    }
    void TearDown() override { MClock::SetSource(nullptr); }

    void SetMarketTime(uint32_t time) {
        MarketInfo info{};
        m_Market.GetInfo(&info);
        info.time = time;
        m_Market.SetInfo(&info);
    }
    uint32_t MarketTime() {
        MarketInfo info{};
        m_Market.GetInfo(&info);
        return info.time;
    }
    // The push is handed over in a buffer of exactly its length, so a read past it is caught
    // by the address sanitizer.
    int32_t Push(const Bytes& push) {
        std::vector<uint8_t> exact(push);
        return m_Handler.OnLevel2Push(2, 41, exact.data(), static_cast<uint16_t>(exact.size()), 30);
    }
    std::vector<std::string> Codes() const {
        std::vector<std::string> codes;
        for (const Snapshot& s : m_Target.snapshots) codes.emplace_back(s.code);
        return codes;
    }

    MManualClock m_Clock{kNow, 5000};
    Market m_Market;
    RecordingTarget m_Target;
    Level2PushHandler m_Handler{&m_Market, &m_Target};
};

struct WalkCase {
    const char* name;
    uint32_t market_time_before;
    Bytes push;
    uint32_t market_time_after;
    bool l2_time_refreshed;
    std::vector<std::string> codes;
};

TEST_F(Level2PushHandlerTest, WalksRecordsByTheirLengths) {
    const Bytes a = SnapshotRecord("00001");
    const Bytes b = SnapshotRecord("00002");
    const std::vector<WalkCase> cases = {
        {"header only", 100000, Header(120000), 100000, false, {}},
        {"statistics then market time", 100000, Cat({Header(0), Skipped(3), MarketTimeRecord(100500)}),
         100500, true, {}},
        {"header time above record and market", 100000,
         Cat({Header(101000), MarketTimeRecord(100500)}), 101000, true, {}},
        {"older market time keeps the market time", 100000,
         Cat({Header(0), MarketTimeRecord(93000)}), 100000, true, {}},
        {"trade, order queue of 3 and statistics skipped", 100000,
         Cat({Header(0), Skipped(1), Skipped(2, 3), Skipped(3), a, Skipped(2, 0), b}), 100000,
         false, {"00001", "00002"}},
        {"type 5 stops the walk", 100000, Cat({Header(0), a, Bytes{5}, b}), 100000, false, {"00001"}},
        {"type 0 stops the walk", 100000, Cat({Header(0), Bytes{0}, MarketTimeRecord(110000)}),
         100000, false, {}},
        {"snapshot cut short is dropped", 100000, Cat({Header(0), a, Cut(b, 254)}), 100000, false,
         {"00001"}},
        {"market time cut short is dropped", 100000, Cat({Header(0), Cut(MarketTimeRecord(110000), 10)}),
         100000, false, {}},
        {"order queue without its count byte", 100000, Cat({Header(0), Cut(Skipped(2, 2), 8)}),
         100000, false, {}},
        {"order queue longer than the push hides what follows", 100000,
         Cat({Header(0), Cut(Skipped(2, 200), 20), a}), 100000, false, {}},
        {"skipped record cut short", 100000, Cat({Header(0), Cut(Skipped(1), 42)}), 100000, false, {}},
    };
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetMarketTime(c.market_time_before);
        m_Target = RecordingTarget();
        Push(c.push);
        EXPECT_EQ(MarketTime(), c.market_time_after);
        EXPECT_EQ(m_Target.last_l2_time, c.l2_time_refreshed ? kNow : 0);
        EXPECT_EQ(Codes(), c.codes);
    }
}

TEST_F(Level2PushHandlerTest, SnapshotTakesItsByteRangesFromTheRecord) {
    const Bytes record = SnapshotRecord("01234");
    Snapshot snapshot;
    Level2PushHandler::MapSnapshot(record.data(), &snapshot);
    uint8_t bytes[sizeof(Snapshot)];
    memcpy(bytes, &snapshot, sizeof bytes);
    // (snapshot offset, size, record offset)
    const int ranges[][3] = {{0, 6, 1},    {6, 4, 7},    {10, 4, 11},  {14, 4, 15},  {18, 4, 19},
                             {22, 4, 23},  {26, 8, 27},  {34, 8, 35},  {42, 4, 43},  {46, 8, 47},
                             {54, 2, 55},  {56, 4, 147}, {60, 8, 151}, {68, 2, 159}, {70, 4, 251}};
    int covered = 0;
    for (const auto& r : ranges) {
        EXPECT_EQ(0, memcmp(bytes + r[0], record.data() + r[2], r[1])) << "snapshot offset " << r[0];
        covered += r[1];
    }
    EXPECT_EQ(covered, 74);
    EXPECT_STREQ(snapshot.code, "01234");
}

TEST_F(Level2PushHandlerTest, CountsAppliedRecords) {
    EXPECT_EQ(Push(Cat({Header(0), MarketTimeRecord(100001), Skipped(1), SnapshotRecord("00005")})), 2);
    EXPECT_EQ(Push(Header(0)), 0);
}

TEST_F(Level2PushHandlerTest, ClosedHandlerChangesNothing) {
    m_Handler.Close();
    EXPECT_FALSE(m_Handler.IsOpen());
    EXPECT_EQ(Push(Cat({Header(120000), MarketTimeRecord(120000), SnapshotRecord("00001")})), 0);
    EXPECT_EQ(MarketTime(), 100000u);
    EXPECT_EQ(m_Target.last_l2_time, 0);
    EXPECT_TRUE(m_Target.snapshots.empty());

    m_Handler.Open();
    EXPECT_EQ(Push(Cat({Header(0), SnapshotRecord("00001")})), 1);
}

// Records each run of snapshots handed over and the market time it saw: a run must be applied
// before the market-time record that follows it.
struct RunTarget : Level2PushTarget {
    explicit RunTarget(Market* m) : market(m) {}
    Market* market;
    std::vector<std::pair<std::vector<std::string>, uint32_t>> runs;  // codes, market time
    bool UpdateSnapshot(const Snapshot&) override { return false; }
    void UpdateSnapshots(const Snapshot* snapshots, uint32_t n) override {
        MarketInfo info{};
        market->GetInfo(&info);
        std::vector<std::string> codes;
        for (uint32_t i = 0; i < n; ++i) codes.emplace_back(snapshots[i].code);
        runs.emplace_back(codes, uint32_t{info.time});
    }
    void SetLastL2Time(int64_t) override {}
};

TEST_F(Level2PushHandlerTest, SnapshotsGoInRunsThatEndAtEachMarketTime) {
    RunTarget target(&m_Market);
    Level2PushHandler handler(&m_Market, &target);
    handler.Open();
    const Bytes push = Cat({Header(0), SnapshotRecord("00001"), Skipped(3), SnapshotRecord("00002"),
                            MarketTimeRecord(100100), MarketTimeRecord(100200), SnapshotRecord("00003"),
                            Cut(SnapshotRecord("00004"), 200)});
    EXPECT_EQ(handler.OnLevel2Push(2, 41, push.data(), static_cast<uint16_t>(push.size()), 30), 5);
    using Run = std::pair<std::vector<std::string>, uint32_t>;
    EXPECT_EQ(target.runs, (std::vector<Run>{{{"00001", "00002"}, 100000}, {{"00003"}, 100200}}));

    // The fullest push the 16-bit length allows is one run.
    target.runs.clear();
    Bytes full = Header(0);
    for (uint32_t i = 0; i < Level2PushHandler::kMaxSnapshots; ++i) full = Cat({full, SnapshotRecord("00007")});
    ASSERT_LE(full.size(), 65535u);
    ASSERT_GT(full.size() + Level2PushHandler::kSnapshotLength, 65535u);
    EXPECT_EQ(handler.OnLevel2Push(2, 41, full.data(), static_cast<uint16_t>(full.size()), 30),
              static_cast<int32_t>(Level2PushHandler::kMaxSnapshots));
    ASSERT_EQ(target.runs.size(), 1u);
    EXPECT_EQ(target.runs[0].first.size(), Level2PushHandler::kMaxSnapshots);
}

}  // namespace
}  // namespace zephyr

namespace zephyr {
namespace {

// A target that holds the push in progress until the test lets it go.
struct BlockingTarget : Level2PushTarget {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool release = false;
    int snapshots = 0;
    bool UpdateSnapshot(const Snapshot&) override {
        std::unique_lock<std::mutex> lock(mutex);
        entered = true;
        ++snapshots;
        changed.notify_all();
        changed.wait(lock, [this] { return release; });
        return true;
    }
    void SetLastL2Time(int64_t) override {}
};

TEST(Level2PushHandlerCloseTest, CloseWaitsForThePushInProgress) {
    Market market;
    BlockingTarget target;
    Level2PushHandler handler(&market, &target);
    handler.Open();
    const Bytes push = Cat({Header(0), SnapshotRecord("00001")});
    std::thread pusher([&] { handler.OnLevel2Push(2, 41, push.data(), static_cast<uint16_t>(push.size()), 30); });
    {
        std::unique_lock<std::mutex> lock(target.mutex);
        target.changed.wait(lock, [&] { return target.entered; });
    }
    std::atomic<bool> closed{false};
    std::thread closer([&] {
        handler.Close();
        closed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(closed.load());  // the push still runs: its tables must stay
    {
        std::lock_guard<std::mutex> lock(target.mutex);
        target.release = true;
    }
    target.changed.notify_all();
    pusher.join();
    closer.join();
    EXPECT_TRUE(closed.load());
    EXPECT_EQ(handler.OnLevel2Push(2, 41, push.data(), static_cast<uint16_t>(push.size()), 30), 0);
    EXPECT_EQ(target.snapshots, 1);
}

}  // namespace
}  // namespace zephyr
