// The tests' local time is Hong Kong's. Linux reads the zone from TZ at each conversion, so a
// test sets it; Windows converts through the system's zone, which scripts/test.sh gives the
// Wine it runs the tests under (TZ of the Wine process).
#pragma once
#include "portable/LocalTime.h"

namespace zephyr::tests {

inline void UseHongKongTime() { portable::SetTimeZone("Asia/Hong_Kong"); }

}  // namespace zephyr::tests
