// The host's replica: pushes applied by code, pushes that overlap a pull, resets, and the
// comparison with a pulled image.
#include <gtest/gtest.h>

#include "host/MarketReplica.h"
#include "tests/host/ReplicaFixtures.h"

using namespace zephyr::hostkit;
using hosttest::Frame;
using hosttest::Header;
using hosttest::Push;
using hosttest::Snapshot;

namespace {

void Apply(MarketReplica* replica, const std::string& push) {
    std::string error;
    EXPECT_TRUE(replica->ApplyPush(push.data(), push.size(), &error)) << error;
}

std::string SnapshotAt(const MarketImage& image, size_t i) {
    return std::string(image.Of(Table::kSnapshots).At(i), kSnapshotSize);
}

size_t Differences(const MarketReplica& replica, const MarketImage& pulled, CompareMode mode) {
    size_t total = 0;
    replica.Compare(pulled, mode, 10, &total);
    return total;
}

TEST(MarketReplica, AppliesPushesByCode) {
    MarketReplica replica;
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));
    Apply(&replica, Push(101000, Frame(1, Snapshot("00700", 351000, 9)) +
                                     Frame(0, Header(20261210, 100500, 1)) +
                                     Frame(3, std::string(kQuotaStatusSize, 'Q'))));
    Apply(&replica, Push(100900, Frame(1, Snapshot("09999", 1))));  // not in the table: appended

    const MarketImage image = replica.Image();
    EXPECT_EQ(SnapshotAt(image, 0), Snapshot("00001", 1010));
    EXPECT_EQ(SnapshotAt(image, 1), Snapshot("00700", 351000, 9));
    EXPECT_EQ(SnapshotAt(image, 2), Snapshot("09999", 1));
    EXPECT_EQ(image.Of(Table::kQuotaStatus).bytes, std::string(kQuotaStatusSize, 'Q'));
    EXPECT_EQ(image.market[1], 1);          // status from the header frame
    EXPECT_EQ(image.MarketTime(), 101000u);  // the market time never goes back
    const ReplicaCounters counters = replica.Counters();
    EXPECT_EQ(counters.pushes, 2u);
    EXPECT_EQ(counters.snapshot_records, 2u);
    EXPECT_EQ(counters.added_records, 1u);
}

TEST(MarketReplica, PushesDuringAPullFollowTheImageInOrder) {
    MarketReplica replica;
    const uint64_t generation = replica.Generation();
    // The pull is under way: two updates of one code arrive, the second is the newer state.
    Apply(&replica, Push(100100, Frame(1, Snapshot("00001", 1020))));
    Apply(&replica, Push(100200, Frame(1, Snapshot("00001", 1030))));
    EXPECT_FALSE(replica.Loaded());
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), generation));
    const MarketImage image = replica.Image();
    EXPECT_EQ(SnapshotAt(image, 0), Snapshot("00001", 1030));
    EXPECT_EQ(image.MarketTime(), 100200u);
    EXPECT_EQ(replica.Counters().snapshot_records, 2u);  // counted once, when they arrived
}

TEST(MarketReplica, AResetDuringAPullRefusesThatPull) {
    MarketReplica replica;
    MarketImage first = hosttest::SmallMarket();
    StoreU32(&first.market[kDigestOffset], 0xABCD);
    ASSERT_TRUE(replica.Install(first, replica.Generation()));
    const uint64_t generation = replica.Generation();
    replica.Reset();
    EXPECT_FALSE(replica.Loaded());
    EXPECT_EQ(LoadU32(replica.PreviousDigest().data()), 0xABCDu);
    EXPECT_TRUE(replica.PreviousDigestKnown());
    EXPECT_FALSE(replica.Install(hosttest::SmallMarket(), generation));
    EXPECT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));

    // Two resets in a row: the second market's digest chain passed a market never held here.
    replica.Reset();
    replica.Reset();
    EXPECT_FALSE(replica.PreviousDigestKnown());
}

TEST(MarketReplica, ComparisonFindsWhatWasLost) {
    MarketReplica replica;
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));
    MarketImage pulled = hosttest::SmallMarket();
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kExact), 0u);

    // The driver holds a state the host never received: a lost push.
    pulled.Of(Table::kSnapshots).bytes.replace(kSnapshotSize, kSnapshotSize, Snapshot("00700", 360000));
    size_t total = 0;
    std::vector<Difference> found = replica.Compare(pulled, CompareMode::kExact, 10, &total);
    ASSERT_EQ(total, 1u);
    EXPECT_EQ(found[0].where, "snapshots[1] 00700");
    EXPECT_NE(found[0].detail.find("last"), std::string::npos);
    replica.OpenWitness();
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kWitnessed), 1u);

    // Seen while the witness was open, then overtaken by a newer push: the pull may show it.
    Apply(&replica, Push(100000, Frame(1, Snapshot("00700", 360000))));
    Apply(&replica, Push(100000, Frame(1, Snapshot("00700", 361000))));
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kWitnessed), 0u);
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kExact), 1u);
    replica.CloseWitness();
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kWitnessed), 1u);

    // A record the host does not have at all, and a market time ahead of the replica.
    MarketImage longer = replica.Image();
    longer.Of(Table::kSnapshots).bytes += Snapshot("00005", 1);
    StoreU32(&longer.market[kMarketTimeOffset], 235959);
    found = replica.Compare(longer, CompareMode::kWitnessed, 10, &total);
    EXPECT_EQ(total, 2u);
    EXPECT_EQ(found[0].where, "market info");
}

TEST(MarketReplica, MarketTimeMayLagOnlyWhilePushesCome) {
    MarketReplica replica;
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));
    Apply(&replica, Push(100500, ""));
    const MarketImage pulled = hosttest::SmallMarket();  // market time 100000, older
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kWitnessed), 0u);
    EXPECT_EQ(Differences(replica, pulled, CompareMode::kExact), 1u);
}

TEST(MarketReplica, MarketVolumeFromTheStatusRecord) {
    MarketReplica replica;
    replica.ApplyMarketVolume(7);  // nothing loaded yet: ignored
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));
    replica.ApplyMarketVolume(123456789012ull);
    EXPECT_EQ(LoadU64(replica.Image().Of(Table::kIndexes).At(0) + 34), 123456789012ull);
}

TEST(MarketReplica, AHostilePushChangesOnlyWhatItSaidWhole) {
    MarketReplica replica;
    ASSERT_TRUE(replica.Install(hosttest::SmallMarket(), replica.Generation()));
    const std::string push = Push(100000, Frame(1, Snapshot("00001", 2000)) + Frame(9, "junk"));
    std::string error;
    EXPECT_FALSE(replica.ApplyPush(push.data(), push.size(), &error));
    EXPECT_NE(error.find("unknown frame type 9"), std::string::npos);
    const MarketImage image = replica.Image();
    EXPECT_EQ(SnapshotAt(image, 0), Snapshot("00001", 2000));
    EXPECT_EQ(image.Of(Table::kSnapshots).Count(), 2u);
    EXPECT_EQ(replica.Counters().bad_pushes, 1u);
}

}  // namespace
