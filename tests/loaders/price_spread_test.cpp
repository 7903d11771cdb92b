// The price-spread file into the price table, and the saved price-table file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loaders/HKZxjcLoader.h"
#include "loaders/PriceTableFile.h"
#include "foundation/PackedCodec.h"
#include "LoaderTestHost.h"

namespace zephyr::testing {
namespace {

// A spread line of section code with n level triples (level i: lower i, spread 0.001 x (i + 1)).
std::string SpreadLine(const std::string& code, int n, const std::string& count) {
    std::string line = "R0403|" + code + "|0.0245|9995.000|HKD|" + count;
    for (int i = 0; i < n; ++i)
        line += "|" + std::to_string(i) + ".000|0.00" + std::to_string(i % 9 + 1) + "|" + std::to_string(i + 1) + ".000";
    return line + "\n";
}

TEST(PriceSpread, Lines) {
    struct Case {
        const char* name;
        std::string line;
        int32_t result;
        int section;          // section that changed, -1 none
        int32_t lowest;
        uint16_t level_count;
        uint32_t levels;      // levels written
    };
    const Case cases[] = {
        {"section 1", SpreadLine("01", 2, "2"), 0, 0, 25, 2, 2},
        {"section 3 in 3-6", "RR0403|03|0.0244|x|y|1|0.01|0.001|0.25\n", 0, 2, 24, 1, 1},
        {"sixty levels", SpreadLine("02", 60, "60"), 0, 1, 25, 60, 52},
        {"section 4", SpreadLine("04", 2, "2"), 0, -1, 0, 0, 0},
        {"trailer", "TRAILER\n", 0, -1, 0, 0, 0},
        {"short", "R0403|01|", 0, -1, 0, 0, 0},
        {"header", "HEADER|MTP1.00 |ZXJC\n", -3, -1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderTestHost host;
        HKZxjcLoader loader(host);
        PriceTable table;
        memset(&table, 0, sizeof table);
        EXPECT_EQ(loader.parse(c.line.data(), static_cast<int32_t>(c.line.size()), table), c.result);
        for (int s = 0; s < 3; ++s) {
            const PriceSection& section = table.sections[s];
            if (s != c.section) {
                EXPECT_EQ(section.price_code[0], 0) << s;
                continue;
            }
            EXPECT_EQ(section.price_code[1], '1' + s);
            EXPECT_EQ(+section.lowest_limit, c.lowest);
            EXPECT_EQ(+section.level_count, +c.level_count);
            for (uint32_t i = 0; i < kPriceLevels; ++i) {
                const bool written = i < c.levels;
                EXPECT_EQ(section.levels[i].spread != 0, written) << i;
            }
        }
    }
    EXPECT_EQ(cases[0].line.substr(0, 5), "R0403");
}

TEST(PriceSpread, LevelValuesRoundHalfUp) {
    LoaderTestHost host;
    HKZxjcLoader loader(host);
    PriceTable table;
    memset(&table, 0, sizeof table);
    const std::string line = "R0403|01|0.01|9995|HKD|2|0.0245|0.0244|0.25|0.25|0.0005|0.5\n";
    ASSERT_EQ(loader.parse(line.data(), static_cast<int32_t>(line.size()), table), 0);
    EXPECT_EQ(+table.sections[0].levels[0].lower_bound, 25);
    EXPECT_EQ(+table.sections[0].levels[0].spread, 24);
    EXPECT_EQ(+table.sections[0].levels[1].lower_bound, 250);
    EXPECT_EQ(+table.sections[0].levels[1].spread, 1);
}

TEST(PriceSpread, FileReadingStopsAtANonSpreadLine) {
    LoaderTestHost host;
    host.settings.price_tb = host.folder.Path().c_str();
    HKZxjcLoader loader(host);
    PriceTable table;
    memset(&table, 0, sizeof table);

    EXPECT_EQ(loader.Instance(table), -1);
    ASSERT_EQ(host.lines.size(), 2u);
    EXPECT_EQ(host.lines[0].message, "HKZxjcLoader::Instance() : path [" + host.folder.Path() + "/zxjc1208.txt]");
    EXPECT_EQ(host.lines[1].message, "HKZxjcLoader::Instance() : 加载基础数据文件失败");
    EXPECT_EQ(host.lines[1].level, kLogWarning);
    EXPECT_EQ(host.lines[1].module, "加载差价数据文件");
    EXPECT_EQ(host.price_spread_path_flag.load(), 0);

    // Sections before the bad line stay filled; the path is logged once per setting of the flag.
    host.folder.WriteFile("zxjc1208.txt", SpreadLine("01", 1, "1") + "R0403|04|1|2|3|4\n" + "NOT A SPREAD LINE\n" +
                                              SpreadLine("02", 1, "1") + "TRAILER\n");
    host.lines.clear();
    EXPECT_EQ(loader.Instance(table), -3);
    EXPECT_TRUE(host.lines.empty());
    EXPECT_EQ(table.sections[0].price_code[1], '1');
    EXPECT_EQ(table.sections[1].price_code[0], 0);

    host.folder.WriteFile("zxjc1208.txt", SpreadLine("02", 1, "1") + "TRAILER\n");
    EXPECT_EQ(loader.Instance(table), 0);
    EXPECT_EQ(table.sections[1].price_code[1], '2');
    EXPECT_EQ(host.price_dirty, 1);
}

TEST(PriceTableFile, SaveWritesExactly976Bytes) {
    LoaderTestHost host;
    host.settings.price_tb = host.folder.Path().c_str();
    HKZxjcLoader loader(host);
    PriceTableFile file(loader);
    PriceTable table;
    memset(&table, 0, sizeof table);

    EXPECT_EQ(file.Load(table), -10);
    EXPECT_EQ(file.Save(table), -10);

    // A longer file stands at the path: the save cuts it.
    const std::string path = host.folder.Join("hkpricetb.dat");
    host.folder.WriteFile("hkpricetb.dat", std::string(5000, 'z'));
    ASSERT_EQ(file.Open(path.c_str()), 1);
    EXPECT_FALSE(file.WasCreated());
    EXPECT_EQ(file.Load(table), -12);  // no price-spread file today
    host.folder.WriteFile("zxjc1208.txt", SpreadLine("01", 3, "3") + "TRAILER\n");
    EXPECT_EQ(file.Load(table), 976);
    EXPECT_EQ(file.Save(table), 960);

    const std::string bytes = host.folder.ReadFile("hkpricetb.dat");
    ASSERT_EQ(bytes.size(), 976u);
    EXPECT_EQ(bytes.substr(0, 4), "RVPT");
    EXPECT_EQ(LoadLe<uint32_t>(bytes.data() + 4), 4097u);
    EXPECT_EQ(LoadLe<uint32_t>(bytes.data() + 8), 20141208u);
    EXPECT_EQ(LoadLe<uint32_t>(bytes.data() + 12), 976u);
    EXPECT_EQ(memcmp(bytes.data() + 16, &table, sizeof table), 0);

    // A second save on the next day keeps the size and moves the date.
    host.SetTime(2014, 12, 9, 9, 0, 0);
    EXPECT_EQ(file.Save(table), 960);
    const std::string again = host.folder.ReadFile("hkpricetb.dat");
    EXPECT_EQ(again.size(), 976u);
    EXPECT_EQ(LoadLe<uint32_t>(again.data() + 8), 20141209u);

    // A missing file is created.
    PriceTableFile created(loader);
    ASSERT_EQ(created.Open(host.folder.Join("new.dat").c_str()), 1);
    EXPECT_TRUE(created.WasCreated());
    EXPECT_EQ(created.Save(table), 960);
    EXPECT_EQ(host.folder.ReadFile("new.dat").size(), 976u);
    EXPECT_LT(created.Open(host.folder.Join("no/such/dir.dat").c_str()), 0);
}

}  // namespace
}  // namespace zephyr::testing
