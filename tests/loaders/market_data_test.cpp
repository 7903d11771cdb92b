// The market data file: build and refresh modes, the completeness and date rules, the name field.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "loaders/HKMktdtLoader.h"
#include "LoaderTestHost.h"
#include "Fixtures.h"

namespace zephyr::testing {
namespace {

std::string Text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

class MarketDataTest : public ::testing::Test {
protected:
    void Write(const std::string& body) { m_Host.folder.WriteFile("mktdt04.txt", body); }
    Snapshot SnapshotOf(const char* code) {
        Snapshot s;
        memset(&s, 0, sizeof s);
        EXPECT_TRUE(m_Host.snapshots.GetByCode(&s, code)) << code;
        return s;
    }
    CodeEntry EntryOf(const char* code) {
        CodeEntry e;
        memset(&e, 0, sizeof e);
        EXPECT_TRUE(m_Host.codes.GetByCode(&e, code)) << code;
        return e;
    }

    LoaderTestHost m_Host;
    HKMktdtLoader m_Loader{m_Host};
};

TEST_F(MarketDataTest, BuildModeFillsTheTablesAndKeepsTheDay) {
    Quote q;
    q.prev = "12.3456";
    q.last = "12.3454";
    Write(MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯控股", "TENCENT", q) +
          MdShare("00005", u"汇丰控股", "HSBC") + kTrailer);

    EXPECT_EQ(m_Loader(HKMktdtLoader::kBuild), 0);

    ASSERT_EQ(m_Host.codes.Count(), 2u);
    const CodeEntry tencent = EntryOf("00700");
    EXPECT_EQ(+tencent.serial, 0);
    EXPECT_EQ(tencent.category, 1);
    EXPECT_EQ(Text(tencent.full_name, 16), "腾讯控股");
    EXPECT_EQ(Text(tencent.second_name, 16), "TENCENT");
    const Snapshot s = SnapshotOf("00700");
    EXPECT_EQ(+s.previous_close, 12346u);  // half up
    EXPECT_EQ(+s.open, 12346u);
    EXPECT_EQ(+s.last, 12345u);
    EXPECT_EQ(+s.high, 10200u);
    EXPECT_EQ(+s.low, 9900u);
    EXPECT_EQ(+s.volume, 1000u);
    EXPECT_DOUBLE_EQ(s.amount, 12345.5);
    EXPECT_EQ(+s.bid_price, 10000u);
    EXPECT_EQ(+s.bid_volume, 500u);
    EXPECT_EQ(+s.ask_price, 10100u);
    EXPECT_EQ(+s.ask_volume, 600u);
    EXPECT_EQ(m_Host.statuses.Count(), 2u);

    EXPECT_TRUE(m_Loader.HasCode(700));
    EXPECT_TRUE(m_Loader.HasCode(5));
    EXPECT_FALSE(m_Loader.HasCode(1));
    EXPECT_EQ(m_Loader.PreviousClose(700), 12346u);
    EXPECT_EQ(m_Loader.PreviousClose(1), 0u);
    EXPECT_EQ(m_Loader.DayRecords().begin()->first, 5u);  // ascending

    EXPECT_EQ(m_Host.MarketTime(), 0u);  // build mode leaves the market time
    EXPECT_EQ(m_Host.market_data_path_flag.load(), 0);
    ASSERT_NE(m_Host.FindLog("HKMktdtLoader::operator() : path ["), nullptr);
    EXPECT_EQ(m_Host.FindLog("path [")->module, "加载实时数据文件");
    ASSERT_NE(m_Host.FindLog("今天交易股票数为 = 2"), nullptr);
    EXPECT_TRUE(m_Host.pushes.empty());  // not working
}

TEST_F(MarketDataTest, ResultCodesAndTheirLogLines) {
    struct Case {
        const char* name;
        const std::string* body;  // null: no file
        uint32_t market_time;
        uint8_t mode;
        int32_t result;
        const char* log;   // expected text, or null for no warning at all
    };
    const std::string share = MdShare("00700", u"腾讯控股", "TENCENT");
    const std::string today = MdHeader("20141208-10:00:00");
    const std::string other_day = MdHeader("20141115-15:30:00");
    const std::string good = today + share + kTrailer;
    const std::string no_trailer = today + share;
    const std::string stale = today + share + kTrailer;
    const std::string foreign = other_day + share + kTrailer;
    const Case cases[] = {
        {"missing", nullptr, 0, HKMktdtLoader::kBuild, -1, "HKMktdtLoader::operator() : 打开实时数据文件失败!"},
        {"no trailer", &no_trailer, 0, HKMktdtLoader::kBuild, -2, nullptr},
        {"stale today", &stale, 100000, HKMktdtLoader::kRefresh, -100, nullptr},
        {"stale later", &stale, 100001, HKMktdtLoader::kRefresh, -100, nullptr},
        {"foreign day", &foreign, 0, HKMktdtLoader::kRefresh, -100,
         "HKMktdtLoader::parse() : 无效的数据文件日期标识[date=20141115]!"},
        {"foreign stale", &foreign, 160000, HKMktdtLoader::kRefresh, -100, "[date=20141115]!"},
        {"foreign build", &foreign, 0, HKMktdtLoader::kBuild, -100, "HKMktdtLoader::operator() : 实时数据文件失效!"},
        {"good", &good, 0, HKMktdtLoader::kRefresh, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderTestHost host;
        host.working = true;
        if (c.body != nullptr) host.folder.WriteFile("mktdt04.txt", *c.body);
        host.SetMarketTime(c.market_time);
        HKMktdtLoader loader(host);
        if (c.mode == HKMktdtLoader::kRefresh) {
            // The refresh works on the shares of a build run.
            host.folder.WriteFile("mktdt04.txt", good);
            host.SetMarketTime(0);
            ASSERT_EQ(loader(HKMktdtLoader::kBuild), 0);
            if (c.body != nullptr) host.folder.WriteFile("mktdt04.txt", *c.body);
            host.SetMarketTime(c.market_time);
            host.lines.clear();
            host.pushes.clear();
        }
        EXPECT_EQ(loader(c.mode), c.result);
        size_t warnings = 0;
        for (const LogLine& line : host.lines) warnings += line.level >= kLogWarning;
        if (c.log == nullptr) {
            EXPECT_EQ(warnings, 0u);
        } else {
            const LogLine* line = host.FindLog(c.log);
            ASSERT_NE(line, nullptr);
            EXPECT_EQ(line->level, kLogWarning);
            EXPECT_EQ(line->module, "加载实时数据文件");
        }
        if (c.result != 0) {
            EXPECT_TRUE(host.pushes.empty());
        }
    }
}

TEST_F(MarketDataTest, RefreshMovesTheMarketTimeAndPushesOnlyChanges) {
    const std::string a = MdShare("00700", u"腾讯控股", "TENCENT");
    const std::string b = MdShare("00005", u"汇丰控股", "HSBC");
    Write(MdHeader("20141208-09:30:00") + a + b + kTrailer);
    ASSERT_EQ(m_Loader(HKMktdtLoader::kBuild), 0);

    // Not working: a refresh does nothing at all.
    EXPECT_EQ(m_Loader(HKMktdtLoader::kRefresh), 0);
    EXPECT_EQ(m_Host.MarketTime(), 0u);

    m_Host.working = true;
    m_Host.SetMarketTime(93000);
    Quote moved;
    moved.last = "10.060";
    Write(MdHeader("20141208-09:30:05") + MdShare("00700", u"腾讯控股", "TENCENT", moved) + b + kTrailer);
    EXPECT_EQ(m_Loader(HKMktdtLoader::kRefresh), 0);
    EXPECT_EQ(m_Host.MarketTime(), 93005u);
    ASSERT_EQ(m_Host.CountPushes(MarketWriter::kSnapshotFrame), 1u);
    Snapshot pushed;
    memcpy(&pushed, m_Host.pushes[0].data.data(), sizeof pushed);
    EXPECT_STREQ(pushed.code, "00700");
    EXPECT_EQ(+pushed.last, 10060u);

    // The same file again is stale: nothing read, nothing pushed, no message.
    m_Host.pushes.clear();
    m_Host.lines.clear();
    EXPECT_EQ(m_Loader(HKMktdtLoader::kRefresh), -100);
    EXPECT_TRUE(m_Host.pushes.empty());
    EXPECT_TRUE(m_Host.lines.empty());
}

TEST_F(MarketDataTest, NominalPriceSettingAndOpenPrice) {
    struct Case {
        bool nominal;
        const char* prev;
        uint32_t last;
        uint32_t open;
    };
    const Case cases[] = {
        {false, "10.000", 10050, 10000},
        {true, "10.000", 10100, 10000},
        {false, "0", 10050, 10050},  // no previous close: the open price is the last price
        {true, "0.000", 10100, 10100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nominal);
        LoaderTestHost host;
        host.settings.use_nominal_price = c.nominal;
        Quote q;
        q.prev = c.prev;
        host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC", q) + kTrailer);
        HKMktdtLoader loader(host);
        ASSERT_EQ(loader(HKMktdtLoader::kBuild), 0);
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, "00700"));
        EXPECT_EQ(+s.last, c.last);
        EXPECT_EQ(+s.open, c.open);
    }
}

TEST_F(MarketDataTest, NameField) {
    struct Case {
        const char* name;
        std::string field;  // the 32 bytes (or fewer when the line ends inside them)
        std::string full_name;
    };
    std::string bar_inside = NameField(u"米高");  // 米 is 73 7C in UTF-16LE: a '|' byte
    std::string padded = NameField(u"AB");
    padded[4] = 0x20;  // 0x3020 ends the name
    padded[5] = 0x30;
    const Case cases[] = {
        {"sixteen characters", NameField(u"腾讯控股有限公司腾讯控股有限公司"), "腾讯控股有限公司"},
        {"'|' byte inside", bar_inside, "米高"},
        {"0x3020 ends it", padded, "AB"},
        {"full-width blanks", NameField(u"\u3000\u3000"), "00700"},
        {"ASCII blanks", NameField(u"   "), "00700"},
        {"line ends inside", NameField(u"腾讯控股").substr(0, 5), "腾讯"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoaderTestHost host;
        const bool cut = c.field.size() < 32;
        const std::string line = "MD401|00700|" + c.field + (cut ? "" : "|TENCENT|1|1|1|1|1|1|1|1|1|1|1\n");
        // A cut line is the last of the file (the trailer stands before it).
        host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + (cut ? kTrailer + line : line + kTrailer));
        HKMktdtLoader loader(host);
        ASSERT_EQ(loader(HKMktdtLoader::kBuild), 0);
        CodeEntry e;
        ASSERT_TRUE(host.codes.GetByCode(&e, "00700"));
        EXPECT_EQ(Text(e.full_name, 16), c.full_name);
        if (!cut) {
            EXPECT_EQ(Text(e.second_name, 16), "TENCENT");
        }
    }
}

TEST_F(MarketDataTest, RepeatedCodeAndShortLines) {
    Quote first;
    first.last = "1.000";
    Write(MdHeader("20141208-10:00:00") + MdShare("00700", u"甲", "A", first) + MdShare("00700", u"乙", "B") +
          "MD401|00005|" + NameField(u"丙") + "|C|100\n" +  // 5 fields: listed, no quote
          "MD401|00000|" + NameField(u"丁") + "|D|1|1|1|1|1|1|1|1|1|1|1\n" +  // code 0: skipped
          "XX\n" + kTrailer);
    ASSERT_EQ(m_Loader(HKMktdtLoader::kBuild), 0);
    EXPECT_EQ(m_Host.codes.Count(), 2u);  // 00700 once (PutSerial replaces), 00005
    EXPECT_EQ(m_Host.snapshots.Count(), 3u);
    EXPECT_EQ(m_Host.statuses.Count(), 3u);
    EXPECT_EQ(m_Loader.DayCount(), 2u);
    EXPECT_EQ(Text(m_Loader.DayRecords()[700].full_name, 16), "乙");
    const Snapshot listed = SnapshotOf("00005");
    EXPECT_EQ(+listed.volume, 100u);
    EXPECT_EQ(+listed.last, 0u);
}

// The day's entries are read back from the table rows the build stored them at: the last line of
// a code wins even when it writes the code in another form, and a later build forgets the codes
// its file no longer lists.
TEST_F(MarketDataTest, DayRecordsFollowTheLastLineOfEachCode) {
    Write(MdHeader("20141208-10:00:00") + MdShare("00700", u"甲", "A") + MdShare("0700", u"乙", "B") +
          MdShare("00005", u"丙", "C") + kTrailer);
    ASSERT_EQ(m_Loader(HKMktdtLoader::kBuild), 0);
    EXPECT_EQ(m_Host.codes.Count(), 3u);  // "00700" and "0700" are two rows of the table
    EXPECT_EQ(m_Loader.DayCount(), 2u);
    const std::map<uint32_t, CodeEntry> day = m_Loader.DayRecords();
    ASSERT_EQ(day.size(), 2u);
    const CodeEntry e = day.at(700);
    EXPECT_EQ(Text(e.code, 6), "0700");
    EXPECT_EQ(Text(e.full_name, 16), "乙");
    EXPECT_EQ(Text(e.second_name, 16), "B");
    EXPECT_EQ(+e.serial, 0u);
    EXPECT_EQ(+e.category, 0u);
    CodeEntry row;
    const char short_code[6] = "0700";
    ASSERT_TRUE(m_Host.codes.GetByCode(&row, short_code));
    row.serial = 0;
    row.category = 0;
    EXPECT_EQ(memcmp(&row, &e, sizeof row), 0);  // otherwise the row's bytes

    Write(MdHeader("20141208-10:00:00") + MdShare("00005", u"丙", "C") + kTrailer);
    m_Host.codes.Clear();
    ASSERT_EQ(m_Loader(HKMktdtLoader::kBuild), 0);
    EXPECT_EQ(m_Loader.DayCount(), 1u);
    EXPECT_FALSE(m_Loader.HasCode(700));
    ASSERT_EQ(m_Loader.DayRecords().size(), 1u);
    EXPECT_EQ(Text(m_Loader.DayRecords().at(5).full_name, 16), "丙");
}

TEST_F(MarketDataTest, Level2DataKeepsWhatTheFileDoesNotCarry) {
    for (int32_t started : {0, 1}) {
        SCOPED_TRACE(started);
        LoaderTestHost host;
        HKMktdtLoader loader(host);
        host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC") + kTrailer);
        ASSERT_EQ(loader(HKMktdtLoader::kBuild), 0);
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, "00700"));
        s.bid_orders = 7;
        s.voip = 4242;
        ASSERT_EQ(host.snapshots.UpdateByKey(&s), 1);

        host.working = true;
        host.level2_started = started;
        Quote moved;
        moved.last = "10.500";
        host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:01") + MdShare("00700", u"腾讯", "TC", moved) + kTrailer);
        ASSERT_EQ(loader(HKMktdtLoader::kRefresh), 0);
        ASSERT_TRUE(host.snapshots.GetByCode(&s, "00700"));
        EXPECT_EQ(+s.last, 10500u);
        EXPECT_EQ(+s.voip, started ? 4242u : 0u);
        EXPECT_EQ(+s.bid_orders, started ? 7 : 0);
    }
}

TEST_F(MarketDataTest, LastLineWithoutLineEndAndHeaderWithoutTime) {
    Write(MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC") + "TRAILER");
    EXPECT_EQ(m_Loader(HKMktdtLoader::kBuild), 0);
    EXPECT_EQ(m_Host.codes.Count(), 1u);

    // A stamp without its time part is never later than the market time.
    LoaderTestHost host;
    host.folder.WriteFile("mktdt04.txt", MdHeader("20141208") + MdShare("00700", u"腾讯", "TC") + kTrailer);
    HKMktdtLoader loader(host);
    EXPECT_EQ(loader(HKMktdtLoader::kBuild), -100);
    EXPECT_EQ(host.codes.Count(), 0u);
}

TEST(MarketDataParse, ResultCodes) {
    LoaderTestHost host;
    HKMktdtLoader loader(host);
    EXPECT_EQ(loader.parse(nullptr, 0), -1);
    EXPECT_EQ(loader.parse("MD40", 4), -2);
    EXPECT_EQ(loader.parse("MD402|00700", 11), -3);
    EXPECT_EQ(loader.parse("MD401|0000x|", 12), -3);
    EXPECT_EQ(loader.parse("MD401", 5), -3);
}

}  // namespace
}  // namespace zephyr::testing
