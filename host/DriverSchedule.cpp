#include "host/DriverSchedule.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <utility>

#include "portable/AsciiCase.h"
#include "portable/Library.h"
#include "portable/LocalTime.h"

namespace zephyr::hostkit {

namespace {

// Sections of an ini file in file order, each with its keys in file order (names as written).
using Keys = std::vector<std::pair<std::string, std::string>>;
using Sections = std::vector<std::pair<std::string, Keys>>;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Where a comment starts in a value: ";" or the full-width semicolon (GBK A3 BB).
size_t CommentAt(const std::string& text) {
    const size_t semicolon = text.find(';');
    return semicolon != std::string::npos ? semicolon : text.find("\xA3\xBB");
}

// The driver's ini syntax: "[name]" sections, "key = value ; comment" lines, ";" comment lines.
bool ReadIni(const std::string& path, Sections* sections) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    sections->push_back({std::string(), Keys()});
    std::string line;
    while (std::getline(file, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line.compare(0, 2, "\xA3\xBB") == 0) continue;
        if (line[0] == '[') {
            const size_t close = line.find(']');
            const std::string name = close == std::string::npos ? std::string() : Trim(line.substr(1, close - 1));
            if (!name.empty()) sections->push_back({name, Keys()});
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, equals));
        std::string value = line.substr(equals + 1);
        value = Trim(value.substr(0, CommentAt(value)));
        if (!key.empty()) sections->back().second.push_back({key, value});
    }
    return true;
}

// The first value of section/key (names compared without case), or nullptr. As the driver's
// reader, only the first section of that name is searched.
const std::string* Find(const Sections& sections, const char* section, const char* key) {
    for (const auto& [name, keys] : sections) {
        if (!portable::EqualsIgnoringCase(name.c_str(), section)) continue;
        for (const auto& [k, value] : keys) {
            if (portable::EqualsIgnoringCase(k.c_str(), key)) return &value;
        }
        return nullptr;
    }
    return nullptr;
}

// An HHMM value as the driver takes it: an optional sign and the leading digits (the rest
// ignored), 0..2400 with minutes below 60; without a leading digit, or out of range, the default.
int32_t ReadHhmm(const Sections& sections, const char* key, int32_t fallback, std::vector<std::string>* notes) {
    const std::string* text = Find(sections, "Time", key);
    if (text == nullptr) return fallback;
    const char* start = text->c_str();
    const char* digits = (*start == '+' || *start == '-') ? start + 1 : start;
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    if (*digits >= '0' && *digits <= '9' && value >= 0 && value <= 2400 && value % 100 < 60) {
        if (*end != '\0') {
            notes->push_back(std::string(key) + " = " + *text + ": the driver ignores what follows the digits and uses " +
                             std::to_string(value));
        }
        return static_cast<int32_t>(value);
    }
    notes->push_back(std::string(key) + " = " + *text + " is no HHMM time: the driver uses " + std::to_string(fallback));
    return fallback;
}

tm Local(int64_t seconds) {
    tm local{};
    portable::LocalTimeOf(seconds, &local);
    return local;
}

uint32_t DateOf(const tm& local) {
    return static_cast<uint32_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday);
}

int32_t TimeOf(const tm& local) { return local.tm_hour * 10000 + local.tm_min * 100 + local.tm_sec; }

// A listed day as the driver reads it: blanks, optional sign and digits; anything that is not a
// number in 0..99 (past the integers' range too) is 0.
uint32_t DayNumber(const std::string& piece) {
    const long day = std::strtol(piece.c_str(), nullptr, 10);
    return day >= 0 && day <= 99 ? static_cast<uint32_t>(day) : 0;
}

// Listed dates of the holiday file: sections "zephyr.YYYY" of the decade of `year`.
void ReadHolidays(const std::string& path, int year, std::vector<uint32_t>* dates) {
    Sections sections;
    if (!ReadIni(path, &sections)) return;
    const std::string decade = "zephyr." + std::to_string(year).substr(0, 3);
    for (const auto& [name, keys] : sections) {
        if (name.size() < decade.size() || !portable::EqualsIgnoringCase(name.c_str(), decade.c_str(), decade.size())) continue;
        const int section_year = std::atoi(name.substr(name.size() - 4).c_str());
        if (section_year < 1) continue;
        for (int month = 1; month <= 12; ++month) {
            char key[3];
            snprintf(key, sizeof key, "%02d", month);
            const std::string* days = nullptr;
            for (const auto& [k, value] : keys) {
                if (k == key) {
                    days = &value;
                    break;
                }
            }
            if (days == nullptr) continue;
            std::stringstream list(*days);
            std::string day;
            while (std::getline(list, day, ',') && dates->size() < 120) {
                dates->push_back(static_cast<uint32_t>(section_year * 10000 + month * 100 + DayNumber(day)));
            }
        }
    }
}

}  // namespace

std::string DriverSchedule::IniPathFor(const std::string& driver_path) {
#if defined(_WIN32)
    constexpr SuffixCut kCut = SuffixCut::kFirst;
#else
    constexpr SuffixCut kCut = SuffixCut::kTrailing;
#endif
    return IniPathFor(driver_path, portable::LibrarySuffix(), kCut);
}

std::string DriverSchedule::IniPathFor(const std::string& driver_path, const std::string& suffix, SuffixCut cut) {
    if (suffix.empty() || driver_path.size() <= suffix.size()) return std::string();
    size_t at = driver_path.size() - suffix.size();
    if (cut == SuffixCut::kFirst) {
        at = driver_path.find(suffix, 1);
    } else if (driver_path.compare(at, suffix.size(), suffix) != 0) {
        at = std::string::npos;
    }
    return at == std::string::npos ? std::string() : driver_path.substr(0, at) + ".ini";
}

DriverSchedule DriverSchedule::ForDriver(const std::string& driver_path, int64_t now) {
    DriverSchedule schedule;
    Sections sections;
    schedule.ini_found = ReadIni(IniPathFor(driver_path), &sections);
    schedule.kp_time = ReadHhmm(sections, "KPTime", schedule.kp_time, &schedule.notes);
    schedule.sp_time = ReadHhmm(sections, "SPTime", schedule.sp_time, &schedule.notes);
    if (const std::string* use = Find(sections, "Other", "useholiday")) schedule.use_holiday = portable::EqualsIgnoringCase(use->c_str(), "true");
    if (const std::string* file = Find(sections, "Other", "Holiday")) schedule.holiday_file = *file;
    if (!schedule.use_holiday) ReadHolidays(schedule.holiday_file, Local(now).tm_year + 1900, &schedule.holidays);
    return schedule;
}

bool DriverSchedule::IsHoliday(int64_t seconds) const {
    if (use_holiday) return false;
    const tm local = Local(seconds);
    if (local.tm_wday == 0 || local.tm_wday == 6) return true;
    const uint32_t today = DateOf(local);
    for (uint32_t date : holidays) {
        if (date == today) return true;
    }
    return false;
}

bool DriverSchedule::InWindow(int64_t seconds) const {
    const int32_t now = TimeOf(Local(seconds));
    return kp_time * 100 <= now && now <= sp_time * 100;
}

bool DriverSchedule::AfterOpen(int64_t seconds) const { return TimeOf(Local(seconds)) > kp_time * 100; }

std::string DriverSchedule::WindowText() const {
    char text[32];
    snprintf(text, sizeof text, "%02d:%02d-%02d:%02d", kp_time / 100, kp_time % 100, sp_time / 100, sp_time % 100);
    return text;
}

std::string DriverSchedule::NotLiveReason(int64_t seconds) const {
    if (IsHoliday(seconds)) {
        static const char* const kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
        const tm local = Local(seconds);
        const bool weekend = local.tm_wday == 0 || local.tm_wday == 6;
        return std::string("holiday (") + (weekend ? kDays[local.tm_wday] : "listed in " + holiday_file) + ")";
    }
    if (!InWindow(seconds)) return "outside the working window " + WindowText();
    return std::string();
}

}  // namespace zephyr::hostkit
