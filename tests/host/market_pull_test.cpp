// A full pull over a driver's frame functions, served here by a small in-process stand-in that
// follows the driver's frame rules (frame size, request budget, next index in every frame).
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "host/DriverLibrary.h"
#include "host/MarketImage.h"
#include "tests/host/ReplicaFixtures.h"

using namespace zephyr;
using namespace zephyr::hostkit;

namespace {

struct StandIn {
    MarketImage image;
    uint32_t frame_size = 7992;
    uint32_t budget = 819200;
    bool serving = true;
    int32_t lie_in_frame = -1;  // this frame number says a wrong next index
};
StandIn g_driver;

const RecordBlock* TableOf(uint8_t sub) {
    for (Table table : kAllTables) {
        if (static_cast<uint8_t>(table) == sub) return &g_driver.image.Of(table);
    }
    return nullptr;
}

int32_t StandInMarketInfo(const uint16_t* capacity, const MarketInfoTargets* targets) {
    if (!g_driver.serving) return -1;
    std::memcpy(targets->market_info, g_driver.image.market.data(), kMarketInfoSize);
    if (*capacity < g_driver.image.categories.size()) return -2;
    for (size_t i = 0; i < g_driver.image.categories.size(); ++i) {
        std::memcpy(static_cast<char*>(targets->categories) + i * kCategorySize, g_driver.image.categories[i].data(),
                    kCategorySize);
    }
    return static_cast<int32_t>(g_driver.image.categories.size());
}

int32_t StandInFrameCount(const FrameRequest* request, uint8_t* last) {
    if (!g_driver.serving) return -1;
    const RecordBlock* block = TableOf(request->sub_type);
    const uint32_t k = g_driver.frame_size / block->record_size;
    if (k == 0) return 0;
    *last = 0;
    const uint32_t m = g_driver.budget / g_driver.frame_size * k;
    const uint32_t s = request->position->first_record;
    const uint32_t r = static_cast<uint32_t>(block->Count()) - s;
    if (r <= m) *last = 1;
    const uint32_t n = std::min(r, m);
    const uint32_t frames = (n + k - 1) / k;
    return frames == 0 ? 1 : static_cast<int32_t>(frames);
}

int32_t StandInOneFrame(const FrameRequest* request, void* const* output) {
    if (!g_driver.serving) return -1;
    const RecordBlock* block = TableOf(request->sub_type);
    const uint32_t k = g_driver.frame_size / block->record_size;
    if (k == 0 || request->buffer_length < g_driver.frame_size) return 0;
    const uint32_t first = request->position->first_record + request->frame_number * k;
    const uint32_t count = static_cast<uint32_t>(block->Count());
    const uint32_t n = first >= count ? 0 : std::min(k, count - first);
    char* out = static_cast<char*>(*output);
    uint32_t next = first + n;
    if (request->frame_number == g_driver.lie_in_frame) ++next;
    out[0] = static_cast<char>(next & 0xFF);
    out[1] = static_cast<char>(next >> 8);
    if (n > 0) std::memcpy(out + 2, block->At(first), n * block->record_size);
    return static_cast<int32_t>(2 + n * block->record_size);
}

class MarketPull : public ::testing::Test {
protected:
    MarketPull() : m_Driver("/nonexistent/Zephyr.so") {
        m_Driver.get_market_info = &StandInMarketInfo;
        m_Driver.get_data_frame_count = &StandInFrameCount;
        m_Driver.get_one_data_frame = &StandInOneFrame;
        g_driver = StandIn();
        g_driver.image = hosttest::SmallMarket();
        // Enough shares that a small budget needs several frame series.
        std::string& snapshots = g_driver.image.Of(Table::kSnapshots).bytes;
        for (int i = 0; i < 1000; ++i) {
            snapshots += hosttest::Snapshot(std::to_string(10000 + i).c_str(), static_cast<uint32_t>(i));
        }
        std::string& quota = g_driver.image.Of(Table::kQuotaStatus).bytes;
        quota.assign(kQuotaStatusSize, 'Q');
        g_driver.image.Of(Table::kExchangeRate).bytes.assign(kExchangeRateSize, 'R');
    }
    DriverLibrary m_Driver;
};

TEST_F(MarketPull, FollowsFramesAndSeriesToTheEndOfEveryTable) {
    for (uint32_t budget : {819200u, 7992u, 1000u}) {  // one series; one frame a series; below a frame
        SCOPED_TRACE(budget);
        g_driver.budget = budget;
        MarketImage image;
        std::string error;
        ASSERT_EQ(PullMarketImage(m_Driver, 8192, &image, &error), PullResult::kPulled) << error;
        EXPECT_EQ(image.market, g_driver.image.market);
        EXPECT_EQ(image.categories, g_driver.image.categories);
        for (Table table : kAllTables) {
            EXPECT_EQ(image.Of(table).bytes, g_driver.image.Of(table).bytes) << TableName(table);
        }
    }
}

TEST_F(MarketPull, NotServingAndBrokenFramesAreTold) {
    MarketImage image;
    std::string error;
    g_driver.serving = false;
    EXPECT_EQ(PullMarketImage(m_Driver, 8192, &image, &error), PullResult::kNotServing);
    EXPECT_TRUE(image.Empty());

    g_driver.serving = true;
    g_driver.lie_in_frame = 0;
    EXPECT_EQ(PullMarketImage(m_Driver, 8192, &image, &error), PullResult::kBroken);
    EXPECT_NE(error.find("next index"), std::string::npos) << error;
    EXPECT_TRUE(image.Empty());  // nothing half-pulled is handed out

    // A buffer below the driver's frame size gets no frame at all.
    g_driver.lie_in_frame = -1;
    EXPECT_EQ(PullMarketImage(m_Driver, 4000, &image, &error), PullResult::kBroken);
}

}  // namespace
