// The level-2 path end to end: Zephyr.so loads nimbus.so beside it, the feed's snapshots and
// market times reach the host through the driver, the driver's console reaches the module, and
// after the driver's stop the still-running module changes nothing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "host/DriverLibrary.h"
#include "host/HostClock.h"
#include "host/HostRecorder.h"
#include "host/MarketImage.h"
#include "host/ScratchFolder.h"
#include "tests/l2bridge/NimbusDay.h"
#include "portable/FileSystem.h"
#include "tests/LibraryNames.h"
#include "tests/l2sim/SampleDayProgram.h"

namespace zephyr {
namespace {

using hostkit::DriverLibrary;
using hostkit::HostClock;
using hostkit::HostRecorder;

constexpr size_t kVoipOffset = 70;

bool WaitUntil(const std::function<bool()>& done, int timeout_ms) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class DriverLevel2Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!portable::IsRunnable(l2test::GeneratorProgram())) GTEST_SKIP() << "no sample-day generator built";
        ASSERT_EQ(l2test::RunGenerator("--date 20151007 --time 95900 --shares 60 --ini --out " +
                                       portable::QuoteArgument(m_Folder.Path())),
                  0);
        l2test::ClearNimbusEnvironment();  // nimbus.ini beside the module is the one read
        m_Folder.CopyIn(NIMBUS_SO_PATH, tests::ModuleFileName());
        m_Folder.WriteFile("nimbus.ini", "[Feed]\nMktdt = ./data/mktdt04.txt\nRate = 2000\nBatch = 10\nCompress = 1\n");
        m_Folder.EnterAsWorkingDirectory();
        HostRecorder::Instance().Clear();
        m_Driver.reset(new DriverLibrary(hostkit::CopyDriverInto(m_Folder, ZEPHYR_SO_PATH)));
        ASSERT_TRUE(m_Driver->IsLoaded()) << m_Driver->Error();
    }
    void TearDown() override {
        if (m_Driver) m_Driver->End();
        m_Driver.reset();  // unloads the driver, which unloads the module
    }

    bool Serving() {
        for (int tick = 0; tick < 4; ++tick) {
            HostClock::AdvanceMs(2100);
            if (WaitUntil([&] { return m_Driver->IsWorking() == 1; }, 1500)) return true;
        }
        return false;
    }
    // Snapshots of the pulled table that carry a level-2 value (the file has none).
    size_t Level2Snapshots(uint32_t* market_time) {
        hostkit::MarketImage image;
        std::string error;
        if (hostkit::PullMarketImage(*m_Driver, 8192, &image, &error) != hostkit::PullResult::kPulled) return 0;
        *market_time = image.MarketTime();
        const hostkit::RecordBlock& snapshots = image.Of(hostkit::Table::kSnapshots);
        size_t n = 0;
        for (size_t i = 0; i < snapshots.Count(); ++i) {
            if (hostkit::LoadU32(snapshots.At(i) + kVoipOffset) != 0) ++n;
        }
        return n;
    }

    hostkit::ScratchFolder m_Folder;
    std::unique_ptr<DriverLibrary> m_Driver;
};

TEST_F(DriverLevel2Test, FeedReachesTheHostAndStopsMatteringAtTheDriversStop) {
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    ASSERT_EQ(m_Driver->Begin(hostkit::MakeWorkParams()), 1) << HostRecorder::Instance().LogDump();
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ASSERT_TRUE(Serving()) << HostRecorder::Instance().LogDump();
    EXPECT_EQ(HostRecorder::Instance().LogsContaining("启动传输模块成功").size(), 1u);

    // Packed pushes of the module are unpacked and walked: every share gets level-2 values and
    // the market time moves past the file's 09:59:00 with the feed's market-time records.
    uint32_t market_time = 0;
    EXPECT_TRUE(WaitUntil([&] { return Level2Snapshots(&market_time) == 60 && market_time > 95900; }, 5000))
        << "market time " << market_time << "\n" << HostRecorder::Instance().LogDump();

    // The driver's console reaches the module's.
    HostRecorder::Instance().Clear();
    EXPECT_GE(m_Driver->Command(4, {"l2cmd", "rate", "3000"}), 0);
    const auto replies = HostRecorder::Instance().Consoles();
    ASSERT_EQ(replies.size(), 1u) << HostRecorder::Instance().LogDump();
    EXPECT_EQ(replies[0].text, "nimbus: rate 3000 snapshots per second\n");
    EXPECT_EQ(replies[0].console, 4u);

    // The module keeps pushing after the driver's stop; nothing reaches the host any more.
    EXPECT_EQ(m_Driver->End(), 1);
    const size_t pushes = HostRecorder::Instance().Pushes().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(HostRecorder::Instance().Pushes().size(), pushes);
}

}  // namespace
}  // namespace zephyr
