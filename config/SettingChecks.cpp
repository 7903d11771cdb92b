#include "config/SettingChecks.h"

#include <strings.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/MIniFile.h"
#include "foundation/MLog.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";

// The value without the blanks around it.
std::string Trimmed(const MString& value) {
    std::string text = value.GetData();
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A whole decimal number (an optional sign, then digits only) that fits 32 bits.
bool WholeNumber(const std::string& text, int32_t* number) {
    if (text.empty()) return false;
    const char* start = text.c_str();
    const char* digits = (*start == '+' || *start == '-') ? start + 1 : start;
    if (*digits < '0' || *digits > '9') return false;
    char* end = nullptr;
    errno = 0;
    const long long value = strtoll(start, &end, 10);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return false;
    *number = static_cast<int32_t>(value);
    return true;
}

bool IsHhmm(int32_t value) { return value >= 0 && value <= 2400 && value % 100 < 60; }

bool IsDate(int32_t value) {
    const int32_t year = value / 10000;
    const int32_t month = value / 100 % 100;
    const int32_t day = value % 100;
    return year >= 1900 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

void Warn(MLogger* logger, const char* section, const char* key, const std::string& value, const char* why,
          const char* used) {
    if (logger == nullptr) return;
    logger->Write(kLogWarning, kModule, "<ConfigUnit>配置项[%s]%s的值\"%s\"%s，使用%s", section, key, value.c_str(),
                  why, used);
}

}  // namespace

int32_t ReadCheckedInteger(const MIniFile& ini, const char* section, const char* key, int32_t default_value,
                           IntegerForm form, MLogger* logger) {
    // A key the file lacks reads as the default's text, which always passes.
    const std::string text = Trimmed(ini.ReadString(section, key, MString(default_value)));
    const std::string fallback = "缺省值" + std::to_string(default_value);
    int32_t value = 0;
    if (!WholeNumber(text, &value)) {
        Warn(logger, section, key, text, "不是整数", fallback.c_str());
        return default_value;
    }
    switch (form) {
    case IntegerForm::kUnsigned16:
        if (value < 0 || value > 0xFFFF) {
            const int32_t low = value & 0xFFFF;
            Warn(logger, section, key, text, "超出0..65535", ("其低16位" + std::to_string(low)).c_str());
            return low;
        }
        break;
    case IntegerForm::kHhmm:
        if (!IsHhmm(value)) {
            Warn(logger, section, key, text, "不是HHMM时间(0..2400)", fallback.c_str());
            return default_value;
        }
        break;
    case IntegerForm::kDate:
        if (!IsDate(value)) {
            Warn(logger, section, key, text, "不是YYYYMMDD日期", fallback.c_str());
            return default_value;
        }
        break;
    }
    return value;
}

bool ReadCheckedBool(const MIniFile& ini, const char* section, const char* key, bool default_value,
                     MLogger* logger) {
    const std::string text = Trimmed(ini.ReadString(section, key, MString(default_value)));
    if (strcasecmp(text.c_str(), "true") == 0) return true;
    if (strcasecmp(text.c_str(), "false") == 0) return false;
    Warn(logger, section, key, text, "不是true或false", default_value ? "缺省值true" : "缺省值false");
    return default_value;
}

}  // namespace zephyr
