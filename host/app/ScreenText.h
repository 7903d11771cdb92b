// Small texts of the host's screen and summary. Any thread.
#pragma once
#include <cstdint>
#include <string>

namespace zephyr::hostapp {

// Local wall time "HH:MM:SS", with ".mmm" when millis.
std::string ClockText(bool millis);
// Microseconds since 1970 (wall time).
uint64_t NowMicros();
// "INFO ", "WARN ", "ERROR" or "LOG? " for a driver log level.
const char* LevelText(int32_t level);
// The text without its trailing line ends.
std::string TrimEnd(std::string text);
// 1234567 as "1,234,567".
std::string Thousands(uint64_t value);
// 93005 as "09:30:05".
std::string TimeText(uint32_t hhmmss);

}  // namespace zephyr::hostapp
