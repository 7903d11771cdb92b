#include "portable/Process.h"

#include <windows.h>
// After windows.h, which it needs.
#include <psapi.h>

namespace zephyr::portable {

std::string ProgramFile() {
    char path[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

uint64_t ResidentKb() {
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    // The kernel32 entry (Windows 7 and later): no psapi.dll import.
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return static_cast<uint64_t>(counters.WorkingSetSize) / 1024;
}

const char* ResidentName() { return "working set"; }

// The heap of msvcrt gives large blocks back by itself.
void ReturnFreedMemory() {}

}  // namespace zephyr::portable
