// Local time of the process's zone, thread-safe: POSIX through the C library and TZ; Windows
// through the system's zone rules (the zone Windows is set to; Wine takes it from TZ when the
// prefix starts), as the driver reads local time there.
#pragma once
#include <cstdint>
#include <ctime>

namespace zephyr::portable {

// Broken-down local time of seconds since 1970; false when the system cannot represent it.
bool LocalTimeOf(int64_t seconds, std::tm* out);

// Seconds since 1970 of a local date and time, as mktime with tm_isdst -1 (out-of-range fields
// carry over); false when it cannot be represented.
bool LocalSecondsOf(const std::tm& local, int64_t* seconds);

// Switches the process to another zone (TZ; null for the system's default). False where a
// process cannot choose its own zone (Windows, whose zone is the system's).
bool SetTimeZone(const char* tz);

}  // namespace zephyr::portable
