#include "console/ConsoleHelp.h"

#include <strings.h>

#include <cstring>

#include "console/ConsoleWriter.h"
#include "console/ReportText.h"
#include "zephyr/DriverInterface.h"
#include "foundation/MText.h"

namespace zephyr {

namespace {

// Texts built in a buffer use this many bytes.
constexpr size_t kHelpBuffer = 8000;

void PrintCommandList(ConsoleWriter& writer) {
    writer.ReplyFormat("%-10s  %-50s\r\n%-10s  %-50s\r\n%-10s  %-50s\r\n%-10s  %-50s\r\n"
                       "%-10s  %-50s\r\n%-10s  %-50s\r\n%-10s %-50s\r\n",
                       "ver", "显示驱动版本信息", "help", "显示帮助", "pushdata", "推送指定数据",
                       "print", "显示内存数据", "reinstance", "强制重新初始化", "show",
                       "显示当前配置和状态", "updateclose", "更新昨收价格");
}

void PrintPushdataHelp(ConsoleWriter& writer) {
    char text[kHelpBuffer] = {};
    AppendFormat(text, sizeof text, "%-32s%-40s", "pushdata [index|stock|xxxxxx]",
                 "强制本地驱动推送(指数或个股或指定商品)快照数\r\n");
    AppendFormat(text, sizeof text, "%-32s%-40s", " ", "据到下一级,缺省则推送两种类型全部数据\r\n");
    writer.Reply(text);
}

void PrintPrintHelp(ConsoleWriter& writer) {
    static const char* const kPairs[][2] = {
        {"print nametable <n> <m>", "显示名称代码表 n表示起始序号,m表示显示的个数\r\n"},
        {"print data <xxxxxx>", "显示xxxxxx代码代表的商品快照信息\r\n"},
        {"print jjs <n> [m]", "n起始序号,m个数;m 缺省显示序号是n的经济商信息,\r\n"},
        {"print fin <xxxxxx>", "显示xxxxxx代码的财经数据信息\r\n"},
        {"print glgg <xxxxxx>", "显示商品代码是xxxxxx的关联个股信息\r\n"},
        {"print jjpw <xxxxxx>", "显示商品代码是xxxxxx的经济排位信息\r\n"},
    };
    char text[kHelpBuffer] = {};
    AppendFormat(text, sizeof text, "%-30s%-40s", "print marketinfo [n]",
                 "显示市场信息 n缺省显示基本市场信息,未缺省则显示\r\n");
    AppendFormat(text, sizeof text, "%-30s%-40s", " ", "n类别的类别信息\r\n");
    for (const auto& pair : kPairs) AppendFormat(text, sizeof text, "\n%-30s%-40s", pair[0], pair[1]);
    writer.Reply(text);
}

void PrintCommandHelp(ConsoleWriter& writer, const char* name) {
    if (strcasecmp(name, "ver") == 0) {
        writer.ReplyFormat("%-10s  %-50s", "ver", "显示港股源驱动版本信息\n");
    } else if (strcasecmp(name, "help") == 0) {
        writer.ReplyFormat("%-20s  %-50s", "help [命令名]", " 显示指定命令帮助信息\n");
    } else if (strcasecmp(name, "pushdata") == 0) {
        PrintPushdataHelp(writer);
    } else if (strcasecmp(name, "print") == 0) {
        PrintPrintHelp(writer);
    } else if (strcasecmp(name, "reinstance") == 0) {
        writer.ReplyFormat("%-20s  %-50s", "reinstance", " 强制本地开始重新初始化\n");
    } else if (strcasecmp(name, "show") == 0) {
        writer.OutputFormat("%-30s %-40s", "show <config|stat>",
                            "参数=config 显示当前配置;参数=stat 显示与下级\r\n");
        writer.ReplyFormat("%-30s%-40s", "  ", " 软件的通信信息\r\n");
    } else if (strcasecmp(name, "updateclose") == 0) {
        writer.Reply("updateclose [stockcode closeprice]\t不带参数调整整个市场的昨收价(现->昨);带"
                     "\t\t\t\t\t\t二个参数设置某个股票的昨收价,如想及时更\t\t\t\t\t\t改需要后续执行"
                     "pushdata指令。");
    } else {
        writer.Reply("无法识别的命令字,无法提供帮助\n");
    }
}

}  // namespace

void PrintVersion(ConsoleWriter& writer) {
    writer.ReplyFormat("版本号: V%.2f B%03d", (kDriverVersionWord >> 16) / 100.0,
                       static_cast<int>(kDriverVersionWord & 0xFFFF));
}

void PrintHelp(ConsoleWriter& writer, char** argv, int32_t argc) {
    if (argc == 1) {
        PrintCommandList(writer);
    } else if (argc == 2) {
        PrintCommandHelp(writer, argv[1]);
    } else {
        writer.Reply("参数个数错误\n");
    }
}

}  // namespace zephyr
