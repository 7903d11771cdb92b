// The push pool: batching by threshold, the market-time header, a ring that wraps, flushes that
// make room, and the failures (empty ring, no ring, frames that can never fit) with their log lines.
// Also the push frame builders, since every producer reaches the pool through them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/MErrorCode.h"
#include "foundation/MLog.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"
#include "push/MPushPool.h"
#include "push/PushFrames.h"

namespace zephyr {
namespace {

struct HostPush {
    uint8_t main_type, sub_type, market, compressed;
    uint16_t driver_id;
    std::vector<uint8_t> data;
};

std::vector<HostPush> g_pushes;

int32_t RecordPush(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length, uint8_t market,
                   uint16_t driver_id, uint8_t compressed) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    g_pushes.push_back({main_type, sub_type, market, compressed, driver_id,
                        std::vector<uint8_t>(bytes, bytes + length)});
    return 0;
}

struct LogLine {
    int32_t level;
    std::string module, message;
};

void RecordLog(void* context, int32_t level, const char* module, const char* message) {
    static_cast<std::vector<LogLine>*>(context)->push_back({level, module, message});
}

constexpr uint32_t kMarketTime = 93015;
uint32_t FixedMarketTime(void*) { return kMarketTime; }

std::vector<uint8_t> Frame(uint32_t length, uint8_t seed) {
    std::vector<uint8_t> frame(length);
    for (uint32_t i = 0; i < length; ++i) frame[i] = static_cast<uint8_t>(seed + i);
    return frame;
}

class PushPoolTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_pushes.clear();
        m_Logger.SetSink(&RecordLog, &m_Log);
        m_Pool.SetHost(&RecordPush, 7);
        m_Pool.SetLogger(&m_Logger);
        m_Pool.SetMarketTimeSource(&FixedMarketTime, nullptr);
    }
    void Init(uint16_t threshold) {
        ASSERT_EQ(m_Pool.Init(MPushPool::kMainType, MPushPool::kSubType, kMarketNumber, 8000, threshold), 1);
    }
    int32_t Put(const std::vector<uint8_t>& frame) {
        return m_Pool.PutData(frame.data(), static_cast<uint32_t>(frame.size()));
    }
    // The pending bytes behind the 4-byte header of push i.
    std::vector<uint8_t> Body(size_t i) const {
        return std::vector<uint8_t>(g_pushes[i].data.begin() + 4, g_pushes[i].data.end());
    }

    std::vector<LogLine> m_Log;
    MLogger m_Logger;
    MPushPool m_Pool;
};

TEST_F(PushPoolTest, DefaultThresholdSendsEachFrameBehindTheMarketTime) {
    Init(0);
    Snapshot snapshot;
    std::memset(&snapshot, 0x31, sizeof snapshot);
    ASSERT_EQ(PutSnapshot(m_Pool, snapshot), 1);

    ASSERT_EQ(g_pushes.size(), 1u);
    const HostPush& push = g_pushes[0];
    EXPECT_EQ(push.main_type, 2);
    EXPECT_EQ(push.sub_type, 86);
    EXPECT_EQ(push.market, 30);
    EXPECT_EQ(push.driver_id, 7);
    EXPECT_EQ(push.compressed, 0);
    ASSERT_EQ(push.data.size(), 79u);
    EXPECT_EQ(LoadLe<uint32_t>(push.data.data()), kMarketTime);
    EXPECT_EQ(push.data[4], kPushSnapshot);
    EXPECT_EQ(std::memcmp(push.data.data() + 5, &snapshot, sizeof snapshot), 0);
    EXPECT_EQ(m_Pool.Pending(), 0u);
    EXPECT_TRUE(m_Log.empty());
}

TEST_F(PushPoolTest, ThresholdBatchesFramesInPutOrder) {
    Init(3);
    const auto a = Frame(23, 0x10), b = Frame(23, 0x40), c = Frame(23, 0x80);
    ASSERT_EQ(Put(a), 1);
    ASSERT_EQ(Put(b), 1);
    EXPECT_TRUE(g_pushes.empty());
    EXPECT_EQ(m_Pool.Pending(), 46u);
    ASSERT_EQ(Put(c), 1);
    ASSERT_EQ(g_pushes.size(), 1u);
    ASSERT_EQ(g_pushes[0].data.size(), 4u + 69u);
    std::vector<uint8_t> expected(a);
    expected.insert(expected.end(), b.begin(), b.end());
    expected.insert(expected.end(), c.begin(), c.end());
    EXPECT_EQ(Body(0), expected);

    // The count starts again after a flush, the timed one included.
    ASSERT_EQ(Put(a), 1);
    EXPECT_EQ(m_Pool.PushOutOnce(), 23);
    ASSERT_EQ(Put(b), 1);
    ASSERT_EQ(Put(c), 1);
    EXPECT_EQ(g_pushes.size(), 2u);
}

TEST_F(PushPoolTest, EmptyFlushCallsNothing) {
    Init(0);
    EXPECT_EQ(m_Pool.PushOutOnce(), ERR_LOOPBUF_EMPTY);
    EXPECT_TRUE(g_pushes.empty());
}

TEST_F(PushPoolTest, FullRingIsFlushedToMakeRoom) {
    Init(60000);
    const auto big = Frame(7990, 1);
    const auto small = Frame(20, 0xA0);
    ASSERT_EQ(Put(big), 1);
    EXPECT_TRUE(g_pushes.empty());
    ASSERT_EQ(Put(small), 1);
    ASSERT_EQ(g_pushes.size(), 1u);
    ASSERT_EQ(g_pushes[0].data.size(), 7994u);
    EXPECT_EQ(Body(0), big);
    EXPECT_EQ(m_Pool.Pending(), 20u);
    // The new frame sits across the end of the ring and comes out whole.
    EXPECT_EQ(m_Pool.PushOutOnce(), 20);
    EXPECT_EQ(Body(1), small);
}

TEST_F(PushPoolTest, FramesSurviveManyTripsRoundTheRing) {
    Init(5);
    std::vector<uint8_t> sent, received;
    for (uint32_t i = 0; i < 2000; ++i) {
        const auto frame = Frame(7 + i % 53, static_cast<uint8_t>(i));
        sent.insert(sent.end(), frame.begin(), frame.end());
        ASSERT_EQ(Put(frame), 1) << i;
    }
    m_Pool.PushOutOnce();
    for (size_t i = 0; i < g_pushes.size(); ++i) {
        const auto body = Body(i);
        received.insert(received.end(), body.begin(), body.end());
    }
    EXPECT_GT(sent.size(), 3u * MPushPool::kRingSize);
    EXPECT_EQ(received, sent);
}

TEST_F(PushPoolTest, PutAfterReleaseReportsTheMissingRing) {
    Init(0);
    m_Pool.Release();
    EXPECT_EQ(m_Pool.Capacity(), 0u);
    EXPECT_EQ(Put(Frame(10, 0)), ERR_NOT_INITIALISED);
    EXPECT_TRUE(g_pushes.empty());
    ASSERT_EQ(m_Log.size(), 1u);
    EXPECT_EQ(m_Log[0].level, kLogWarning);
    EXPECT_EQ(m_Log[0].module, "VuriZezUvuRA");
    EXPECT_EQ(m_Log[0].message, "<MPushPool>PushOutOnce错误[Err:-1610612733]");
    EXPECT_EQ(m_Pool.PushOutOnce(), ERR_NOT_INITIALISED);
}

// A frame longer than the free space but short enough for an empty ring is stored after the flush
// even when the flush sent fewer bytes than the frame holds (the frame is not lost behind a
// positive result).
TEST_F(PushPoolTest, FrameLongerThanWhatTheFlushSentIsStillStored) {
    Init(60000);
    const auto first = Frame(10, 3);
    const auto large = Frame(7995, 9);
    ASSERT_EQ(Put(first), 1);
    ASSERT_EQ(Put(large), 1);
    ASSERT_EQ(g_pushes.size(), 1u);
    EXPECT_EQ(Body(0), first);
    EXPECT_EQ(m_Pool.PushOutOnce(), 7995);
    EXPECT_EQ(Body(1), large);
    EXPECT_TRUE(m_Log.empty());
}

struct RefusalCase {
    const char* name;
    uint32_t pending;       // bytes put before
    bool null_data;
    uint32_t length;
    int32_t result;
    const char* logged;
    size_t pushes;          // host pushes the put caused
};

TEST_F(PushPoolTest, RefusedFramesAreLoggedAndReported) {
    const RefusalCase cases[] = {
        {"longer than the ring can ever hold", 100, false, 8000, ERR_LOOPBUF_FULL,
         "<MPushPool>PutData错误[Err:-1610612716]", 1},
        {"too long for an empty ring", 0, false, 8000, ERR_LOOPBUF_EMPTY,
         "<MPushPool>PushOutOnce错误[Err:-1610612715]", 0},
        {"no data", 100, true, 20, ERR_BAD_ARGUMENT, "<MPushPool>PutData错误[Err:-1610612734]", 1},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        Init(60000);
        g_pushes.clear();
        m_Log.clear();
        if (c.pending > 0) {
            ASSERT_EQ(Put(Frame(c.pending, 0)), 1);
        }
        const auto frame = Frame(c.length, 0);
        EXPECT_EQ(m_Pool.PutData(c.null_data ? nullptr : frame.data(), c.length), c.result);
        EXPECT_EQ(g_pushes.size(), c.pushes);
        ASSERT_EQ(m_Log.size(), 1u);
        EXPECT_EQ(m_Log[0].message, c.logged);
        EXPECT_EQ(m_Pool.Pending(), 0u);
    }
}

TEST_F(PushPoolTest, WithoutHostCallbackBytesAreConsumed) {
    Init(60000);
    m_Pool.SetHost(nullptr, 7);
    ASSERT_EQ(Put(Frame(30, 0)), 1);
    EXPECT_EQ(m_Pool.PushOutOnce(), 30);
    EXPECT_EQ(m_Pool.Pending(), 0u);
    EXPECT_TRUE(g_pushes.empty());
}

TEST_F(PushPoolTest, MarketTimeComesFromTheMarketAtTheFlush) {
    Market market;
    m_Pool.SetMarket(&market);
    Init(60000);
    ASSERT_EQ(Put(Frame(5, 0)), 1);
    MarketInfo info;
    market.GetInfo(&info);
    info.time = 143059;
    market.SetInfo(&info);
    ASSERT_EQ(m_Pool.PushOutOnce(), 5);
    EXPECT_EQ(LoadLe<uint32_t>(g_pushes[0].data.data()), 143059u);
}

TEST(PushFrames, BuildersWriteTypeAndFixedPayload) {
    MarketInfo info;
    std::memset(&info, 0, sizeof info);
    info.market_number = 30;
    info.date = 20141115;
    info.time = 101530;
    info.status = 4;
    uint8_t out[200];
    ASSERT_EQ(BuildMarketHeaderFrame(info, out, sizeof out), 11u);
    const uint8_t header[] = {0, 30, 0x3B, 0x54, 0x33, 0x01, 0x9A, 0x8C, 0x01, 0x00, 4};
    EXPECT_EQ(std::memcmp(out, header, sizeof header), 0);
    EXPECT_EQ(BuildMarketHeaderFrame(info, out, 10), 0u);

    MarketQuotaStatus quota;
    std::memset(&quota, 0x5A, sizeof quota);
    ASSERT_EQ(BuildQuotaStatusFrame(quota, out, sizeof out), 26u);
    EXPECT_EQ(out[0], kPushQuotaStatus);
    EXPECT_EQ(std::memcmp(out + 1, &quota, 25), 0);

    ProductStatus status;
    std::memset(&status, 0x41, sizeof status);
    ASSERT_EQ(BuildProductStatusFrame(status, out, sizeof out), 23u);
    EXPECT_EQ(out[0], kPushProductStatus);

    IndexEntry entries[3];
    std::memset(entries, 0x22, sizeof entries);
    ASSERT_EQ(BuildIndexFrame(entries, 3, out, sizeof out), 127u);
    EXPECT_EQ(out[0], kPushIndex);
    EXPECT_EQ(BuildIndexFrame(entries, 3, out, 126), 0u);
    EXPECT_EQ(BuildIndexFrame(nullptr, 3, out, sizeof out), 0u);
    EXPECT_EQ(BuildSnapshotFrame(nullptr, 1, out, sizeof out), 0u);
}

TEST_F(PushPoolTest, ManySnapshotsAreSplitIntoFramesThatFitTheRing) {
    Init(0);
    std::vector<Snapshot> snapshots(200);
    for (size_t i = 0; i < snapshots.size(); ++i) std::memset(&snapshots[i], static_cast<int>(i), sizeof(Snapshot));
    ASSERT_EQ(PutSnapshots(m_Pool, snapshots.data(), 200), 1);
    ASSERT_EQ(g_pushes.size(), 2u);
    EXPECT_EQ(g_pushes[0].data.size(), 4u + SnapshotFrameSize(kSnapshotsPerFrame));
    EXPECT_EQ(g_pushes[1].data.size(), 4u + SnapshotFrameSize(200 - kSnapshotsPerFrame));
    EXPECT_EQ(g_pushes[1].data[4], kPushSnapshot);
    EXPECT_EQ(std::memcmp(g_pushes[1].data.data() + 5, &snapshots[kSnapshotsPerFrame], sizeof(Snapshot)), 0);
    EXPECT_EQ(PutSnapshots(m_Pool, nullptr, 3), ERR_BAD_ARGUMENT);
}

// A run of frames put at once must reach the host exactly as the same frames put one by one:
// same pushes, same bytes, same flush points (threshold, a ring that fills up and wraps).
TEST_F(PushPoolTest, RunOfFramesIsPushedAsTheSameFramesPutOneByOne) {
    constexpr uint32_t kRecord = 74;
    constexpr uint32_t kRecords = 250;  // about 2.3 rings of frames
    std::vector<uint8_t> records(kRecord * kRecords);
    for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<uint8_t>(i * 7 + i / 97);
    for (uint16_t threshold : {0, 1, 3, 20, 500}) {
        SCOPED_TRACE(threshold);
        g_pushes.clear();
        Init(threshold);
        ASSERT_EQ(m_Pool.PutData("x", 1), 1);  // the run starts off the ring's start
        for (uint32_t i = 0; i < kRecords; ++i) {
            std::vector<uint8_t> frame(1, kPushSnapshot);
            frame.insert(frame.end(), records.begin() + i * kRecord, records.begin() + (i + 1) * kRecord);
            ASSERT_EQ(Put(frame), 1);
        }
        m_Pool.PushOutOnce();
        const std::vector<HostPush> one_by_one = g_pushes;

        g_pushes.clear();
        Init(threshold);
        ASSERT_EQ(m_Pool.PutData("x", 1), 1);
        ASSERT_EQ(m_Pool.PutFrames(kPushSnapshot, records.data(), kRecord, 100), 1);
        ASSERT_EQ(m_Pool.PutFrames(kPushSnapshot, records.data() + 100 * kRecord, kRecord, kRecords - 100), 1);
        m_Pool.PushOutOnce();
        ASSERT_EQ(g_pushes.size(), one_by_one.size());
        for (size_t i = 0; i < g_pushes.size(); ++i) EXPECT_EQ(g_pushes[i].data, one_by_one[i].data) << i;
    }
    EXPECT_EQ(m_Pool.PutFrames(kPushSnapshot, nullptr, kRecord, 1), ERR_BAD_ARGUMENT);
    EXPECT_EQ(m_Pool.PutFrames(kPushSnapshot, nullptr, kRecord, 0), 1);
    m_Pool.Release();
    EXPECT_EQ(m_Pool.PutFrames(kPushSnapshot, records.data(), kRecord, 2), ERR_NOT_INITIALISED);
}

}  // namespace
}  // namespace zephyr
