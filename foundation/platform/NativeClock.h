// The operating system's clocks, behind MClock: one body per operating system.
// Callable from any thread. Only foundation/MClock.cpp calls these.
#pragma once
#include <cstdint>

#include "zephyr/ClockHook.h"

namespace zephyr {
namespace native {

// Wall time, seconds since 1970-01-01 00:00:00 UTC.
int64_t NowSeconds();
// Millisecond tick of a clock that never steps back; wraps at 2^32.
uint32_t TickMs();
// Sleeps ms milliseconds of real time.
void SleepMs(uint32_t ms);
// The hosting program's clock source, asked once through its exported clock entry; null when
// the program exports none or it answers null.
const MClockSource* FindHostClockSource();

}  // namespace native
}  // namespace zephyr
