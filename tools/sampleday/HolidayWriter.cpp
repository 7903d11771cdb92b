#include <cstdio>
#include <map>

#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

// Only weekday holidays are listed: weekends are holidays to the driver anyway.
std::string HolidayText(const Day& day) {
    std::map<uint32_t, std::map<uint32_t, std::string>> years;  // year -> month -> "1,2,3"
    for (uint32_t d : day.holidays) {
        std::string& days = years[d / 10000][d / 100 % 100];
        if (!days.empty()) days += ",";
        days += std::to_string(d % 100);
    }
    std::string out = ";香港市场休市日(周末除外)\r\n";
    for (const auto& [year, months] : years) {
        out += "\r\n[zephyr." + std::to_string(year) + "]\r\n";
        for (const auto& [month, days] : months) {
            char key[8];
            snprintf(key, sizeof key, "%02u", month);
            out += std::string(key) + "=" + days + "\r\n";
        }
    }
    return out;
}

}  // namespace zephyr::sampleday
