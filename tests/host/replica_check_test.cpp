// The replica compared with a pull while pushes may still be on their way: a scripted driver
// whose pull shows its state at once and whose pushes arrive only as the check's waits let time
// pass. Only a difference that outlives the longest delay of a push counts; "quiet" is claimed
// only when nothing moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/ReplicaCheck.h"
#include "tests/host/ReplicaFixtures.h"

using namespace zephyr::hostkit;
using hosttest::Frame;
using hosttest::Header;
using hosttest::Push;
using hosttest::Snapshot;

namespace {

struct Arrival {
    uint32_t at_ms;    // virtual time after the pull
    std::string push;  // "" : a market reset
};

// The driver as the check sees it: pulls give `held` in turn (the last one from then on), pushes
// arrive on the check's waits.
class ScriptedDriver {
public:
    ScriptedDriver(MarketReplica* replica, std::vector<MarketImage> held, std::vector<Arrival> arrivals)
        : m_Replica(replica), m_Held(std::move(held)), m_Arrivals(std::move(arrivals)) {}

    CheckHooks Hooks() {
        CheckHooks hooks;
        hooks.pull = [this](MarketImage* image) {
            *image = m_Held[std::min(m_Pulls++, m_Held.size() - 1)];
            return PullResult::kPulled;
        };
        hooks.wait = [this](uint32_t ms) {
            m_Now += ms;
            for (const Arrival& arrival : m_Arrivals) {
                if (arrival.at_ms <= m_Now - ms || arrival.at_ms > m_Now) continue;
                std::string error;
                if (arrival.push.empty()) {
                    m_Replica->Reset();
                } else {
                    EXPECT_TRUE(m_Replica->ApplyPush(arrival.push.data(), arrival.push.size(), &error)) << error;
                }
            }
        };
        return hooks;
    }

private:
    MarketReplica* m_Replica;
    std::vector<MarketImage> m_Held;
    size_t m_Pulls = 0;
    std::vector<Arrival> m_Arrivals;
    uint32_t m_Now = 0;
};

MarketImage WithTime(MarketImage image, uint32_t time) {
    hosttest::PutU32(&image.market, kMarketTimeOffset, time);
    return image;
}

MarketImage WithSnapshot(MarketImage image, const std::string& record) {
    image.Of(Table::kSnapshots).bytes.replace(kSnapshotSize, kSnapshotSize, record);
    return image;
}

TEST(ReplicaCheck, OnlyADifferenceThatOutlivesThePushesInFlightCounts) {
    // The replica holds SmallMarket: market time 100000, 00700 last 350000.
    const MarketImage base = hosttest::SmallMarket();
    const std::string header_100001 = Push(100001, Frame(0, Header(20261210, 100001, 0)));
    const std::string snapshot_360 = Push(100000, Frame(1, Snapshot("00700", 360000)));
    struct Case {
        const char* what;
        std::vector<MarketImage> held;
        std::vector<Arrival> arrivals;
        TimeRule rule;
        CheckOutcome::Kind kind;
        bool quiet;
        bool time_led;
    } cases[] = {
        {"nothing moves", {base}, {}, TimeRule::kPushed, CheckOutcome::kEqual, true, false},
        // Equal, but the driver's market moved on right after the comparison.
        {"a market time that moves just after the comparison", {base, WithTime(base, 100001)}, {},
         TimeRule::kPushed, CheckOutcome::kEqual, false, false},
        // The level-2 feed moved the market time and pushed no snapshot: only the next market
        // header, up to a second later, carries it.
        {"a quiet driver whose market time still moves", {WithTime(base, 100001)}, {{1000, header_100001}},
         TimeRule::kPushed, CheckOutcome::kEqual, false, false},
        // The time moved again just after the pull, and the header came before the comparison:
        // the replica is ahead of the pull.
        {"a market time that moves on after the pull", {base}, {{100, header_100001}}, TimeRule::kPushed,
         CheckOutcome::kEqual, false, false},
        {"a snapshot pushed after the pull", {WithSnapshot(base, Snapshot("00700", 360000))}, {{200, snapshot_360}},
         TimeRule::kPushed, CheckOutcome::kEqual, false, false},
        {"a snapshot never pushed", {WithSnapshot(base, Snapshot("00700", 360000))}, {}, TimeRule::kPushed,
         CheckOutcome::kDiffers, false, false},
        {"a market time never pushed inside the window", {WithTime(base, 100001)}, {}, TimeRule::kPushed,
         CheckOutcome::kDiffers, false, false},
        // After the window closes the feed still moves the time, and nothing pushes it.
        {"a run after the window closes", {WithTime(base, 100005)}, {}, TimeRule::kMayLead, CheckOutcome::kEqual,
         false, true},
        {"a market time that went back after the window", {WithTime(base, 95959)}, {}, TimeRule::kMayLead,
         CheckOutcome::kDiffers, false, false},
        {"a market reset meanwhile", {base}, {{100, ""}}, TimeRule::kPushed, CheckOutcome::kReset, false, false},
    };
    for (const Case& c : cases) {
        MarketReplica replica;
        ASSERT_TRUE(replica.Install(base, replica.Generation()));
        ScriptedDriver driver(&replica, c.held, c.arrivals);
        const CheckOutcome outcome = CheckAgainstPull(replica, driver.Hooks(), c.rule, 5);
        EXPECT_EQ(outcome.kind, c.kind) << c.what;
        if (outcome.kind == CheckOutcome::kDiffers) {
            EXPECT_GE(outcome.waited_ms, kInFlightMs) << c.what;
            ASSERT_FALSE(outcome.samples.empty()) << c.what;
        }
        if (outcome.kind == CheckOutcome::kEqual) {
            EXPECT_EQ(outcome.quiet, c.quiet) << c.what;
        }
        EXPECT_EQ(outcome.time_led, c.time_led) << c.what;
    }
}

TEST(ReplicaCheck, AFailedPullComparesNothing) {
    MarketReplica replica;
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));
    CheckHooks hooks;
    hooks.pull = [](MarketImage*) { return PullResult::kNotServing; };
    hooks.wait = [](uint32_t) { ADD_FAILURE() << "no wait without a pull"; };
    const CheckOutcome outcome = CheckAgainstPull(replica, hooks, TimeRule::kPushed, 5);
    EXPECT_EQ(outcome.kind, CheckOutcome::kNotPulled);
    EXPECT_EQ(outcome.pull, PullResult::kNotServing);
    EXPECT_FALSE(outcome.quiet);
}

}  // namespace
