// The trading-session and quota status file: the kept quota record, instrument states, pushes
// only on change, the date rule.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "loaders/HKMktdtLoader.h"
#include "loaders/HKTrdsesLoader.h"
#include "LoaderTestHost.h"
#include "Fixtures.h"

namespace zephyr::testing {
namespace {

std::string TsHeader(const std::string& stamp) {
    return "HEADER|MTP1.00 |0000000100|000004|TRDSES04|SAMPLE  |" + stamp + "|0|CT      \n";
}

class SessionStatusTest : public ::testing::Test {
protected:
    SessionStatusTest() {
        m_Host.folder.WriteFile("mktdt04.txt", MdHeader("20141208-10:00:00") + MdShare("00700", u"腾讯", "TC") +
                                                  MdShare("00005", u"汇丰", "HSBC") + kTrailer);
        EXPECT_EQ(m_MarketData(HKMktdtLoader::kBuild), 0);
        m_Host.working = true;
        m_Host.lines.clear();
    }
    void Write(const std::string& body) { m_Host.folder.WriteFile("trdses04.txt", body); }

    LoaderTestHost m_Host;
    HKMktdtLoader m_MarketData{m_Host};
    HKTrdsesLoader m_Loader{m_Host, m_MarketData};
};

const std::string kBody = TsHeader("20141208-100000") + "MD402|52000000000|-5|Y\n" +
                          "MD403|00700|T       |O       \n" +
                          "MD403|00001|SUSP    |SUSP    \n" +  // not a share of the day
                          "MD403|00000|T       |T       \n" + kTrailer;

TEST_F(SessionStatusTest, QuotaAndInstrumentStatesArePushedOncePerChange) {
    Write(kBody);
    EXPECT_EQ(m_Loader.Instance(true), 0);

    const MarketQuotaStatus& kept = m_Loader.KeptQuotaStatus();
    const int64_t first_quota = kept.first_quota;  // packed fields: compare copies
    const int64_t remaining_quota = kept.remaining_quota;
    EXPECT_EQ(first_quota, 52000000000);
    EXPECT_EQ(remaining_quota, 0);  // -5 in the file
    EXPECT_EQ(kept.quota_state, 'Y');
    EXPECT_EQ(std::string(kept.trading_state, 8), "CT      ");
    ASSERT_EQ(m_Host.CountPushes(HKTrdsesLoader::kQuotaFrame), 1u);
    EXPECT_EQ(m_Host.pushes[0].data, std::string(reinterpret_cast<const char*>(&kept), 25));

    ASSERT_EQ(m_Host.CountPushes(MarketWriter::kStatusFrame), 1u);
    ProductStatus status;
    ASSERT_TRUE(m_Host.statuses.Get(&status, 0));
    EXPECT_STREQ(status.code, "00700");
    EXPECT_EQ(std::string(status.board_lot_status, 8), "T       ");
    EXPECT_EQ(std::string(status.odd_lot_status, 8), "O       ");
    EXPECT_EQ(m_Host.statuses.FindCode("00001\0"), 0xFFFF);

    const LogLine* path = m_Host.FindLog("HKTrdsesLoader::Instance() : path [");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->module, "加载交易盘实时状态数据文件");

    // The same file again: nothing changed, nothing pushed; no path line without the flag.
    m_Host.pushes.clear();
    m_Host.lines.clear();
    EXPECT_EQ(m_Loader.Instance(false), 0);
    EXPECT_TRUE(m_Host.pushes.empty());
    EXPECT_TRUE(m_Host.lines.empty());

    // A change of the market state alone changes the quota record.
    std::string changed = kBody;
    changed.replace(changed.find("CT      "), 8, "E       ");
    Write(changed);
    EXPECT_EQ(m_Loader.Instance(false), 0);
    EXPECT_EQ(m_Host.CountPushes(HKTrdsesLoader::kQuotaFrame), 1u);
    EXPECT_EQ(m_Host.CountPushes(MarketWriter::kStatusFrame), 0u);
}

TEST_F(SessionStatusTest, RunsThatChangeNothing) {
    struct Case {
        const char* name;
        const std::string* body;  // null: no file
        bool working;
        int32_t result;
        const char* warning;
    };
    const std::string other_day = TsHeader("20141115-100000") + kBody.substr(kBody.find('\n') + 1);
    const std::string no_trailer = kBody.substr(0, kBody.find("TRAILER"));
    const Case cases[] = {
        {"not working", &kBody, false, 0, nullptr},
        {"missing", nullptr, true, -1, "HKTrdsesLoader::Instance() : 加载基础数据文件失败"},
        {"no trailer", &no_trailer, true, -2, nullptr},
        {"other day", &other_day, true, 0, "HKTrdsesLoader::parse() : 额度文件过期[date=20141115]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.body != nullptr) {
            Write(*c.body);
        } else {
            m_Host.folder.WriteFile("trdses04.txt", "");
            m_Host.settings.trdses = m_Host.folder.Join("absent.txt").c_str();
        }
        m_Host.working = c.working;
        m_Host.lines.clear();
        EXPECT_EQ(m_Loader.Instance(false), c.result);
        EXPECT_TRUE(m_Host.pushes.empty());
        const MarketQuotaStatus zero{};
        EXPECT_EQ(memcmp(&m_Loader.KeptQuotaStatus(), &zero, sizeof zero), 0);
        ProductStatus status;
        ASSERT_TRUE(m_Host.statuses.Get(&status, 0));
        EXPECT_EQ(status.board_lot_status[0], 0);
        if (c.warning == nullptr) {
            EXPECT_TRUE(m_Host.lines.empty());
        } else {
            ASSERT_EQ(m_Host.lines.size(), 1u);
            EXPECT_EQ(m_Host.lines[0].message, c.warning);
            EXPECT_EQ(m_Host.lines[0].level, kLogWarning);
            EXPECT_EQ(m_Host.lines[0].module, "加载实时数据文件");
        }
        m_Host.settings.trdses = m_Host.folder.Join("trdses04.txt").c_str();
    }
}

TEST_F(SessionStatusTest, OverLongLineIsSkippedAndReadingGoesOn) {
    Write(TsHeader("20141208-100000") + "MD403|00005|" + std::string(9000, 'L') + "\n" +
          "MD403|00700|T       |O       \n" + kTrailer);
    EXPECT_EQ(m_Loader.Instance(false), 0);
    ProductStatus status;
    ASSERT_TRUE(m_Host.statuses.Get(&status, 0));
    EXPECT_EQ(std::string(status.board_lot_status, 8), "T       ");
    ASSERT_TRUE(m_Host.statuses.Get(&status, 1));
    EXPECT_EQ(status.board_lot_status[0], 0);
    EXPECT_NE(m_Host.FindLog("跳过超长行1行"), nullptr);
}

TEST(SessionStatusParse, ResultCodes) {
    LoaderTestHost host;
    HKMktdtLoader market_data(host);
    HKTrdsesLoader loader(host, market_data);
    EXPECT_EQ(loader.parse(nullptr, 0), -1);
    EXPECT_EQ(loader.parse("MD40", 4), -2);
    EXPECT_EQ(loader.parse("MD404|1", 7), -3);
    EXPECT_EQ(loader.parse("MD403|00000|T", 13), -3);
    EXPECT_EQ(loader.parse("MD403|0070x|T", 13), 0);  // a code of value 70, not of the day
}

}  // namespace
}  // namespace zephyr::testing
