// The one process-wide source of wall time and of the millisecond tick.
// Everything that reads the time (MDateTime::Now, MTickCounter, schedules) goes through here,
// so tests can set and advance a trading day without waiting. Production uses the real clocks.
#pragma once
#include <time.h>

#include <cstddef>

#include <atomic>
#include <cstdint>

namespace zephyr {

// A replacement time source. Both functions must be callable from any thread.
struct MClockSource {
    int64_t (*now_seconds)(void* context);  // seconds since 1970-01-01 00:00:00 UTC
    uint32_t (*tick_ms)(void* context);     // millisecond tick, wraps at 2^32
    void* context;
};
// Crosses from host to library: 12 bytes on i386, 24 on x86-64.
static_assert(sizeof(MClockSource) == 3 * sizeof(void*), "clock source record");
static_assert(offsetof(MClockSource, tick_ms) == sizeof(void*), "clock source record");
static_assert(offsetof(MClockSource, context) == 2 * sizeof(void*), "clock source record");

// C entry a hosting process may define (extern "C", exported from the executable) to drive the
// clock of a driver library it loads: the library looks it up once, at its first time read.
// Returns the source to use, or null for the real clocks.
using MClockSourceLookup = const MClockSource* (*)();
constexpr const char* kClockSourceSymbol = "ZephyrClockSource";

class MClock {
public:
    static int64_t NowSeconds();
    static uint32_t TickMs();
    // Real sleep; a test clock does not shorten it.
    static void SleepMs(uint32_t ms);
    // The point timeout_ms from now on CLOCK_MONOTONIC, for timed waits on condition variables
    // set to that clock: like SleepMs, such waits run in real time whatever the source.
    static timespec RealDeadline(uint32_t timeout_ms);

    // Replace the source (null: back to the real clocks, and no further host lookup).
    static void SetSource(const MClockSource* source);
};

// A settable clock for tests and tools: holds a wall time and a tick that only move when told.
class MManualClock {
public:
    MManualClock(int64_t now_seconds, uint32_t tick_ms);
    void Set(int64_t now_seconds);
    void SetTick(uint32_t tick_ms);
    // Moves wall time and tick forward together.
    void AdvanceMs(uint32_t ms);
    int64_t Now() const;
    uint32_t Tick() const;
    const MClockSource* Source() const { return &source_; }
    // Installs this clock as the process-wide source.
    void Install() const { MClock::SetSource(&source_); }

private:
    MClockSource source_;
    // Wall time kept in milliseconds so AdvanceMs moves it precisely.
    std::atomic<int64_t> now_ms_;
    std::atomic<uint32_t> tick_ms_;
};

}  // namespace zephyr
