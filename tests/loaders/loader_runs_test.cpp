// A build run that starts while the processing thread is inside a refresh of the same file.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "loaders/HKMktdtLoader.h"
#include "LoaderTestHost.h"
#include "Fixtures.h"

namespace zephyr::testing {
namespace {

TEST(LoaderRuns, BuildWaitsForARefreshInProgress) {
    constexpr uint32_t kShares = 1500;
    LoaderTestHost host;
    host.m_Log.SetSink(nullptr, nullptr);  // both threads would log
    host.writer.SetPushSink(nullptr, nullptr);
    host.working = true;
    std::string body = MdHeader("20141208-10:00:00");
    for (uint32_t i = 1; i <= kShares; ++i) {
        char code[6];
        snprintf(code, sizeof code, "%05u", i);
        body += MdShare(code, u"股", "X");
    }
    host.folder.WriteFile("mktdt04.txt", body + kTrailer);
    HKMktdtLoader loader(host);

    std::atomic<bool> stop{false};
    std::thread refresher([&] {
        while (!stop) {
            host.SetMarketTime(0);
            loader(HKMktdtLoader::kRefresh);
        }
    });
    // A refresh line parsed in build mode would add a row to the tables.
    for (int run = 0; run < 4; ++run) {
        host.codes.Clear();
        host.snapshots.Clear();
        host.statuses.Clear();
        // The refreshes move the market time: retry until the header is taken as new.
        int32_t result = -100;
        for (int attempt = 0; attempt < 10000 && result == -100; ++attempt) {
            host.SetMarketTime(0);
            result = loader(HKMktdtLoader::kBuild);
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(host.codes.Count(), kShares);
        EXPECT_EQ(host.snapshots.Count(), kShares);
        EXPECT_EQ(host.statuses.Count(), kShares);
    }
    stop = true;
    refresher.join();
}

}  // namespace
}  // namespace zephyr::testing
