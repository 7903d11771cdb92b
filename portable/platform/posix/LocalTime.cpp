#include "portable/LocalTime.h"

#include <stdlib.h>
#include <time.h>

namespace zephyr::portable {

bool LocalTimeOf(int64_t seconds, std::tm* out) {
    const time_t t = static_cast<time_t>(seconds);
    if (static_cast<int64_t>(t) != seconds) return false;
    return localtime_r(&t, out) != nullptr;
}

bool LocalSecondsOf(const std::tm& local, int64_t* seconds) {
    std::tm copy = local;
    copy.tm_isdst = -1;
    const time_t t = mktime(&copy);
    if (t == static_cast<time_t>(-1)) return false;
    *seconds = static_cast<int64_t>(t);
    return true;
}

bool SetTimeZone(const char* tz) {
    const int rc = tz != nullptr ? setenv("TZ", tz, 1) : unsetenv("TZ");
    tzset();
    return rc == 0;
}

}  // namespace zephyr::portable
