// Log lines of the system: a level, a module text and a message formatted into 4096 bytes,
// handed to a sink (the driver installs one that calls the host's log callback).
// With no sink installed, lines are dropped.
#pragma once
#include <atomic>
#include <cstdarg>
#include <cstdint>

namespace zephyr {

constexpr int32_t kLogInfo = 1;
constexpr int32_t kLogWarning = 2;
constexpr int32_t kLogError = 3;

// Longest message, terminator included; longer messages are cut.
constexpr uint32_t kLogMessageSize = 4096;

// Receives each finished line. Must be callable from any thread.
using MLogSink = void (*)(void* context, int32_t level, const char* module, const char* message);

class MLogger {
public:
    constexpr MLogger() = default;
    constexpr MLogger(MLogSink sink, void* context) : m_Sink(sink), m_Context(context) {}
    MLogger(const MLogger&) = delete;
    MLogger& operator=(const MLogger&) = delete;

    // Install (or with null, remove) the sink. Meant to be set before threads log through it.
    void SetSink(MLogSink sink, void* context);

    // Formats printf-style into 4096 bytes and hands the text to the sink.
    void Write(int32_t level, const char* module, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    void WriteV(int32_t level, const char* module, const char* format, va_list args);
    // Hands a finished text on as it stands (never read as a format).
    void WriteText(int32_t level, const char* module, const char* text);

private:
    std::atomic<MLogSink> m_Sink{nullptr};
    std::atomic<void*> m_Context{nullptr};
};

}  // namespace zephyr
