// The records that hold addresses, built and read byte by byte from the published table of
// offsets rather than from the header's structs: a driver of either build must read and write
// them where a host compiled for that build puts them.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/running/RunningDay.h"

namespace zephyr::running {
namespace {

// The address width and, from it, every size and offset a host of this build uses.
struct Layout {
    size_t address;
    size_t base_info, work_params, frame_request, market_targets;
};
#if defined(__i386__)
constexpr Layout kLayout = {4, 256, 128, 12, 8};
#else
constexpr Layout kLayout = {8, 260, 156, 16, 16};
#endif
constexpr size_t A = kLayout.address;

template <typename T>
void Put(std::vector<uint8_t>& record, size_t at, T value) {
    ASSERT_LE(at + sizeof value, record.size());
    std::memcpy(record.data() + at, &value, sizeof value);
}

using LayoutTest = RunningDay;

TEST_F(LayoutTest, HandBuiltRecordsDriveADayOfThisBuild) {
    ASSERT_EQ(sizeof(void*), A);
    WriteDay(20151007, 95900, 93);  // 100 code records with the 7 indices
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    DriverLibrary& driver = Load();

    // The base info ends where the table says; its zero tail runs up to there.
    std::vector<uint8_t> base(kLayout.base_info + 16, 0xCC);
    driver.get_driver_base_info(reinterpret_cast<DriverBaseInfo*>(base.data()));
    EXPECT_EQ(base[0], 30);
    for (size_t i = 171 + A; i < kLayout.base_info; ++i) ASSERT_EQ(base[i], 0) << "offset " << i;
    EXPECT_EQ(kLayout.base_info - (171 + A), 81u);
    for (size_t i = kLayout.base_info; i < base.size(); ++i) ASSERT_EQ(base[i], 0xCC) << "offset " << i;
    void* console = nullptr;
    std::memcpy(&console, base.data() + 171, A);
    EXPECT_EQ(console, driver.Console());

    // The host's record: the seven callbacks from offset 16, one address apart, then 84 bytes.
    std::vector<uint8_t> params(kLayout.work_params, 0);
    Put<uint16_t>(params, 0, 1);
    Put<uint16_t>(params, 6, 7);         // driver id
    Put<uint32_t>(params, 10, 100000);   // request budget
    Put<uint16_t>(params, 14, 8192);     // frame size
    const void* callbacks[] = {reinterpret_cast<const void*>(&hostkit::RecordPush),
                               reinterpret_cast<const void*>(&hostkit::RecordLog),
                               reinterpret_cast<const void*>(&hostkit::RecordConsoleOutput),
                               reinterpret_cast<const void*>(&hostkit::RecordConsoleReply),
                               reinterpret_cast<const void*>(&hostkit::RecordReset)};
    for (size_t k = 0; k < 5; ++k) Put(params, 16 + k * A, callbacks[k]);
    EXPECT_EQ(params.size() - (16 + 7 * A), 84u);
    ASSERT_EQ(driver.begin_driver_work(reinterpret_cast<const DriverWorkParams*>(params.data()), nullptr), 1);
    LetThreadsPass();
    ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == m_Options.date; }, 2)) << Host().LogDump();
    EXPECT_TRUE(Host().WaitForLog("", 1000)) << "the log callback at offset 16 + A was not called";

    // GetMarketInfo's targets: the market record's address, then the categories'.
    std::vector<uint8_t> market(49, 0xCC), categories(13 * 4, 0xCC);
    std::vector<uint8_t> targets(kLayout.market_targets, 0);
    Put<void*>(targets, 0, market.data());
    Put<void*>(targets, A, categories.data());
    const uint16_t capacity = 4;
    EXPECT_EQ(driver.get_market_info(&capacity, reinterpret_cast<const MarketInfoTargets*>(targets.data())), 2);
    EXPECT_EQ(hostkit::ReadU32(market.data() + 2), 20151007u);

    // A frame request: the position's address at 2, version, frame and buffer length after it.
    FramePosition position{0, 0};
    std::vector<uint8_t> request(kLayout.frame_request, 0);
    Put<uint8_t>(request, 0, 2);
    Put<uint8_t>(request, 1, 0x54);
    Put<void*>(request, 2, &position);
    Put<uint16_t>(request, 2 + A, 3);
    Put<uint16_t>(request, 4 + A, 0);
    Put<uint16_t>(request, 6 + A, 8192);
    const auto* typed = reinterpret_cast<const FrameRequest*>(request.data());
    uint8_t last = 0xCC;
    EXPECT_EQ(driver.get_data_frame_count(typed, &last), 1);
    std::vector<uint8_t> frame(8192, 0);
    void* output = frame.data();
    EXPECT_GT(driver.get_one_data_frame(typed, &output), 0);
    EXPECT_EQ(hostkit::ReadU16(frame.data()), 100);
    EXPECT_EQ(driver.End(), 1);
}

}  // namespace
}  // namespace zephyr::running
