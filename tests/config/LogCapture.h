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
    LogCapture() : logger_(&LogCapture::Sink, this) {}
    zephyr::MLogger* logger() { return &logger_; }
    std::vector<LoggedLine> lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }
    int Count(const std::string& text) {
        int n = 0;
        for (const LoggedLine& line : lines()) n += line.text == text ? 1 : 0;
        return n;
    }

private:
    static void Sink(void* context, int32_t level, const char* module, const char* message) {
        LogCapture* self = static_cast<LogCapture*>(context);
        std::lock_guard<std::mutex> lock(self->mutex_);
        self->lines_.push_back(LoggedLine{level, module, message});
    }
    std::mutex mutex_;
    std::vector<LoggedLine> lines_;
    zephyr::MLogger logger_;
};
