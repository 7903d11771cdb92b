// The "print" reports, byte for byte, and the callback that carries each text.
#include <cstdio>

#include "ConsoleFixture.h"

namespace zephyr::testing {
namespace {

std::string Num(uint64_t value) { return std::to_string(value); }

class ReportTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        m_Services.quota.remaining_quota = 10000000000LL;
        m_Services.quota.quota_state = 'A';
        std::memcpy(m_Services.quota.trading_state, "TRADE%sX", 8);  // all 8 bytes, no terminator
        m_Services.rates = ExchangeRate{88000, 90000, 89000};
        m_Services.l2_time = 1444181415;
    }

    // A code table of n entries 00001.. (the first two indexes), short name S<i>, full name F<i>.
    void FillCodes(uint32_t n) {
        m_Services.codes.Clear();
        for (uint32_t i = 0; i < n; ++i) {
            char code[8];
            std::snprintf(code, sizeof code, "%05u", i + 1);
            CodeEntry entry = MakeCode(code, i < 2 ? 0 : 1, ("S" + Num(i)).c_str(), ("F%" + Num(i)).c_str());
            ASSERT_TRUE(m_Services.codes.AppendSerial(&entry));
        }
    }
    static std::string NameLine(uint32_t serial) {
        char code[8];
        std::snprintf(code, sizeof code, "%05u", serial + 1);
        return Pad(Num(serial), 10) + Pad(code, 10) + Pad("S" + Num(serial), 20) + Pad("F%" + Num(serial), 30) +
               Pad(serial < 2 ? "香港指数" : "香港主板", 10) + "\r\n";
    }
    static std::string NameHeader() {
        return Pad("商品序号", 10) + Pad("商品代码", 10) + Pad("商品简称", 20) + Pad("商品全称", 30) + Pad("商品类别", 10) +
               "\r\n";
    }
};

const char kMarketReport[] =
    "市场编号:30\n市场状态:1\n商品总数:5\n类别总数:2\n所在时区:8\n市场日期:20151007\n市场时间:93015\n"
    "延迟时间:0\n传输时间戳:1444181415\n剩余额度:10000000000\n额度状态:A\n市场交易状态:TRADE%sX\n"
    "汇率中间价:89000\n汇率买入价:88000\n汇率卖出价:90000\n交易时段:2\n交易段 0:930 -- 1200\n"
    "交易段 1:1300 -- 1600\nMd5校验 :0x00112233445566778899aabbccddeeff";

TEST_F(ReportTest, MarketInfoPrintsTheMarketOrOneCategory) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"print", "marketinfo"}, kMarketReport},
        {{"print", "MARKETINFO", "2"}, kMarketReport},  // category count: not a category
        {{"print", "marketinfo", "-1"}, kMarketReport},
        {{"print", "marketinfo", "1", "extra"}, "类别名称:香港主板\n放大级数:3\n每手比率:0\n类别数量:0\n"},
        {{"print", "marketinfo", "x"}, "类别名称:香港指数\n放大级数:3\n每手比率:0\n类别数量:2\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first.size());
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run(c.first));
        ASSERT_EQ(1u, Texts().size());
        EXPECT_TRUE(Texts()[0].reply);
        EXPECT_EQ(c.second, Texts()[0].text);
    }
}

TEST_F(ReportTest, MarketInfoShowsAtMostFourPeriods) {
    MarketInfo info;
    m_Services.market.GetInfo(&info);
    info.session_count = 9;
    info.sessions[2] = TradingSession{0, 1439};
    info.sessions[3] = TradingSession{61, 62};
    m_Services.market.SetInfo(&info);
    Run({"print", "marketinfo"});
    const std::string text = Texts().at(0).text;
    EXPECT_NE(std::string::npos, text.find("交易时段:9\n交易段 0:930 -- 1200\n交易段 1:1300 -- 1600\n"
                                           "交易段 2:0 -- 2359\n交易段 3:101 -- 102\nMd5校验 :0x"));
}

TEST_F(ReportTest, PriceTableInCapitals) {
    PriceSection& first = m_Services.prices.sections[0];
    std::memcpy(first.price_code, "01", 2);
    first.lowest_limit = 10;
    first.level_count = 2;
    first.levels[0] = PriceLevel{10, 1};
    first.levels[1] = PriceLevel{250, 5};
    PriceSection& second = m_Services.prices.sections[1];
    std::memcpy(second.price_code, "%d", 2);
    second.lowest_limit = -1;
    second.level_count = 60;  // more than the table holds: 52 are shown
    std::string levels;
    for (int i = 0; i < 52; ++i) {
        second.levels[i] = PriceLevel{i * 100, static_cast<uint16_t>(65535 - i)};
        levels += Num(i * 100) + "(" + Num(65535 - i) + ")\t";
    }
    EXPECT_EQ(1, Run({"PRINT", "PRICETBL"}));
    ASSERT_EQ(1u, Texts().size());
    EXPECT_TRUE(Texts()[0].reply);
    EXPECT_EQ("价位代码:01\t最低下限价格:10\t价差级别数量:2\n10(1)\t250(5)\t"
              "价位代码:%d\t最低下限价格:-1\t价差级别数量:60\n" + levels +
              "价位代码:\t最低下限价格:0\t价差级别数量:0\n",
              Texts()[0].text);
}

TEST_F(ReportTest, NameTableFromTenOnFiftyEntriesIsOneBlock) {
    FillCodes(50);
    EXPECT_EQ(1, Run({"print", "nametable", "10", "1000"}));
    const auto texts = Texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_FALSE(texts[0].reply);
    EXPECT_EQ(NameHeader(), texts[0].text);
    EXPECT_FALSE(texts[1].reply);
    EXPECT_EQ(std::string(60, '-') + "\r\n", texts[1].text);
    std::string block;
    for (uint32_t i = 10; i < 50; ++i) block += NameLine(i);
    EXPECT_TRUE(texts[2].reply);
    EXPECT_EQ(block, texts[2].text);
    EXPECT_TRUE(texts[3].reply);
    EXPECT_EQ("\n", texts[3].text);
}

TEST_F(ReportTest, NameTableBlocksOf64GoThroughOutputButTheLast) {
    FillCodes(140);
    EXPECT_EQ(1, Run({"print", "nametable", "1", "130"}));
    const auto texts = Texts();
    ASSERT_EQ(6u, texts.size());
    const bool replies[] = {false, false, false, false, true, true};
    const uint32_t firsts[] = {1, 65, 129};
    const uint32_t counts[] = {64, 64, 2};
    for (size_t i = 0; i < texts.size(); ++i) EXPECT_EQ(replies[i], texts[i].reply) << i;
    for (int b = 0; b < 3; ++b) {
        std::string block;
        for (uint32_t i = firsts[b]; i < firsts[b] + counts[b]; ++i) block += NameLine(i);
        EXPECT_EQ(block, texts[2 + b].text) << b;
    }
    EXPECT_EQ("\n", texts[5].text);
}

TEST_F(ReportTest, NameTableBeyondTheEndOrOfNoLinesPrintsTheFrame) {
    for (const auto& words : std::vector<std::vector<std::string>>{{"print", "nametable", "5", "10"},
                                                                  {"print", "nametable", "0", "0"},
                                                                  {"print", "nametable", "65541", "1"}}) {
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run(words));
        const auto texts = Texts();
        ASSERT_EQ(3u, texts.size()) << words[2];
        EXPECT_EQ("\n", texts[2].text);
        EXPECT_TRUE(texts[2].reply);
    }
    // 65541 is taken as a 16-bit value: 5, the end of the five-entry table.
}

TEST_F(ReportTest, NameTableShowsAPercentInANameAsACharacter) {
    EXPECT_EQ(1, Run({"print", "nametable", "3", "1"}));
    const auto texts = Texts();
    ASSERT_EQ(4u, texts.size());
    EXPECT_EQ(Pad("3", 10) + Pad("00700", 10) + Pad("腾讯%s控", 20) + Pad("腾讯控股有限公司", 30) + Pad("香港主板", 10) + "\r\n",
              texts[2].text);
}

std::string PriceLine(uint32_t last, uint32_t open, uint32_t high, uint32_t low) {
    return Pad("最新:", 7) + Pad(Num(last), 13) + Pad("今开:", 7) + Pad(Num(open), 13) + Pad("最高:", 7) +
           Pad(Num(high), 13) + Pad("最低:", 7) + Pad(Num(low), 12) + "\n";
}

TEST_F(ReportTest, DataOfAShare) {
    EXPECT_EQ(1, Run({"print", "data", "00700"}));
    const auto texts = Texts();
    ASSERT_EQ(2u, texts.size());
    const std::string expected =
        Pad("商品代码:", 9) + Pad("00700", 31) + Pad("商品名称:", 9) + Pad("腾讯%s控", 30) + "\n" +
        "(00700) 整股交易状态1:OPEN\t\t零股交易状态2:CLOSED%d\n" + PriceLine(350000, 350001, 350005, 349995) +
        Pad("Voip:", 7) + Pad("77", 13) + Pad("成交金额:", 10) + Pad("1234.500000", 30) + Pad("成交总量:", 10) +
        Pad("5000000000", 29) + "\n" + Pad("昨收:", 7) + Pad("349999", 13) + Pad("基买价:", 7) + Pad("349999", 13) +
        Pad("基卖价", 7) + Pad("350001", 13) + "\n" + Pad("买一量:", 9) + Pad("4294967296", 11) + Pad("买一笔数:", 9) +
        Pad("7", 11) + Pad("卖一量:", 9) + Pad("300", 11) + Pad("卖一笔数:", 9) + Pad("65535", 10) + "\n";
    EXPECT_TRUE(texts[0].reply);
    EXPECT_EQ(expected, texts[0].text);
    EXPECT_TRUE(texts[1].reply);
    EXPECT_EQ("\n", texts[1].text);
}

TEST_F(ReportTest, DataOfAnIndex) {
    EXPECT_EQ(1, Run({"print", "data", "999999"}));
    const auto texts = Texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ(Pad("商品代码:", 9) + Pad("999999", 31) + Pad("商品名称:", 9) + Pad("港股总量", 30) + "\n" +
                  PriceLine(20900, 20500, 21000, 20400) + Pad("昨收:", 7) + Pad("20450", 13) + "\n" +
                  Pad("成交金额:", 10) + Pad("0.500000", 30) + Pad("成交总量:", 10) + Pad("123", 29) + "\n",
              texts[0].text);
    EXPECT_EQ("\n", texts[1].text);
}

TEST_F(ReportTest, DataFailures) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"12", {"无效的股票代码\n"}},
        {"1234567", {"无效的股票代码\n"}},
        {"0070a", {"无效的股票代码\n"}},
        {"12345", {"未找到该股票信息\n"}},
        // Not "9999...": looked up among the shares, where it has no snapshot.
        {"999001", {"\n"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run({"print", "data", c.first}));
        const auto texts = Texts();
        ASSERT_EQ(c.second.size(), texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_TRUE(texts[i].reply);
            EXPECT_EQ(c.second[i], texts[i].text);
        }
    }
    // An index without its quote, and a share without its snapshot.
    m_Services.indexes.Clear();
    m_Services.snapshots.Clear();
    hostkit::HostRecorder::Instance().Clear();
    Run({"print", "data", "999999"});
    Run({"print", "data", "00001"});
    const auto texts = Texts();
    ASSERT_EQ(3u, texts.size());
    EXPECT_EQ("未找到该指数信息\n", texts[0].text);
    EXPECT_EQ("\n", texts[1].text);
    EXPECT_EQ("\n", texts[2].text);
}

}  // namespace
}  // namespace zephyr::testing
