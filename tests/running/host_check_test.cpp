// The host's check of its replica against a pull, run against the driver in this process. The
// level-2 module knows no instrument of the day, so it pushes no snapshot: it only moves the
// market time. The host clock stands still except where a check's wait moves it, so a market
// header goes out only when the check lets a second pass.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "host/MarketReplica.h"
#include "host/ReplicaCheck.h"
#include "tests/l2bridge/NimbusDay.h"
#include "tests/LibraryNames.h"
#include "tests/running/RunningDay.h"

namespace zephyr::running {
namespace {

using hostkit::CheckOutcome;
using hostkit::TimeRule;

std::atomic<hostkit::MarketReplica*> g_replica{nullptr};

int32_t ApplyAndRecord(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length, uint8_t market,
                       uint16_t driver_id, uint8_t compressed) {
    hostkit::MarketReplica* replica = g_replica.load();
    if (replica != nullptr && data != nullptr && length > 0) {
        std::string error;
        EXPECT_TRUE(replica->ApplyPush(static_cast<const char*>(data), static_cast<size_t>(length), &error)) << error;
    }
    return hostkit::RecordPush(main_type, sub_type, data, length, market, driver_id, compressed);
}

class HostCheckTest : public RunningDay {
protected:
    void TearDown() override {
        RunningDay::TearDown();
        g_replica.store(nullptr);
    }

    // The day with the working window given, the module beside the driver, the clock at the
    // time given; returns once the driver serves and the replica holds its first pull.
    void Serve(const char* window, int hour, int minute) {
        WriteDay(20151007, 95900, 60);
        const std::string ini = m_Folder.ReadFile(sampleday::kDriverIniFile);
        m_Folder.WriteFile(sampleday::kDriverIniFile, ini + "\r\n[Time]\r\n" + window);
        l2test::ClearNimbusEnvironment();
        m_Folder.CopyIn(NIMBUS_SO_PATH, zephyr::tests::ModuleFileName());
        // No market data file of its own: no codes, only market times, from 10:00:00 on.
        m_Folder.WriteFile("nimbus.ini", "[Feed]\nMktdt = ./data/\nRate = 100\nBatch = 10\nStartTime = 100000\n");
        HostClock::SetLocal(2015, 10, 7, hour, minute, 0);
        Load();
        g_replica.store(&m_Replica);
        DriverWorkParams params = hostkit::MakeWorkParams(7);
        params.push_data = &ApplyAndRecord;
        ASSERT_EQ(m_Driver->Begin(params), 1) << Host().LogDump();
        LetThreadsPass();
        ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == 20151007; }, 3)) << Host().LogDump();
        const uint64_t generation = m_Replica.Generation();
        hostkit::MarketImage image;
        ASSERT_EQ(Pull(&image), hostkit::PullResult::kPulled);
        ASSERT_TRUE(m_Replica.Install(std::move(image), generation));
        Host().Clear();
    }

    hostkit::PullResult Pull(hostkit::MarketImage* image) {
        std::string error;
        const hostkit::PullResult result = hostkit::PullMarketImage(*m_Driver, 8192, image, &error);
        EXPECT_NE(result, hostkit::PullResult::kBroken) << error;
        return result;
    }

    // Waits (bounded) until the feed has moved the driver's market time past the replica's.
    bool TimeMovedUnpushed() {
        return WaitUntil([&] {
            hostkit::MarketImage image;
            return Pull(&image) == hostkit::PullResult::kPulled && image.MarketTime() > m_Replica.MarketTime();
        });
    }

    CheckOutcome Check(TimeRule rule) {
        hostkit::CheckHooks hooks;
        hooks.pull = [this](hostkit::MarketImage* image) { return Pull(image); };
        // The host's time passes for the driver, whose threads pass every 100 ms.
        hooks.wait = [](uint32_t ms) {
            HostClock::AdvanceMs(ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        };
        hooks.refresh = [this] {
            const auto bytes = m_Driver->StatusBytes(0);
            m_Replica.ApplyMarketVolume(hostkit::ReadU64(bytes.data() + offsetof(DriverStatusInfo, hsi_volume)));
        };
        return hostkit::CheckAgainstPull(m_Replica, hooks, rule, 5);
    }

    static std::string Said(const CheckOutcome& outcome) {
        std::string text;
        for (const hostkit::Difference& d : outcome.samples) text += d.where + " " + d.detail + "; ";
        return text;
    }

    hostkit::MarketReplica m_Replica;
};

// A feed that pushes nothing but market times: inside the window the market header carries
// each new time within a second, and checks taken while it is on its way find no difference.
TEST_F(HostCheckTest, InsideTheWindowAMovingMarketTimeIsNoDifference) {
    Serve("KPTime = 845\r\nSPTime = 1630\r\n", 10, 0);
    for (int check = 0; check < 3; ++check) {
        ASSERT_TRUE(TimeMovedUnpushed()) << "check " << check;
        const CheckOutcome outcome = Check(TimeRule::kPushed);
        EXPECT_EQ(outcome.kind, CheckOutcome::kEqual) << "check " << check << ": " << Said(outcome);
        EXPECT_FALSE(outcome.quiet) << "check " << check;
        // What the pull saw was pushed: the replica caught up with it.
        EXPECT_GE(m_Replica.MarketTime(), outcome.pulled.MarketTime()) << "check " << check;
    }
    EXPECT_GT(Pushed().headers, 0u);
}

// After the window closes the driver still serves the day's market and the feed still moves its
// market time, but no market header goes out: the host lets the pulled time lead, never lag.
TEST_F(HostCheckTest, AfterTheWindowClosesTheMarketTimeMovesUnpushed) {
    Serve("KPTime = 845\r\nSPTime = 1000\r\n", 10, 30);
    ASSERT_TRUE(TimeMovedUnpushed());
    const CheckOutcome pushed_rule = Check(TimeRule::kPushed);
    EXPECT_EQ(pushed_rule.kind, CheckOutcome::kDiffers);
    EXPECT_EQ(Pushed().headers, 0u);

    const CheckOutcome outcome = Check(TimeRule::kMayLead);
    EXPECT_EQ(outcome.kind, CheckOutcome::kEqual) << Said(outcome);
    EXPECT_TRUE(outcome.time_led);
    EXPECT_FALSE(outcome.quiet);
    EXPECT_EQ(Host().Pushes().size(), 0u);
}

}  // namespace
}  // namespace zephyr::running
