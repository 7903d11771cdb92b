#include "config/SettingChecks.h"

#include <strings.h>

#include <cstdint>
#include <string>

#include "foundation/MIniFile.h"
#include "foundation/MLog.h"
#include "foundation/MText.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "Zephyr";

// The reader's integer: an optional sign, then the leading digits (as MIniFile::ReadInteger
// reads them, saturating at 32 bits). False when no digit leads; *rest tells whether other
// characters follow the digits.
bool LeadingNumber(const char* start, int32_t* number, bool* rest) {
    const char* digits = (*start == '+' || *start == '-') ? start + 1 : start;
    if (*digits < '0' || *digits > '9') return false;
    while (*digits >= '0' && *digits <= '9') ++digits;
    *number = MText::ToInteger(start);
    *rest = *digits != '\0';
    return true;
}

bool IsHhmm(int32_t value) { return value >= 0 && value <= 2400 && value % 100 < 60; }

void Warn(MLogger* logger, const char* section, const char* key, const MString& value, const char* why,
          const char* used) {
    if (logger == nullptr) return;
    logger->Write(kLogWarning, kModule, "<ConfigUnit>配置项[%s]%s的值\"%s\"%s，使用%s", section, key, value.GetData(),
                  why, used);
}

}  // namespace

int32_t ReadCheckedInteger(const MIniFile& ini, const char* section, const char* key, int32_t default_value,
                           IntegerForm form, MLogger* logger) {
    // A key the file lacks reads as the default's text, which always passes (the ini reader
    // trims every value).
    const MString text = ini.ReadString(section, key, MString(default_value));
    const std::string fallback = "缺省值" + std::to_string(default_value);
    int32_t value = 0;
    bool rest = false;
    if (!LeadingNumber(text.GetData(), &value, &rest)) {
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
    case IntegerForm::kCompared:
        break;
    }
    if (rest) Warn(logger, section, key, text, "在数字后有其他字符(已忽略)", std::to_string(value).c_str());
    return value;
}

bool ReadCheckedBool(const MIniFile& ini, const char* section, const char* key, bool default_value,
                     MLogger* logger) {
    const MString text = ini.ReadString(section, key, MString(default_value));
    if (text.ToBool()) return true;
    if (strcasecmp(text.GetData(), "false") == 0) return false;
    Warn(logger, section, key, text, "不是true或false", default_value ? "缺省值true" : "缺省值false");
    return default_value;
}

}  // namespace zephyr
