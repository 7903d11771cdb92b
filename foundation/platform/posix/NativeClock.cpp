#include "foundation/platform/NativeClock.h"

#include <dlfcn.h>
#include <time.h>

#include <cerrno>

namespace zephyr {
namespace native {

int64_t NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec);
}

uint32_t TickMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u +
                        static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void SleepMs(uint32_t ms) {
    timespec request;
    request.tv_sec = static_cast<time_t>(ms / 1000u);
    request.tv_nsec = static_cast<long>(ms % 1000u) * 1000000L;
    while (nanosleep(&request, &request) != 0 && errno == EINTR) {
    }
}

const MClockSource* FindHostClockSource() {
    // The executable exports the entry dynamically (and every library it loaded may).
    void* symbol = dlsym(RTLD_DEFAULT, kClockSourceSymbol);
    return symbol != nullptr ? reinterpret_cast<MClockSourceLookup>(symbol)() : nullptr;
}

}  // namespace native
}  // namespace zephyr
