// The reference data file merged over the market data file's build run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "LoaderTestHost.h"
#include "Fixtures.h"

namespace zephyr::testing {
namespace {

std::string Text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// A "0401" line: fields 0..18 (19 fields), or fewer when fields < 19.
std::string RefShare(const std::string& code, const std::string& name, const std::string& second,
                     const std::string& price = "12.3456", int fields = 19) {
    const std::string all[19] = {"R0401", code, "HK0000000700", name, second, "EQTY", "MAIN", "N", "20040616",
                                 "HKD", "0.100", "0", "Y", "Y", "100", "1", price, "0.000", "SZHK"};
    std::string line;
    for (int i = 0; i < fields; ++i) line += (i ? "|" : "") + all[i];
    return line + "\n";
}

class ReferenceDataTest : public ::testing::Test {
protected:
    ReferenceDataTest() {
        m_Host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC") +
                                                  MdShare("00005", u"汇丰", "HSBC") + kTrailer);
    }
    void WriteReference(const std::string& body) { m_Host.folder.WriteFile("reff041208.txt", body); }
    CodeEntry EntryOf(const char* code) {
        CodeEntry e;
        memset(&e, 0, sizeof e);
        EXPECT_TRUE(m_Host.codes.GetByCode(&e, code)) << code;
        return e;
    }

    LoaderTestHost m_Host;
    HKMktdtLoader m_MarketData{m_Host};
    HKRefDbf m_Loader{m_Host, m_MarketData};
};

TEST_F(ReferenceDataTest, MergesTheSharesOfTheDay) {
    m_Host.rates.Set({0, 1, 0});
    WriteReference("HREFF04|20141208\n" + RefShare("00700", "腾讯控股", "TENCENT") +
                   RefShare("00005", "汇丰控股", "HSBC HOLDINGS", "80.00", 18) +  // 18 fields: nothing
                   RefShare("00001", "长和", "CKH") +                                // not traded today
                   "R0402|7.75|HKD|CNY\n" + kTrailer);

    EXPECT_EQ(m_Loader.Instance(), 0);

    EXPECT_EQ(m_Host.codes.Count(), 2u);
    EXPECT_EQ(m_Host.snapshots.Count(), 2u);
    EXPECT_EQ(m_Host.statuses.Count(), 2u);
    const CodeEntry e = EntryOf("00700");
    EXPECT_EQ(Text(e.full_name, 16), "腾讯控股");
    EXPECT_EQ(Text(e.second_name, 16), "TENCENT");
    EXPECT_EQ(e.currency, 24);
    EXPECT_EQ(+e.reference1, 100);
    EXPECT_EQ(+e.reference2, 1);
    EXPECT_EQ(Text(e.reference_text, 8), "SZHK\n");  // the line end stays in the last field
    EXPECT_EQ(e.category, 1);
    Snapshot s;
    ASSERT_TRUE(m_Host.snapshots.GetByCode(&s, "00700"));
    EXPECT_EQ(+s.previous_close, 12346u);
    EXPECT_EQ(+s.open, 12346u);
    EXPECT_EQ(+s.last, 0u);  // the reference snapshot carries only the previous close
    // The share with a short line keeps what the market data file gave.
    EXPECT_EQ(Text(EntryOf("00005").full_name, 16), "汇丰");
    EXPECT_EQ(m_Host.codes.FindCode("00001\0"), 0xFFFF);

    const ExchangeRate rates = m_Host.rates.Copy();
    EXPECT_EQ(+rates.middle, 775000u);
    EXPECT_EQ(+rates.buying, 775000u);
    EXPECT_EQ(+rates.selling, 1u);  // only a rate still 0 takes the middle rate
    EXPECT_EQ(m_Host.reference_signals, 1);

    const char* expected[] = {"HKRefDbf::Instance() : 准备构建码表!", "HKRefDbf::Instance() : path [",
                              "reff041208.txt]",
                              "HKRefDbf::Instance() : 构建码表成功! 码表数=2, 快照数量=2, 状态数量=2 ...",
                              "case1:HREFF04|20141208\n", "case1:TRAILER\n", "case2:R0402|7.75|HKD|CNY\n"};
    for (const char* text : expected) {
        SCOPED_TRACE(text);
        const LogLine* line = m_Host.FindLog(text);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->level, kLogInfo);
        EXPECT_EQ(line->module, text[0] == 'c' ? "调试专用" : "加载基础数据文件");
    }
}

TEST_F(ReferenceDataTest, FullNameCleanUpAndRepeatedCodes) {
    struct Case {
        const char* name;
        const char* second;
        const char* full_name;
    };
    const Case cases[] = {
        {"　　", "TENCENT", "TENCENT"},  // full-width blanks
        {"    ", "TENCENT", "TENCENT"},
        {"　", "", "00700"},
        {"腾讯　", "TENCENT", "腾讯"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderTestHost host;
        host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC") + kTrailer);
        // The second line for the code wins.
        host.folder.WriteFile("reff041208.txt", RefShare("00700", "旧名", "OLD", "1.000") + RefShare("00700", c.name, c.second));
        HKMktdtLoader market_data(host);
        HKRefDbf loader(host, market_data);
        ASSERT_EQ(loader.Instance(), 0);
        ASSERT_EQ(host.codes.Count(), 1u);
        CodeEntry e;
        ASSERT_TRUE(host.codes.GetByCode(&e, "00700"));
        EXPECT_EQ(Text(e.full_name, 16), c.full_name);
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, "00700"));
        EXPECT_EQ(+s.previous_close, 12346u);
    }
}

TEST_F(ReferenceDataTest, WithoutReferenceFileTheMarketDataFileBuildsTheTable) {
    EXPECT_EQ(m_Loader.Instance(), 0);
    const LogLine* line = m_Host.FindLog("HKRefDbf::Instance() : 加载基础数据文件失败，转从实时文件构建码表!");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->level, kLogWarning);
    EXPECT_EQ(m_Host.codes.Count(), 2u);
    EXPECT_EQ(Text(EntryOf("00700").full_name, 16), "腾讯");
    EXPECT_EQ(Text(EntryOf("00700").second_name, 16), "TC");
    Snapshot s;
    ASSERT_TRUE(m_Host.snapshots.GetByCode(&s, "00005"));
    EXPECT_EQ(+s.previous_close, 10000u);
    EXPECT_EQ(+s.open, 10000u);
    EXPECT_EQ(+s.volume, 0u);
    EXPECT_EQ(m_Host.reference_signals, 1);
}

TEST_F(ReferenceDataTest, WithoutReferenceFileAShareWithoutNameFieldIsNamedByItsCode) {
    // The line ends after the code: the full name is never left empty.
    m_Host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + "MD401|00009\n" + kTrailer);
    EXPECT_EQ(m_Loader.Instance(), 0);
    EXPECT_EQ(Text(EntryOf("00009").full_name, 16), "00009");
    EXPECT_EQ(Text(m_MarketData.DayRecords()[9].full_name, 16), "00009");
}

TEST_F(ReferenceDataTest, FailureResults) {
    struct Case {
        const char* name;
        bool market_data;
        int32_t result;
        const char* log;
        int32_t level;
    };
    const Case cases[] = {
        {"no market data", false, -200, "HKRefDbf::Instance() : 构建码表失败!", kLogError},
        {"no share at all", true, -201, "HKRefDbf::Instance() : 码表为空!", kLogWarning},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderTestHost host;
        if (c.market_data) host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + kTrailer);
        HKMktdtLoader market_data(host);
        HKRefDbf loader(host, market_data);
        EXPECT_EQ(loader.Instance(), c.result);
        const LogLine* line = host.FindLog(c.log);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->level, c.level);
        EXPECT_EQ(host.reference_signals, 0);
    }
}

TEST_F(ReferenceDataTest, OverLongLineIsSkippedWhole) {
    // The rest of the long line looks like a share line: it must not be taken for one.
    const std::string long_line = "R0401|00005|" + std::string(3000, 'x') + "|" + RefShare("00005", "假", "FAKE");
    WriteReference(long_line + RefShare("00700", "腾讯控股", "TENCENT"));
    EXPECT_EQ(m_Loader.Instance(), 0);
    EXPECT_EQ(Text(EntryOf("00700").full_name, 16), "腾讯控股");
    EXPECT_EQ(Text(EntryOf("00005").full_name, 16), "汇丰");
    const LogLine* line = m_Host.FindLog("HKRefDbf::Instance() : 跳过超长行1行");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->level, kLogWarning);
}

TEST(ReferenceDataParse, ResultCodes) {
    LoaderTestHost host;
    HKMktdtLoader market_data(host);
    HKRefDbf loader(host, market_data);
    EXPECT_EQ(loader.parse(nullptr, 0), -1);
    EXPECT_EQ(loader.parse("R040", 4), -2);
    EXPECT_EQ(loader.parse("R0403|x", 7), -3);
    EXPECT_EQ(loader.parse("R0401|00700", 11), 0);  // not a share of the day: dropped
}

}  // namespace
}  // namespace zephyr::testing
