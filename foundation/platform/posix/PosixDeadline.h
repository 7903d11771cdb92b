// Deadlines for timed waits on condition variables set to CLOCK_MONOTONIC (POSIX bodies only).
#pragma once
#include <time.h>

#include <cstdint>

namespace zephyr {
namespace native {

// The point timeout_ms from now on CLOCK_MONOTONIC.
inline timespec RealDeadline(uint32_t timeout_ms) {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeout_ms / 1000u);
    deadline.tv_nsec += static_cast<long>(timeout_ms % 1000u) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

}  // namespace native
}  // namespace zephyr
