#include "console/DriverCommandHandler.h"

#include <strings.h>

#include "console/ConsoleActions.h"
#include "console/ConsoleHelp.h"
#include "console/ConsoleReports.h"
#include "console/ConsoleServices.h"
#include "console/ConsoleWriter.h"
#include "console/InstrumentCode.h"

namespace zephyr {

namespace {

bool Is(const char* word, const char* name) { return strcasecmp(word, name) == 0; }

}  // namespace

int32_t DriverCommandHandler::ExecuteCommand(uint32_t console, char** argv, int32_t argc) {
    if (m_Services == nullptr) return 1;
    try {
        ConsoleWriter writer(*m_Services, console);
        bool words_present = argc > 0 && argv != nullptr;
        for (int32_t i = 0; words_present && i < argc; ++i) words_present = argv[i] != nullptr;
        if (!words_present) {
            writer.Reply("参数错误\n");
            return 1;
        }
        return Dispatch(writer, argv, argc);
    } catch (...) {
        return 1;
    }
}

int32_t DriverCommandHandler::Dispatch(ConsoleWriter& writer, char** argv, int32_t argc) {
    const char* command = argv[0];
    if (Is(command, "l2help")) {
        char help[] = "help";
        char* words[] = {help, nullptr};
        ForwardToLevel2(writer, words, 1);
        return 1;
    }
    if (Is(command, "l2cmd")) {
        if (argc >= 2) {
            ForwardToLevel2(writer, argv + 1, argc - 1);
        } else {
            writer.Reply("不支持指令\n");
        }
        return 1;
    }
    if (Is(command, "print")) return Print(writer, argv, argc);
    if (Is(command, "ver")) {
        PrintVersion(writer);
        return 1;
    }
    if (Is(command, "help")) {
        PrintHelp(writer, argv, argc);
        return 1;
    }
    if (Is(command, "reinstance")) {
        if (Running(writer)) Reinstance(*m_Services, writer);
        return 1;
    }
    if (Is(command, "updateclose")) return UpdateClose(writer, argv, argc);
    if (Is(command, "pushdata")) return PushData(writer, argv, argc);
    if (Is(command, "show")) return Show(writer, argv, argc);
    writer.Reply("不支持指令");
    return 1;
}

void DriverCommandHandler::ForwardToLevel2(ConsoleWriter& writer, char** argv, int32_t argc) {
    switch (m_Services->ForwardToLevel2(writer.Console(), argv, argc)) {
    case Level2Reach::kNoModule:
        writer.Reply("未加载L2传输模块\n");
        break;
    case Level2Reach::kNoConsole:
        writer.Reply("L2传输模块没有控制台指令\n");
        break;
    case Level2Reach::kForwarded:
        break;
    }
}

int32_t DriverCommandHandler::Print(ConsoleWriter& writer, char** argv, int32_t argc) {
    if (argc == 1) {
        writer.Reply("暂不支持");
        return 1;
    }
    const char* kind = argv[1];
    if (Is(kind, "marketinfo")) {
        if (Running(writer)) PrintMarketInfo(*m_Services, writer, argc >= 3 ? ReadNumber(argv[2]) : -1);
    } else if (Is(kind, "pricetbl")) {
        if (Running(writer)) PrintPriceTable(*m_Services, writer);
    } else if (Is(kind, "nametable")) {
        if (argc != 4) {
            writer.Reply("USAGE:print nametable n [m]\n");
            return kNametableUsage;
        }
        if (Running(writer)) {
            PrintNameTable(*m_Services, writer, static_cast<uint16_t>(ReadNumber(argv[2])),
                           static_cast<uint16_t>(ReadNumber(argv[3])));
        }
    } else if (Is(kind, "data")) {
        if (argc != 3) {
            writer.Reply("USAGE: print data stockcode\n");
            return kDataUsage;
        }
        if (Running(writer)) PrintInstrument(*m_Services, writer, argv[2]);
    } else {
        writer.Reply("暂不支持");
    }
    return 1;
}

int32_t DriverCommandHandler::PushData(ConsoleWriter& writer, char** argv, int32_t argc) {
    if (argc >= 3) {
        writer.Reply("暂不支持");
        return 1;
    }
    if (!Running(writer)) return 1;
    if (argc == 1) {
        PushTables(*m_Services, writer, kPushBoth);
    } else if (Is(argv[1], "index")) {
        PushTables(*m_Services, writer, kPushIndexes);
    } else if (Is(argv[1], "stock")) {
        PushTables(*m_Services, writer, kPushStocks);
    } else {
        PushInstrument(*m_Services, writer, argv[1]);
    }
    return 1;
}

int32_t DriverCommandHandler::Show(ConsoleWriter& writer, char** argv, int32_t argc) {
    if (argc != 2) {
        writer.Reply("暂不支持");
    } else if (Is(argv[1], "stat")) {
        ShowStat(writer);
    } else if (Is(argv[1], "config")) {
        ShowConfig(*m_Services, writer);
    } else {
        writer.Reply("参数不正确");
    }
    return 1;
}

int32_t DriverCommandHandler::UpdateClose(ConsoleWriter& writer, char** argv, int32_t argc) {
    if (argc != 1 && argc != 3) return 1;  // nothing done, nothing printed
    if (!Running(writer)) return 1;
    if (argc == 1) {
        UpdateAllCloses(*m_Services, writer);
    } else {
        zephyr::UpdateClose(*m_Services, writer, argv[1], argv[2]);
    }
    return 1;
}

bool DriverCommandHandler::Running(ConsoleWriter& writer) {
    if (m_Services->IsRunning()) return true;
    writer.Reply("驱动未运行\n");
    return false;
}

}  // namespace zephyr
