#include "foundation/MLog.h"

#include <cstdio>

namespace zephyr {

void MLogger::SetSink(MLogSink sink, void* context) {
    m_Context.store(context);
    m_Sink.store(sink);
}

void MLogger::Write(int32_t level, const char* module, const char* format, ...) {
    va_list args;
    va_start(args, format);
    WriteV(level, module, format, args);
    va_end(args);
}

void MLogger::WriteV(int32_t level, const char* module, const char* format, va_list args) {
    if (m_Sink.load() == nullptr || format == nullptr) return;
    char message[kLogMessageSize];
    int n = vsnprintf(message, sizeof message, format, args);
    if (n < 0) message[0] = '\0';
    WriteText(level, module, message);
}

void MLogger::WriteText(int32_t level, const char* module, const char* text) {
    MLogSink sink = m_Sink.load();
    if (sink == nullptr || text == nullptr) return;
    sink(m_Context.load(), level, module != nullptr ? module : "", text);
}

}  // namespace zephyr
