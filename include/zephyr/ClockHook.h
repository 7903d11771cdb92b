// The clock hook: a contract between a hosting process and the driver library it loads.
//
// A host (or a test) that wants to drive the driver's wall time and millisecond tick defines the
// C entry `ZephyrClockSource` in its executable and exports it. The library looks it up once, at
// its first time read, and then reads every time through the record it returns. Both functions
// must be callable from any thread; a null answer means the real clocks.
// Where the library looks: on POSIX the program's dynamic symbols (link it with -rdynamic or
// ENABLE_EXPORTS, and give the entry default visibility); on Windows the export table of the
// .exe, through GetProcAddress(GetModuleHandleA(NULL), "ZephyrClockSource"), so mark the entry
// __declspec(dllexport) (or list it in the program's .def file).
#pragma once
#include <cstddef>
#include <cstdint>

namespace zephyr {

struct MClockSource {
    int64_t (*now_seconds)(void* context);  // seconds since 1970-01-01 00:00:00 UTC
    uint32_t (*tick_ms)(void* context);     // millisecond tick, wraps at 2^32
    void* context;
};
// Three addresses: 12 bytes on i386, 24 on x86-64.
static_assert(sizeof(MClockSource) == 3 * sizeof(void*), "clock source record");
static_assert(offsetof(MClockSource, tick_ms) == sizeof(void*), "clock source record");
static_assert(offsetof(MClockSource, context) == 2 * sizeof(void*), "clock source record");

// The entry's type and name.
using MClockSourceLookup = const MClockSource* (*)();
constexpr const char* kClockSourceSymbol = "ZephyrClockSource";

}  // namespace zephyr
