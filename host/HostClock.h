// The clock a hosting process offers to the driver libraries it loads.
//
// The kit defines the C entry "ZephyrClockSource" (the clock hook of zephyr/ClockHook.h),
// exported from the test program (default visibility with ENABLE_EXPORTS; __declspec(dllexport)
// on Windows), which a driver looks up at its first time read. Until a test sets a time, the
// clock follows the real wall time and tick; once set, wall time and tick move only when the
// test moves them (sleeps inside the driver stay real).
#pragma once
#include <cstdint>

namespace zephyr::hostkit {

class HostClock {
public:
    // Seconds since 1970 of a local date and time (TZ of the process).
    static int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);
    // Switch to the set clock at this local time (tick keeps its current value).
    static void SetLocal(int year, int month, int day, int hour, int minute, int second);
    static void SetSeconds(int64_t seconds);
    static void SetTick(uint32_t tick_ms);
    // Moves wall time and tick forward together (switches to the set clock if needed).
    static void AdvanceMs(uint32_t ms);
    // Back to the real clocks.
    static void UseRealTime();

    static int64_t NowSeconds();
    static uint32_t TickMs();
};

}  // namespace zephyr::hostkit
