#include "foundation/platform/NativeClock.h"

#include <windows.h>

namespace zephyr {
namespace native {

int64_t NowSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100 ns units since 1601-01-01; 11644473600 s lie between that day and 1970-01-01.
    return static_cast<int64_t>(ticks / 10000000u) - 11644473600LL;
}

uint32_t TickMs() { return GetTickCount(); }

void SleepMs(uint32_t ms) { Sleep(ms); }

const MClockSource* FindHostClockSource() {
    // A hosting program offers its clock by exporting the entry from its own .exe.
    HMODULE program = GetModuleHandleA(nullptr);
    FARPROC entry = program != nullptr ? GetProcAddress(program, kClockSourceSymbol) : nullptr;
    return entry != nullptr ? reinterpret_cast<MClockSourceLookup>(reinterpret_cast<void*>(entry))()
                            : nullptr;
}

}  // namespace native
}  // namespace zephyr
