#include "host/HostRecorder.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/GbkText.h"

namespace zephyr::hostkit {

HostRecorder& HostRecorder::Instance() {
    static HostRecorder recorder;
    return recorder;
}

std::vector<PushRecord> HostRecorder::Pushes() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Pushes;
}

std::vector<LogRecord> HostRecorder::Logs() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Logs;
}

std::vector<ConsoleRecord> HostRecorder::Consoles() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Consoles;
}

std::vector<ResetRecord> HostRecorder::Resets() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Resets;
}

void HostRecorder::Clear() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Pushes.clear();
    m_Logs.clear();
    m_Consoles.clear();
    m_Resets.clear();
}

std::vector<LogRecord> HostRecorder::LogsContaining(const std::string& needle) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<LogRecord> found;
    for (const LogRecord& line : m_Logs) {
        if (line.text.find(needle) != std::string::npos) found.push_back(line);
    }
    return found;
}

bool HostRecorder::WaitForLog(const std::string& needle, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(m_Mutex);
    return m_Changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
        for (const LogRecord& line : m_Logs) {
            if (line.text.find(needle) != std::string::npos) return true;
        }
        return false;
    });
}

std::string HostRecorder::LogDump() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::string dump;
    for (const LogRecord& line : m_Logs) {
        dump += std::to_string(line.level) + " " + GbkToUtf8(line.module) + ": " +
                GbkToUtf8(line.text);
        if (dump.empty() || dump.back() != '\n') dump += '\n';
    }
    return dump;
}

void HostRecorder::AddPush(PushRecord record) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Pushes.push_back(std::move(record));
    }
    m_Changed.notify_all();
}

void HostRecorder::AddLog(LogRecord record) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Logs.push_back(std::move(record));
    }
    m_Changed.notify_all();
}

void HostRecorder::AddConsole(ConsoleRecord record) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Consoles.push_back(std::move(record));
    }
    m_Changed.notify_all();
}

void HostRecorder::AddReset(ResetRecord record) {
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Resets.push_back(record);
    }
    m_Changed.notify_all();
}

int32_t RecordPush(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length,
                   uint8_t market, uint16_t driver_id, uint8_t compressed) {
    PushRecord record{main_type, sub_type, std::string(), market, driver_id, compressed};
    if (data != nullptr && length > 0) {
        record.data.assign(static_cast<const char*>(data), static_cast<size_t>(length));
    }
    HostRecorder::Instance().AddPush(std::move(record));
    return 1;
}

int32_t RecordLog(int32_t level, uint16_t driver_id, int32_t reserved, const char* module,
                  const char* format, ...) {
    HostRecorder::Instance().AddLog(LogRecord{level, driver_id, reserved,
                                              module != nullptr ? module : "",
                                              format != nullptr ? format : ""});
    return 1;
}

namespace {

std::string FormatConsole(const char* format, va_list args) {
    if (format == nullptr) return std::string();
    char text[8192];
    int n = vsnprintf(text, sizeof text, format, args);
    if (n < 0) return std::string();
    return std::string(text);
}

}  // namespace

int32_t RecordConsoleOutput(uint32_t console, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatConsole(format, args);
    va_end(args);
    HostRecorder::Instance().AddConsole(ConsoleRecord{false, console, text});
    return static_cast<int32_t>(text.size());
}

int32_t RecordConsoleReply(uint32_t console, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = FormatConsole(format, args);
    va_end(args);
    HostRecorder::Instance().AddConsole(ConsoleRecord{true, console, text});
    return static_cast<int32_t>(text.size());
}

void RecordReset(uint8_t market, uint16_t driver_id) {
    HostRecorder::Instance().AddReset(ResetRecord{market, driver_id});
}

DriverWorkParams MakeWorkParams(uint16_t driver_id, uint16_t frame_size, uint32_t request_budget) {
    DriverWorkParams params;
    std::memset(&params, 0, sizeof params);
    params.record_form = 1;
    params.host_version = 0x02590037;
    params.driver_id = driver_id;
    params.request_budget = request_budget;
    params.frame_size = frame_size;
    params.push_data = &RecordPush;
    params.log = &RecordLog;
    params.console_output = &RecordConsoleOutput;
    params.console_reply = &RecordConsoleReply;
    params.market_reset = &RecordReset;
    return params;
}

}  // namespace zephyr::hostkit
