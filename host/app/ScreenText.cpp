#include "host/app/ScreenText.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "portable/LocalTime.h"

namespace zephyr::hostapp {

std::string ClockText(bool millis) {
    const uint64_t micros = NowMicros();
    std::tm local{};
    portable::LocalTimeOf(static_cast<int64_t>(micros / 1000000), &local);
    char text[32];
    if (millis) {
        snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                 static_cast<int>(micros / 1000 % 1000));
    } else {
        snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    }
    return text;
}

uint64_t NowMicros() {
    const auto since_1970 = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(since_1970).count());
}

const char* LevelText(int32_t level) {
    switch (level) {
        case 1: return "INFO ";
        case 2: return "WARN ";
        case 3: return "ERROR";
        default: return "LOG? ";
    }
}

std::string TrimEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

std::string Thousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string TimeText(uint32_t hhmmss) {
    char text[16];
    snprintf(text, sizeof text, "%02u:%02u:%02u", hhmmss / 10000, hhmmss / 100 % 100, hhmmss % 100);
    return text;
}

}  // namespace zephyr::hostapp
