// "pushdata", "updateclose" and "reinstance": what reaches the push path, what changes, and the
// texts.
#include <cstdio>

#include "ConsoleFixture.h"

namespace zephyr::testing {
namespace {

std::string Bytes(const void* record, size_t size) { return std::string(static_cast<const char*>(record), size); }

TEST_F(ConsoleTest, PushdataSendsIndexesThenShares) {
    EXPECT_EQ(1, Run({"pushdata"}));
    ASSERT_EQ(2u, m_Services.pushes.size());
    EXPECT_EQ(4, m_Services.pushes[0].first);
    ASSERT_EQ(2u * 42, m_Services.pushes[0].second.size());
    IndexEntry index;
    m_Services.indexes.Get(&index, 1);
    EXPECT_EQ(Bytes(&index, 42), m_Services.pushes[0].second.substr(42));
    EXPECT_EQ(1, m_Services.pushes[1].first);
    ASSERT_EQ(3u * 74, m_Services.pushes[1].second.size());
    Snapshot share;
    m_Services.snapshots.Get(&share, 2);
    EXPECT_EQ(Bytes(&share, 74), m_Services.pushes[1].second.substr(148));
    EXPECT_EQ(1, m_Services.flushes);
    ASSERT_EQ(1u, Texts().size());
    EXPECT_TRUE(Texts()[0].reply);
    EXPECT_EQ("执行推送完毕。", Texts()[0].text);
}

TEST_F(ConsoleTest, PushdataOfOneKindInBatchesOf100) {
    for (int i = 0; i < 247; ++i) {
        char code[8];
        std::snprintf(code, sizeof code, "%05d", 10000 + i);
        Snapshot s = MakeSnapshot(code, 100);
        ASSERT_TRUE(m_Services.snapshots.Append(&s));
    }
    EXPECT_EQ(1, Run({"pushdata", "STOCK"}));
    ASSERT_EQ(3u, m_Services.pushes.size());
    const size_t sizes[] = {100 * 74, 100 * 74, 50 * 74};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(1, m_Services.pushes[i].first);
        EXPECT_EQ(sizes[i], m_Services.pushes[i].second.size());
    }
    EXPECT_EQ("\x30\x30\x30\x30\x31", m_Services.pushes[0].second.substr(0, 5));  // 00001 first

    m_Services.pushes.clear();
    EXPECT_EQ(1, Run({"pushdata", "index"}));
    ASSERT_EQ(1u, m_Services.pushes.size());
    EXPECT_EQ(4, m_Services.pushes[0].first);
    EXPECT_EQ(2, m_Services.flushes);
}

TEST_F(ConsoleTest, PushdataOnEmptyTablesPushesNothing) {
    m_Services.indexes.Clear();
    m_Services.snapshots.Clear();
    EXPECT_EQ(1, Run({"pushdata"}));
    EXPECT_TRUE(m_Services.pushes.empty());
    EXPECT_EQ(1, m_Services.flushes);
    EXPECT_EQ("执行推送完毕。", Replies());
}

TEST_F(ConsoleTest, PushdataOfOneInstrument) {
    EXPECT_EQ(1, Run({"pushdata", "00700"}));
    Snapshot share;
    ASSERT_TRUE(m_Services.snapshots.GetByCode(&share, "00700"));
    ASSERT_EQ(1u, m_Services.pushes.size());
    EXPECT_EQ(1, m_Services.pushes[0].first);
    EXPECT_EQ(Bytes(&share, 74), m_Services.pushes[0].second);
    EXPECT_EQ(1, m_Services.flushes);

    // 999001 is an index code for pushdata (it is not for print data).
    EXPECT_EQ(1, Run({"pushdata", "999001"}));
    IndexEntry index;
    ASSERT_TRUE(m_Services.indexes.Get(&index, 0));
    ASSERT_EQ(2u, m_Services.pushes.size());
    EXPECT_EQ(4, m_Services.pushes[1].first);
    EXPECT_EQ(Bytes(&index, 42), m_Services.pushes[1].second);

    const auto texts = Texts();
    ASSERT_EQ(4u, texts.size());
    for (const auto& t : texts) EXPECT_TRUE(t.reply);
    EXPECT_EQ("执行推送完毕。", texts[0].text);
    EXPECT_EQ("\n", texts[1].text);
    EXPECT_EQ("执行推送完毕。", texts[2].text);
    EXPECT_EQ("\n", texts[3].text);
}

TEST_F(ConsoleTest, PushdataFailuresPushNothing) {
    struct Case {
        std::string code;
        std::vector<hostkit::ConsoleRecord> texts;
    };
    const Case cases[] = {
        {"12345678", {{true, 77, "无效的股票代码。"}}},
        {"12a45", {{true, 77, "无效的股票代码。"}}},
        {"12345", {{true, 77, "找不到该股票信息"}}},
        {"0700", {{true, 77, "找不到该股票信息"}}},  // looked up by its characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run({"pushdata", c.code}));
        const auto texts = Texts();
        ASSERT_EQ(c.texts.size(), texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(c.texts[i].reply, texts[i].reply);
            EXPECT_EQ(c.texts[i].text, texts[i].text);
        }
    }
    // Known codes whose record is missing: the same text for an index and a share, through the
    // output callback, then the line end.
    m_Services.indexes.Clear();
    m_Services.snapshots.Clear();
    for (const char* code : {"999999", "00700"}) {
        hostkit::HostRecorder::Instance().Clear();
        Run({"pushdata", code});
        const auto texts = Texts();
        ASSERT_EQ(2u, texts.size());
        EXPECT_FALSE(texts[0].reply);
        EXPECT_EQ("未找到该指数的数据。\n", texts[0].text);
        EXPECT_TRUE(texts[1].reply);
        EXPECT_EQ("\n", texts[1].text);
    }
    EXPECT_TRUE(m_Services.pushes.empty());
    EXPECT_EQ(0, m_Services.flushes);
}

TEST_F(ConsoleTest, UpdatecloseSetsOneSharesPreviousClose) {
    EXPECT_EQ(1, Run({"updateclose", "00700", "123456"}));
    EXPECT_EQ(1, Run({"updateclose", "0001", "77"}));  // read as a number: 00001
    Snapshot share;
    ASSERT_TRUE(m_Services.snapshots.GetByCode(&share, "00700"));
    EXPECT_EQ(123456u, V(share.previous_close));
    ASSERT_TRUE(m_Services.snapshots.GetByCode(&share, "00001"));
    EXPECT_EQ(77u, V(share.previous_close));
    EXPECT_EQ("调整00700昨收价完毕调整0001昨收价完毕", Replies());
    EXPECT_TRUE(m_Services.pushes.empty());
}

TEST_F(ConsoleTest, UpdatecloseFailuresChangeNothing) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"updateclose", "00700", "abc"}, "昨收价错误\n"},
        {{"updateclose", "00700", "0"}, "昨收价错误\n"},
        {{"updateclose", "00700", "-5"}, "昨收价错误\n"},
        {{"updateclose", "7%0", "5"}, "无效的股票代码\n"},
        {{"updateclose", "99998", "5"}, "未找到该股票信息\n"},
        {{"updateclose", "999999", "5"}, "未找到该股票信息\n"},  // an index has no snapshot
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first[1] + " " + c.first[2]);
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run(c.first));
        ASSERT_EQ(1u, Texts().size());
        EXPECT_EQ(c.second, Texts()[0].text);
    }
    const uint32_t expected[] = {9999, 349999, 59999};
    for (uint32_t i = 0; i < 3; ++i) {
        Snapshot share;
        ASSERT_TRUE(m_Services.snapshots.Get(&share, i));
        EXPECT_EQ(expected[i], V(share.previous_close));
    }
    IndexEntry index;
    ASSERT_TRUE(m_Services.indexes.Get(&index, 1));
    EXPECT_EQ(20450u, V(index.previous_close));
}

TEST_F(ConsoleTest, WholeMarketActions) {
    EXPECT_EQ(1, Run({"updateclose"}));
    EXPECT_EQ(1, Run({"ReInstance", "now"}));
    EXPECT_EQ(1, m_Services.corrected);
    EXPECT_EQ(1, m_Services.reinitialised);
    const auto texts = Texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("调整全市场昨收价完毕", texts[0].text);
    EXPECT_EQ("执行重新初始化命令完毕。", texts[1].text);
}

}  // namespace
}  // namespace zephyr::testing
