// Local-time conversions of the operating system, behind MDateTime: one body per system.
// Both follow the process's time-zone setting (TZ where the system reads it). Any thread.
#pragma once
#include <cstdint>
#include <ctime>

namespace zephyr {
namespace native {

// Broken-down local time of seconds since 1970 (UTC); false when it cannot be converted.
bool LocalTime(int64_t seconds, std::tm* local);
// Seconds since 1970 of a local broken-down time (tm_isdst -1: the system decides);
// false when it cannot be represented.
bool MakeTime(std::tm* local, int64_t* seconds);

}  // namespace native
}  // namespace zephyr
