// Collects the lines a unit logs, for the configuration tests.
#pragma once
#include <mutex>
#include <string>
#include <vector>

#include "foundation/MLog.h"

struct LoggedLine {
    int level;
    std::string module;
    std::string text;
};

class LogCapture {
public:
    LogCapture() : m_Logger(&LogCapture::Sink, this) {}
    zephyr::MLogger* logger() { return &m_Logger; }
    std::vector<LoggedLine> lines() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Lines;
    }
    int Count(const std::string& text) {
        int n = 0;
        for (const LoggedLine& line : lines()) n += line.text == text ? 1 : 0;
        return n;
    }

private:
    static void Sink(void* context, int32_t level, const char* module, const char* message) {
        LogCapture* self = static_cast<LogCapture*>(context);
        std::lock_guard<std::mutex> lock(self->m_Mutex);
        self->m_Lines.push_back(LoggedLine{level, module, message});
    }
    std::mutex m_Mutex;
    std::vector<LoggedLine> m_Lines;
    zephyr::MLogger m_Logger;
};
