// The exchange-rate file: the file name, the three rates truncated, the fallbacks to the middle rate.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "LoaderTestHost.h"

namespace zephyr::testing {
namespace {

TEST(ExchangeRate, RateLines) {
    struct Case {
        const char* line;
        int32_t result;
        ExchangeRate rates;  // after the line, starting from {1, 2, 3}
    };
    const Case cases[] = {
        {"R0402|0.79|0.8|0.795|HKD|CNY\n", 0, {79000, 80000, 79500}},
        {"R0402||0.8|0.795\n", 0, {79500, 80000, 79500}},
        {"R0402|0.0000099|0.8|0.795\n", 0, {79500, 80000, 79500}},
        {"R0402|0.79|x|0.795\n", 0, {79000, 79500, 79500}},
        {"R0402|0.79\n", 0, {79000, 2, 3}},
        {"X0403|0.79|0.8|0.795\n", -3, {1, 2, 3}},
        {"R040", -2, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        LoaderTestHost host;
        host.rates.Set({1, 2, 3});
        HKMExraLoader loader(host);
        EXPECT_EQ(loader.parse(c.line, static_cast<int32_t>(strlen(c.line))), c.result);
        const ExchangeRate got = host.rates.Copy();
        EXPECT_EQ(+got.buying, +c.rates.buying);
        EXPECT_EQ(+got.selling, +c.rates.selling);
        EXPECT_EQ(+got.middle, +c.rates.middle);
    }
    LoaderTestHost host;
    HKMExraLoader loader(host);
    EXPECT_EQ(loader.parse(nullptr, 0), -1);
}

TEST(ExchangeRate, FileNameFollowsTheDayAndTheLastRateLineWins) {
    LoaderTestHost host;
    host.SetTime(2014, 11, 15, 9, 0, 0);
    host.settings.exra = "./data/";
    HKMExraLoader loader(host);
    EXPECT_EQ(loader(true), -1);
    ASSERT_EQ(host.lines.size(), 2u);
    EXPECT_EQ(host.lines[0].message, "HKMExraLoader::operator() : path [./data//exra041115.txt]");
    EXPECT_EQ(host.lines[0].level, kLogInfo);
    EXPECT_EQ(host.lines[1].message, "HKMExraLoader::Instance( \"./data//exra041115.txt\" ) : 加载参考汇率数据文件失败");
    EXPECT_EQ(host.lines[1].level, kLogWarning);
    for (const LogLine& line : host.lines) EXPECT_EQ(line.module, "加载参考汇率数据文件");

    // Without the flag only the warning.
    host.lines.clear();
    EXPECT_EQ(loader(false), -1);
    EXPECT_EQ(host.lines.size(), 1u);

    host.settings.exra = host.folder.Path().c_str();
    host.folder.WriteFile("exra041115.txt", "HEADER|x|y\nR0402|0.79|0.8|0.795\nR0402|0.81|0.82|0.815\nTRAILER\n");
    host.lines.clear();
    EXPECT_EQ(loader(false), 0);
    EXPECT_TRUE(host.lines.empty());
    const ExchangeRate got = host.rates.Copy();
    EXPECT_EQ(+got.buying, 81000u);
    EXPECT_EQ(+got.selling, 82000u);
    EXPECT_EQ(+got.middle, 81500u);
}

// The rate file (processing thread) and the reference data's rate line (an initialisation) write
// the same record while pulls copy it: each copy is one whole record (run under ThreadSanitizer).
TEST(ExchangeRate, TwoWritersAndAReaderSeeWholeRecords) {
    LoaderTestHost host;
    HKMExraLoader rate_file(host);
    HKMktdtLoader market_data(host);
    HKRefDbf reference(host, market_data);
    const char* rate_line = "R0402|0.79|0.8|0.795\n";
    const char* reference_line = "R0402|0.795\n";
    std::thread file_thread([&] {
        for (int i = 0; i < 2000; ++i) rate_file.parse(rate_line, static_cast<int32_t>(strlen(rate_line)));
    });
    std::thread reference_thread([&] {
        for (int i = 0; i < 2000; ++i) {
            host.rates.Clear();
            reference.parse(reference_line, static_cast<int32_t>(strlen(reference_line)));
        }
    });
    for (int i = 0; i < 2000; ++i) {
        const ExchangeRate seen = host.rates.Copy();
        // Cleared, the middle rate alone, or the file's three rates.
        const bool whole = (seen.buying == 0 && seen.selling == 0 && seen.middle == 0) ||
                           (seen.buying == 79500 && seen.selling == 79500 && seen.middle == 79500) ||
                           (seen.buying == 79000 && seen.selling == 80000 && seen.middle == 79500);
        EXPECT_TRUE(whole) << seen.buying << " " << seen.selling << " " << seen.middle;
    }
    file_thread.join();
    reference_thread.join();
}

}  // namespace
}  // namespace zephyr::testing
