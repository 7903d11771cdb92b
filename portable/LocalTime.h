// Local time of the process's zone, thread-safe (localtime_r; localtime_s), and the zone itself
// set from the TZ variable, as test programs switch it.
#pragma once
#include <cstdint>
#include <ctime>

namespace zephyr::portable {

// Broken-down local time of seconds since 1970; false when the system cannot represent it.
bool LocalTimeOf(int64_t seconds, std::tm* out);

// Sets (or, with null, clears) TZ and makes the C library take the new zone.
void SetTimeZone(const char* tz);

}  // namespace zephyr::portable
