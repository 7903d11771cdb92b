// The command table: which row a command line reaches, its result and the one text it prints.
#include "ConsoleFixture.h"

namespace zephyr::testing {
namespace {

struct Row {
    std::vector<std::string> words;
    int32_t result;
    std::string reply;  // expected reply text ("" for none)
};

TEST_F(ConsoleTest, UsageAndUnsupportedRowsAnswerOneText) {
    const Row rows[] = {
        {{}, 1, "参数错误\n"},
        {{"l2cmd"}, 1, "不支持指令\n"},
        {{"print"}, 1, "暂不支持"},
        {{"print", "jjs", "1", "2"}, 1, "暂不支持"},
        {{"PRINT", "fin"}, 1, "暂不支持"},
        {{"print", "nametable", "1"}, 4, "USAGE:print nametable n [m]\n"},
        {{"print", "nametable"}, 4, "USAGE:print nametable n [m]\n"},
        {{"print", "NameTable", "1", "2", "3"}, 4, "USAGE:print nametable n [m]\n"},
        {{"print", "data"}, 2, "USAGE: print data stockcode\n"},
        {{"print", "DATA", "00700", "x"}, 2, "USAGE: print data stockcode\n"},
        {{"frobnicate"}, 1, "不支持指令"},
        {{"helpx"}, 1, "不支持指令"},
        {{"show"}, 1, "暂不支持"},
        {{"show", "stat", "x"}, 1, "暂不支持"},
        {{"show", "other"}, 1, "参数不正确"},
        {{"pushdata", "00700", "x"}, 1, "暂不支持"},
        {{"updateclose", "00700"}, 1, ""},
        {{"updateclose", "00700", "1", "2"}, 1, ""},
        {{"ver"}, 1, "版本号: V1.00 B047"},
        {{"VER", "extra"}, 1, "版本号: V1.00 B047"},
        {{"show", "STAT"}, 1, "当前包序号:0\n丢失包总数:0\n"},
        {{"Show", "config"}, 1,
         "PushBond:\n\t10\nStockBond:\n\t1\nFilt Warrant:\n\tY\nKP Time:\n\t845\nIndex Source:\n\tEnable:N\n"},
    };
    for (const Row& row : rows) {
        hostkit::HostRecorder::Instance().Clear();
        std::string line;
        for (const auto& w : row.words) line += w + " ";
        SCOPED_TRACE(line);
        EXPECT_EQ(row.result, Run(row.words));
        const auto texts = Texts();
        if (row.reply.empty()) {
            EXPECT_TRUE(texts.empty());
        } else {
            ASSERT_EQ(1u, texts.size());
            EXPECT_TRUE(texts[0].reply);
            EXPECT_EQ(77u, texts[0].console);
            EXPECT_EQ(row.reply, texts[0].text);
        }
    }
    // None of them changed or pushed anything.
    EXPECT_TRUE(m_Services.pushes.empty());
    EXPECT_EQ(0, m_Services.flushes);
    EXPECT_EQ(0, m_Services.corrected);
    EXPECT_TRUE(m_Services.forwarded.empty());
    Snapshot s;
    ASSERT_TRUE(m_Services.snapshots.GetByCode(&s, "00700"));
    EXPECT_EQ(349999u, V(s.previous_close));
}

// Hostile words: conversions, signs, huge numbers and long words end in an ordinary answer.
TEST_F(ConsoleTest, HostileWordsGetOrdinaryAnswers) {
    const std::string long_word(5000, '9');
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"pushdata", "%s%s%n"}, "无效的股票代码。"},
        {{"pushdata", long_word}, "无效的股票代码。"},
        {{"print", "data", "%n%n%n"}, "无效的股票代码\n"},
        {{"updateclose", "%s%s", "99999999999"}, "无效的股票代码\n"},
        {{"print", "marketinfo", "99999999999"}, ""},  // saturates: the market report
        {{"print", "marketinfo", "-2147483649"}, ""},
        {{"%s%n", "%s"}, "不支持指令"},
        {{long_word}, "不支持指令"},
        {{"help", "%s%s%s%s%n"}, "无法识别的命令字,无法提供帮助\n"},
    };
    for (const auto& c : cases) {
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run(c.first));
        const auto texts = Texts();
        ASSERT_EQ(1u, texts.size());
        if (c.second.empty()) {
            EXPECT_EQ(0u, texts[0].text.find("市场编号:30\n"));
        } else {
            EXPECT_EQ(c.second, texts[0].text);
        }
    }
    // Negative positions are taken as 16-bit values: beyond the table, only the frame.
    hostkit::HostRecorder::Instance().Clear();
    EXPECT_EQ(1, Run({"print", "nametable", "-1", "-1"}));
    ASSERT_EQ(3u, Texts().size());
    EXPECT_TRUE(m_Services.pushes.empty());
}

TEST_F(ConsoleTest, LevelTwoCommandsForwardTheirWords) {
    EXPECT_EQ(1, Run({"l2cmd", "status", "all"}, 5));
    EXPECT_EQ(1, Run({"L2Help", "ignored"}, 6));
    ASSERT_EQ(2u, m_Services.forwarded.size());
    EXPECT_EQ((std::vector<std::string>{"status", "all"}), m_Services.forwarded[0]);
    EXPECT_EQ((std::vector<std::string>{"help"}), m_Services.forwarded[1]);
    EXPECT_EQ(6u, m_Services.forwarded_console);
    EXPECT_TRUE(Texts().empty());

    // Alone, l2cmd is refused and sends the module nothing.
    EXPECT_EQ(1, Run({"l2cmd"}));
    EXPECT_EQ(2u, m_Services.forwarded.size());
    ASSERT_EQ(1u, Texts().size());
    EXPECT_EQ("不支持指令\n", Texts()[0].text);
}

// With no module to take them, the level-2 commands say so instead of printing nothing.
TEST_F(ConsoleTest, LevelTwoCommandsSayWhenNoModuleTakesThem) {
    const std::pair<Level2Reach, std::string> reaches[] = {
        {Level2Reach::kNoModule, "未加载L2传输模块\n"},
        {Level2Reach::kNoConsole, "L2传输模块没有控制台指令\n"},
    };
    for (const auto& reach : reaches) {
        m_Services.level2 = reach.first;
        for (const std::vector<std::string>& words : {std::vector<std::string>{"l2cmd", "status"},
                                                      std::vector<std::string>{"l2help"}}) {
            SCOPED_TRACE(words[0]);
            hostkit::HostRecorder::Instance().Clear();
            EXPECT_EQ(1, Run(words));
            const auto texts = Texts();
            ASSERT_EQ(1u, texts.size());
            EXPECT_TRUE(texts[0].reply);
            EXPECT_EQ(reach.second, texts[0].text);
        }
    }
    EXPECT_TRUE(m_Services.forwarded.empty());
}

TEST_F(ConsoleTest, NullWordsAreAParameterError) {
    EXPECT_EQ(1, m_Handler.ExecuteCommand(3, nullptr, 2));
    char word[] = "ver";
    char* argv[] = {word, nullptr};
    EXPECT_EQ(1, m_Handler.ExecuteCommand(3, argv, 2));
    const auto texts = Texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("参数错误\n", texts[0].text);
    EXPECT_EQ("参数错误\n", texts[1].text);
}

TEST_F(ConsoleTest, WithoutCallbacksNothingIsWrittenAndNothingCrashes) {
    m_Services.with_callbacks = false;
    EXPECT_EQ(1, Run({"help"}));
    EXPECT_EQ(1, Run({"print", "marketinfo"}));
    EXPECT_EQ(4, Run({"print", "nametable"}));
    EXPECT_TRUE(Texts().empty());
}

TEST_F(ConsoleTest, ABaseHandlerAnswersMinusOne) {
    ConsoleCommandHandler base;
    EXPECT_EQ(-1, base.ExecuteCommand(1, nullptr, 0));
}

// Before the start and after the stop the tables are not the day's: reports and actions refuse,
// usage errors and the texts that need no table still answer.
TEST_F(ConsoleTest, ANotRunningDriverRefusesReportsAndActions) {
    m_Services.running = false;
    const std::vector<std::vector<std::string>> refused = {
        {"print", "marketinfo"}, {"print", "pricetbl"}, {"print", "nametable", "0", "10"},
        {"print", "data", "00700"}, {"pushdata"}, {"pushdata", "00700"}, {"reinstance"},
        {"updateclose"}, {"updateclose", "00700", "100"},
    };
    for (const auto& words : refused) {
        hostkit::HostRecorder::Instance().Clear();
        Run(words);
        const auto texts = Texts();
        ASSERT_EQ(1u, texts.size()) << words[0];
        EXPECT_EQ("驱动未运行\n", texts[0].text);
    }
    EXPECT_TRUE(m_Services.pushes.empty());
    EXPECT_EQ(0, m_Services.flushes);
    EXPECT_EQ(0, m_Services.reinitialised);
    EXPECT_EQ(0, m_Services.corrected);
    Snapshot s;
    ASSERT_TRUE(m_Services.snapshots.GetByCode(&s, "00700"));
    EXPECT_EQ(349999u, V(s.previous_close));

    hostkit::HostRecorder::Instance().Clear();
    EXPECT_EQ(2, Run({"print", "data"}));
    Run({"ver"});
    ASSERT_EQ(2u, Texts().size());
    EXPECT_EQ("版本号: V1.00 B047", Texts()[1].text);
}

}  // namespace
}  // namespace zephyr::testing
