// Every exchange file loader skips an over-long line whole, reads on, and says so once, the same
// way: "<who> : ..." under its own module.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "loaders/HKTrdsesLoader.h"
#include "loaders/HKZxjcLoader.h"
#include "LoaderTestHost.h"
#include "Fixtures.h"

namespace zephyr::testing {
namespace {

const std::string kMarketData = MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC") + kTrailer;

// A line of its kind, too long for any loader; its tail looks like a line of its own.
std::string Long(const std::string& kind, const std::string& tail) {
    return kind + "|" + std::string(9000, 'x') + "|" + tail;
}

TEST(OverLongLines, EveryLoaderSkipsThemAndWarnsOnce) {
    struct Case {
        const char* module;
        const char* warning;
        // Writes the files (the long line before a good one), runs the loader and checks that
        // the good line was read.
        std::function<void(LoaderTestHost&)> run;
    };
    const Case cases[] = {
        {"加载实时数据文件", "HKMktdtLoader::operator() : 跳过超长行1行(每行至多8191字节)",
         [](LoaderTestHost& host) {
             host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") +
                                                      Long("MD401", MdShare("00005", u"汇丰", "HSBC")) +
                                                      MdShare("00700", u"腾讯", "TC") + kTrailer);
             HKMktdtLoader loader(host);
             EXPECT_EQ(loader(HKMktdtLoader::kBuild), 0);
             EXPECT_TRUE(loader.HasCode(700));
             EXPECT_FALSE(loader.HasCode(5));
         }},
        {"加载基础数据文件", "HKRefDbf::Instance() : 跳过超长行1行(每行至多2047字节)",
         [](LoaderTestHost& host) {
             host.folder.WriteFile("mktdt04.txt", kMarketData);
             host.folder.WriteFile("reff041208.txt", Long("R0401", "R0402|0.5\n") + "R0402|0.8\n");
             HKMktdtLoader market_data(host);
             HKRefDbf loader(host, market_data);
             EXPECT_EQ(loader.Instance(), 0);
             EXPECT_EQ(+host.rates.Copy().middle, 80000u);
         }},
        {"加载实时数据文件", "HKTrdsesLoader::Instance() : 跳过超长行1行(每行至多8191字节)",
         [](LoaderTestHost& host) {
             host.folder.WriteFile("mktdt04.txt", kMarketData);
             host.folder.WriteFile("trdses04.txt", Long("MD402", "MD402|1|1|N\n") + "MD402|2|2|Y\n" + kTrailer);
             HKMktdtLoader market_data(host);
             ASSERT_EQ(market_data(HKMktdtLoader::kBuild), 0);
             host.working = true;
             HKTrdsesLoader loader(host, market_data);
             EXPECT_EQ(loader.Instance(false), 0);
             EXPECT_EQ(+loader.KeptQuotaStatus().first_quota, 2);
         }},
        {"加载参考汇率数据文件", "HKMExraLoader::operator() : 跳过超长行1行(每行至多8191字节)",
         [](LoaderTestHost& host) {
             host.folder.WriteFile("exra041208.txt", Long("R0402", "R0402|0.5|0.5|0.5\n") + "R0402|0.79|0.8|0.795\n");
             HKMExraLoader loader(host);
             EXPECT_EQ(loader(false), 0);
             EXPECT_EQ(+host.rates.Copy().middle, 79500u);
         }},
        {"加载差价数据文件", "HKZxjcLoader::Instance() : 跳过超长行1行(每行至多8191字节)",
         [](LoaderTestHost& host) {
             // The tail would stop the reading (not a spread line) were it taken for a line.
             host.folder.WriteFile("zxjc1208.txt", Long("R0403", "NOT A SPREAD LINE\n") +
                                                       "R0403|01|0.0245|9995.000|HKD|1|0.000|0.001|1.000\n");
             HKZxjcLoader loader(host);
             PriceTable table;
             memset(&table, 0, sizeof table);
             EXPECT_EQ(loader.Instance(table), 0);
             EXPECT_EQ(+table.sections[0].level_count, 1u);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.warning);
        LoaderTestHost host;
        c.run(host);
        ASSERT_EQ(host.CountLog("跳过超长行"), 1u);
        const LogLine* line = host.FindLog("跳过超长行");
        EXPECT_EQ(line->message, c.warning);
        EXPECT_EQ(line->module, c.module);
        EXPECT_EQ(line->level, kLogWarning);
    }
}

}  // namespace
}  // namespace zephyr::testing
