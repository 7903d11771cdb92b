// Carries the driver's log lines to the host's LogCallback with the host's DriverId.
// A host record without a log callback silences the driver instead of crashing it.
#pragma once
#include <atomic>
#include <cstdint>

#include "zephyr/DriverInterface.h"

namespace zephyr {

class HostLogSink {
public:
    constexpr HostLogSink() = default;

    // Takes the log callback and DriverId of the host's record.
    void Attach(const DriverWorkParams& params);
    // MLogSink: context is the HostLogSink. Calls the host with (level, DriverId, 0, module,
    // message): the finished message in the format position, no further arguments.
    static void Write(void* context, int32_t level, const char* module, const char* message);

private:
    std::atomic<LogCallback> m_Log{nullptr};
    std::atomic<uint16_t> m_DriverId{0};
};

}  // namespace zephyr
