// Every build serves the same market: a fixed day, the clock held still and a finite, seeded
// level-2 feed give one pulled market, byte for byte. The test writes what it pulled to the file
// named by ZEPHYR_MARKET_IMAGE (when set), so that the builds can be compared with each other.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "host/MarketImage.h"
#include "tests/running/RunningDay.h"

namespace zephyr::running {
namespace {

using hostkit::MarketImage;

constexpr uint32_t kPushes = 300;  // the feed's whole length: 3 s of its market time

std::string FileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The pulled market as one file: each part a line naming it, its record size and count, then
// its records.
std::string Serialise(const MarketImage& image) {
    std::string out = "market 49 1\n" + image.market;
    out += "categories 13 " + std::to_string(image.categories.size()) + "\n";
    for (const std::string& category : image.categories) out += category;
    for (hostkit::Table table : hostkit::kAllTables) {
        const hostkit::RecordBlock& block = image.Of(table);
        out += std::string(hostkit::TableName(table)) + " " + std::to_string(block.record_size) + " " +
               std::to_string(block.Count()) + "\n" + block.bytes;
    }
    return out;
}

class MarketImageTest : public RunningDay {};

TEST_F(MarketImageTest, AFixedDayWithAFiniteFeedPullsTheSameMarketEveryTime) {
    WriteDay(20151007, 95900, 60);
    m_Folder.CopyIn(NIMBUS_SO_PATH, FileName(NIMBUS_SO_PATH));
    m_Folder.WriteFile("nimbus.ini", "[Feed]\nMktdt = ./data/mktdt04.txt\nRate = 1000\nBatch = 10\nSeed = 7\n"
                                     "Limit = " + std::to_string(kPushes) + "\n");
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Load();
    ASSERT_EQ(m_Driver->Begin(hostkit::MakeWorkParams()), 1) << Host().LogDump();
    LetThreadsPass();
    ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == m_Options.date; }, 3)) << Host().LogDump();
    // The feed has ended once the module says so; every push it made was taken in its call.
    ASSERT_TRUE(WaitUntil([] { return !Host().LogsContaining("feed ended after").empty(); }, 10000))
        << Host().LogDump();
    // The session status file is read by the processing thread's pass of each second: the clock
    // moves on until that pass has filled the product status of the first share.
    ASSERT_TRUE(TickUntil([&] {
        MarketImage image;
        std::string ignored;
        if (hostkit::PullMarketImage(*m_Driver, 8192, &image, &ignored) != hostkit::PullResult::kPulled) return false;
        const hostkit::RecordBlock& status = image.Of(hostkit::Table::kProductStatus);
        return status.Count() > 0 && status.At(0)[6] != 0;
    }, 3)) << Host().LogDump();

    MarketImage first;
    MarketImage second;
    std::string error;
    ASSERT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &first, &error), hostkit::PullResult::kPulled) << error;
    LetThreadsPass();
    ASSERT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &second, &error), hostkit::PullResult::kPulled) << error;
    const std::string bytes = Serialise(first);
    ASSERT_EQ(bytes, Serialise(second)) << "the market moved after the feed ended";
    EXPECT_EQ(first.MarketDate(), 20151007u);
    EXPECT_GT(first.MarketTime(), 95900u) << "the feed's market times did not arrive";
    EXPECT_EQ(first.Of(hostkit::Table::kSnapshots).Count(), 60u);

    const char* out = std::getenv("ZEPHYR_MARKET_IMAGE");
    if (out != nullptr && out[0] != 0) {
        std::ofstream file(out, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(file.good()) << "cannot write " << out;
    }
}

}  // namespace
}  // namespace zephyr::running
