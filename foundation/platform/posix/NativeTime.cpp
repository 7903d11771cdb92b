#include "foundation/platform/NativeTime.h"

#include <time.h>

#include <cerrno>

namespace zephyr {
namespace native {

bool LocalTime(int64_t seconds, std::tm* local) {
    const time_t value = static_cast<time_t>(seconds);
    return localtime_r(&value, local) != nullptr;
}

bool MakeTime(std::tm* local, int64_t* seconds) {
    errno = 0;
    const time_t value = mktime(local);
    if (value == static_cast<time_t>(-1) && errno != 0) {
        return false;
    }
    *seconds = static_cast<int64_t>(value);
    return true;
}

}  // namespace native
}  // namespace zephyr
