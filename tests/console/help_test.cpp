// The help texts, byte for byte (GBK), and the callback that carries each.
#include "ConsoleFixture.h"

namespace zephyr::testing {
namespace {

std::string Line2(const std::string& word, const std::string& text) { return Pad(word, 10) + "  " + Pad(text, 50) + "\r\n"; }

TEST_F(ConsoleTest, HelpListsTheCommandsWithANarrowerLastLine) {
    EXPECT_EQ(1, Run({"help"}));
    const std::string expected = Line2("ver", "显示驱动版本信息") + Line2("help", "显示帮助") +
                                 Line2("pushdata", "推送指定数据") + Line2("print", "显示内存数据") +
                                 Line2("reinstance", "强制重新初始化") + Line2("show", "显示当前配置和状态") +
                                 Pad("updateclose", 10) + " " + Pad("更新昨收价格", 50) + "\r\n";
    const auto texts = Texts();
    ASSERT_EQ(1u, texts.size());
    EXPECT_TRUE(texts[0].reply);
    EXPECT_EQ(expected, texts[0].text);
    // The 11-letter word overflows its column: one blank only before its text.
    EXPECT_NE(std::string::npos, texts[0].text.find("updateclose \xB8\xFC"));
}

TEST_F(ConsoleTest, HelpOnOneCommand) {
    const std::string print_help =
        Pad("print marketinfo [n]", 30) + Pad("显示市场信息 n缺省显示基本市场信息,未缺省则显示\r\n", 40) + Pad(" ", 30) +
        Pad("n类别的类别信息\r\n", 40) + "\n" + Pad("print nametable <n> <m>", 30) +
        Pad("显示名称代码表 n表示起始序号,m表示显示的个数\r\n", 40) + "\n" + Pad("print data <xxxxxx>", 30) +
        Pad("显示xxxxxx代码代表的商品快照信息\r\n", 40) + "\n" + Pad("print jjs <n> [m]", 30) +
        Pad("n起始序号,m个数;m 缺省显示序号是n的经济商信息,\r\n", 40) + "\n" + Pad("print fin <xxxxxx>", 30) +
        Pad("显示xxxxxx代码的财经数据信息\r\n", 40) + "\n" + Pad("print glgg <xxxxxx>", 30) +
        Pad("显示商品代码是xxxxxx的关联个股信息\r\n", 40) + "\n" + Pad("print jjpw <xxxxxx>", 30) +
        Pad("显示商品代码是xxxxxx的经济排位信息\r\n", 40);
    const std::pair<std::string, std::string> cases[] = {
        {"VER", Pad("ver", 10) + "  " + Pad("显示港股源驱动版本信息\n", 50)},
        {"help", Pad("help [命令名]", 20) + "  " + Pad(" 显示指定命令帮助信息\n", 50)},
        {"pushdata", Pad("pushdata [index|stock|xxxxxx]", 32) + Pad("强制本地驱动推送(指数或个股或指定商品)快照数\r\n", 40) +
                         Pad(" ", 32) + Pad("据到下一级,缺省则推送两种类型全部数据\r\n", 40)},
        {"Print", print_help},
        {"reinstance", Pad("reinstance", 20) + "  " + Pad(" 强制本地开始重新初始化\n", 50)},
        {"updateclose",
         "updateclose [stockcode closeprice]\t不带参数调整整个市场的昨收价(现->昨);带\t\t\t\t\t\t二个参数设置某个股票"
         "的昨收价,如想及时更\t\t\t\t\t\t改需要后续执行pushdata指令。"},
        {"helpx", "无法识别的命令字,无法提供帮助\n"},
        {"l2cmd", "无法识别的命令字,无法提供帮助\n"},
        {"L2help", "无法识别的命令字,无法提供帮助\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        hostkit::HostRecorder::Instance().Clear();
        EXPECT_EQ(1, Run({"help", c.first}));
        const auto texts = Texts();
        ASSERT_EQ(1u, texts.size());
        EXPECT_TRUE(texts[0].reply);
        EXPECT_EQ(c.second, texts[0].text);
    }
}

TEST_F(ConsoleTest, HelpOnShowUsesBothCallbacks) {
    EXPECT_EQ(1, Run({"help", "show"}));
    const auto texts = Texts();
    ASSERT_EQ(2u, texts.size());
    EXPECT_FALSE(texts[0].reply);
    EXPECT_EQ(Pad("show <config|stat>", 30) + " " + Pad("参数=config 显示当前配置;参数=stat 显示与下级\r\n", 40),
              texts[0].text);
    EXPECT_TRUE(texts[1].reply);
    EXPECT_EQ(Pad("  ", 30) + Pad(" 软件的通信信息\r\n", 40), texts[1].text);
}

TEST_F(ConsoleTest, HelpWithTwoWordsIsAnArgumentCountError) {
    EXPECT_EQ(1, Run({"help", "ver", "print"}));
    ASSERT_EQ(1u, Texts().size());
    EXPECT_EQ("参数个数错误\n", Texts()[0].text);
}

}  // namespace
}  // namespace zephyr::testing
