#include "driver/HostLogSink.h"

namespace zephyr {

void HostLogSink::Attach(const DriverWorkParams& params) {
    m_DriverId.store(params.driver_id);
    m_Log.store(params.log);
}

void HostLogSink::Write(void* context, int32_t level, const char* module, const char* message) {
    const HostLogSink* sink = static_cast<const HostLogSink*>(context);
    if (sink == nullptr) return;
    const LogCallback log = sink->m_Log.load();
    if (log == nullptr) return;
    log(level, sink->m_DriverId.load(), 0, module, message);
}

}  // namespace zephyr
