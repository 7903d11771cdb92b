// The "ver" line and the "help" texts of the operator console.
#pragma once
#include <cstdint>

namespace zephyr {

class ConsoleWriter;

// "版本号: V1.00 B047", no line end.
void PrintVersion(ConsoleWriter& writer);
// argc 1: the command list; argc 2: help on the command named by argv[1] (letter case aside);
// more: "参数个数错误\n". Help on "show" writes its first line through the output callback.
void PrintHelp(ConsoleWriter& writer, char** argv, int32_t argc);

}  // namespace zephyr
