#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "portable/Library.h"
#include "tests/driver/DriverFixture.h"

using zephyr::hostkit::ReadU32;

namespace {

using ExportsTest = DriverFixture;

TEST_F(ExportsTest, OnlyTheNineFunctionsAreExported) {
    std::vector<std::string> exported;
    ASSERT_TRUE(zephyr::portable::ExportedNames(ZEPHYR_SO_PATH, &exported));
    const std::set<std::string> names(exported.begin(), exported.end());
    EXPECT_EQ(names.size(), exported.size());  // no name twice
    EXPECT_EQ(names, (std::set<std::string>{
                         "GetDllVersion", "GetDriverBaseInfo", "BeginDriverWork", "EndDriverWork",
                         "IsDriverWorking", "GetDriverStatusInfo", "GetMarketInfo",
                         "GetDataFrameCount", "GetOneDataFrame"}));
}

TEST_F(ExportsTest, VersionAndBaseInfoOnAFreshLibrary) {
    zephyr::hostkit::DriverLibrary& driver = Load();
    EXPECT_EQ(driver.DllVersion(), 0x0064002Fu);

    const auto bytes = driver.BaseInfoBytes(0xCC);
    std::string expected(sizeof(zephyr::DriverBaseInfo), '\0');
    expected[0] = 30;
    expected.replace(1, 2, "H ");
    expected.replace(3, 6, "Zephyr");
    const std::string description = "港股通源驱动[VER:V1.00 B047]";
    expected.replace(43, description.size(), description);
    const size_t pointer_at = offsetof(zephyr::DriverBaseInfo, console);
    ASSERT_EQ(pointer_at, 171u);
    const std::string got(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    EXPECT_EQ(got.substr(0, pointer_at), expected.substr(0, pointer_at));
    EXPECT_NE(std::string(got, pointer_at, sizeof(void*)), std::string(sizeof(void*), '\0'));
    EXPECT_EQ(got.substr(pointer_at + sizeof(void*)), expected.substr(pointer_at + sizeof(void*)));
    // The console object answers like the base object (no command set yet) and lives on.
    EXPECT_NE(driver.Console(), nullptr);
    EXPECT_EQ(driver.Console(), driver.Console());

    driver.get_driver_base_info(nullptr);  // ignored
}

TEST_F(ExportsTest, StatusInfoOfADriverThatIsNotStarted) {
    zephyr::hostkit::DriverLibrary& driver = Load();
    const auto status = driver.StatusBytes(0xCC);
    EXPECT_EQ(ReadU32(&status[0]), 0x0064002Fu);
    EXPECT_EQ(status[4], 30);
    EXPECT_EQ(status[5], 0);
    EXPECT_EQ(status[50], 0);
    for (size_t i = 10; i < 42; ++i) EXPECT_EQ(status[i], 0) << "offset " << i;
    for (size_t i = 51; i < 163; ++i) EXPECT_EQ(status[i], 0) << "offset " << i;
    EXPECT_EQ(driver.IsWorking(), 0);
    driver.get_driver_status_info(nullptr);  // ignored
    // A stop without a start is harmless and writes nothing.
    EXPECT_EQ(driver.End(), 1);
    EXPECT_FALSE(m_Folder.Exists("Zephyr.ini"));
}

TEST_F(ExportsTest, ADriverThatDoesNotServeAnswersMinusOne) {
    zephyr::hostkit::DriverLibrary& driver = Load();
    for (int started = 0; started < 2; ++started) {
        if (started) {
            ASSERT_EQ(driver.Begin(zephyr::hostkit::MakeWorkParams()), 1);
        }
        std::vector<uint8_t> market, categories;
        EXPECT_EQ(driver.MarketInfo(2, &market, &categories), -1);
        uint8_t last = 0xCC;
        // Not serving comes before every other check of the request.
        EXPECT_EQ(driver.FrameCount(2, 0x55, 0, 3, &last), -1);
        EXPECT_EQ(driver.FrameCount(3, 0x55, 0, 3, &last), -1);
        EXPECT_EQ(driver.FrameCount(2, 0x56, 0, 2, &last), -1);
        EXPECT_EQ(last, 0xCC);
        std::vector<uint8_t> frame(64, 0xCC);
        EXPECT_EQ(driver.OneFrame(2, 0x55, 0, 3, 0, &frame), -1);
        EXPECT_EQ(frame, std::vector<uint8_t>(64, 0xCC));
        EXPECT_EQ(driver.IsWorking(), 0);
    }
    EXPECT_EQ(driver.End(), 1);
    EXPECT_EQ(driver.IsWorking(), 0);
}

TEST_F(ExportsTest, NullRecordsAreRefusedWithoutWriting) {
    zephyr::hostkit::DriverLibrary& driver = Load();
    EXPECT_EQ(driver.begin_driver_work(nullptr, nullptr), -1);
    ASSERT_EQ(driver.Begin(zephyr::hostkit::MakeWorkParams()), 1);

    uint16_t capacity = 4;
    uint8_t market[49];
    memset(market, 0xCC, sizeof market);
    zephyr::MarketInfoTargets targets{market, nullptr};
    EXPECT_EQ(driver.get_market_info(nullptr, &targets), -1);
    EXPECT_EQ(driver.get_market_info(&capacity, nullptr), -1);
    EXPECT_EQ(driver.get_market_info(&capacity, &targets), -1);
    EXPECT_EQ(market[0], 0xCC);

    zephyr::FramePosition position{0, 0};
    zephyr::FrameRequest request{2, 0x55, &position, 3, 0, 64};
    zephyr::FrameRequest no_position{2, 0x55, nullptr, 3, 0, 64};
    uint8_t last = 0xCC;
    EXPECT_EQ(driver.get_data_frame_count(nullptr, &last), 0);
    EXPECT_EQ(driver.get_data_frame_count(&request, nullptr), 0);
    EXPECT_EQ(driver.get_data_frame_count(&no_position, &last), 0);
    EXPECT_EQ(last, 0xCC);
    uint8_t buffer[64];
    memset(buffer, 0xCC, sizeof buffer);
    void* output = buffer;
    EXPECT_EQ(driver.get_one_data_frame(nullptr, &output), 0);
    EXPECT_EQ(driver.get_one_data_frame(&request, nullptr), 0);
    EXPECT_EQ(driver.get_one_data_frame(&no_position, &output), 0);
    EXPECT_EQ(buffer[0], 0xCC);
    EXPECT_EQ(driver.End(), 1);
}

}  // namespace
