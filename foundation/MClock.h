// The one process-wide source of wall time and of the millisecond tick.
// Everything that reads the time (MDateTime::Now, MTickCounter, schedules) goes through here,
// so tests can set and advance a trading day without waiting. Production uses the real clocks.
#pragma once
#include <atomic>
#include <cstdint>

#include "zephyr/ClockHook.h"

namespace zephyr {

// A replacement time source is an MClockSource; a hosting process offers one through the clock
// hook (zephyr/ClockHook.h).
class MClock {
public:
    static int64_t NowSeconds();
    static uint32_t TickMs();
    // Real sleep; a test clock does not shorten it (timed waits of locks and events run in real
    // time too).
    static void SleepMs(uint32_t ms);

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
    const MClockSource* Source() const { return &m_Source; }
    // Installs this clock as the process-wide source.
    void Install() const { MClock::SetSource(&m_Source); }

private:
    MClockSource m_Source;
    // Wall time kept in milliseconds so AdvanceMs moves it precisely.
    std::atomic<int64_t> m_NowMs;
    std::atomic<uint32_t> m_TickMs;
};

}  // namespace zephyr
