// What a driver sent to its host: pushes, log lines, console texts and market resets.
// One recorder per process (the callbacks carry no context); safe to fill from any thread.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "zephyr/DriverInterface.h"

namespace zephyr::hostkit {

struct PushRecord {
    uint8_t main_type;
    uint8_t sub_type;
    std::string data;  // raw bytes
    uint8_t market;
    uint16_t driver_id;
    uint8_t compressed;
};

struct LogRecord {
    int32_t level;
    uint16_t driver_id;
    int32_t reserved;
    std::string module;  // GBK, as sent
    std::string text;    // GBK, as sent (the format position, never formatted again)
};

struct ConsoleRecord {
    bool reply;  // true: ConsoleReplyCallback, false: ConsoleOutputCallback
    uint32_t console;
    std::string text;  // GBK, formatted
};

struct ResetRecord {
    uint8_t market;
    uint16_t driver_id;
};

class HostRecorder {
public:
    static HostRecorder& Instance();

    std::vector<PushRecord> Pushes() const;
    std::vector<LogRecord> Logs() const;
    std::vector<ConsoleRecord> Consoles() const;
    std::vector<ResetRecord> Resets() const;
    void Clear();

    // Log lines whose text contains needle (GBK bytes).
    std::vector<LogRecord> LogsContaining(const std::string& needle) const;
    // Waits (real time) until some log line contains needle; true when one did.
    bool WaitForLog(const std::string& needle, int timeout_ms) const;
    // Every log line as "level module: text", converted to UTF-8 for a failure message.
    std::string LogDump() const;

    void AddPush(PushRecord record);
    void AddLog(LogRecord record);
    void AddConsole(ConsoleRecord record);
    void AddReset(ResetRecord record);

private:
    HostRecorder() = default;
    mutable std::mutex m_Mutex;
    mutable std::condition_variable m_Changed;
    std::vector<PushRecord> m_Pushes;
    std::vector<LogRecord> m_Logs;
    std::vector<ConsoleRecord> m_Consoles;
    std::vector<ResetRecord> m_Resets;
};

// A DriverWorkParams whose callbacks record into HostRecorder::Instance().
DriverWorkParams MakeWorkParams(uint16_t driver_id = 7, uint16_t frame_size = 8192,
                                uint32_t request_budget = 819200);

// The recording callbacks themselves, for tests that assemble their own record.
int32_t RecordPush(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length,
                   uint8_t market, uint16_t driver_id, uint8_t compressed);
int32_t RecordLog(int32_t level, uint16_t driver_id, int32_t reserved, const char* module,
                  const char* format, ...);
int32_t RecordConsoleOutput(uint32_t console, const char* format, ...);
int32_t RecordConsoleReply(uint32_t console, const char* format, ...);
void RecordReset(uint8_t market, uint16_t driver_id);

}  // namespace zephyr::hostkit
