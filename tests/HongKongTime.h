// The tests' local time is Hong Kong's. Linux reads the zone from TZ at each conversion, so a
// test sets it; Windows converts through the system's zone, which scripts/test.sh gives the
// Wine it runs the tests under (TZ of the Wine process).
#pragma once
#include <cstdlib>
#include <ctime>

namespace zephyr::tests {

inline void UseHongKongTime() {
#ifndef _WIN32
    setenv("TZ", "Asia/Hong_Kong", 1);
    tzset();
#endif
}

}  // namespace zephyr::tests
