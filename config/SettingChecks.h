// Typed reads of the driver's ini file that refuse values the driver cannot use. An integer is
// read as the ini reader reads it: an optional sign and the leading digits, the rest ignored
// ("1600abc" is 1600, with a warning that says so). A value with no leading digit, no "true" or
// "false", or a number out of its range is replaced (by the key's default, or for a 16-bit
// setting by its low 16 bits) and one warning names the key, the value found and the value used
// instead. A key the file lacks takes its default without a word.
//
// Called by the configuration unit under its lock, on the thread that starts the driver.
#pragma once
#include <cstdint>

namespace zephyr {

class MIniFile;
class MLogger;

// What an integer setting holds.
enum class IntegerForm {
    kUnsigned16,  // 0..65535; a larger or negative number is taken by its low 16 bits
    kHhmm,        // a time of day HHMM, 0..2400, minutes below 60
    kCompared,    // a date YYYYMMDD that is only compared: any number (0 or 99999999 as sentinels)
};

int32_t ReadCheckedInteger(const MIniFile& ini, const char* section, const char* key, int32_t default_value,
                           IntegerForm form, MLogger* logger);
// "true" or "false", letter case aside; anything else is the default.
bool ReadCheckedBool(const MIniFile& ini, const char* section, const char* key, bool default_value,
                     MLogger* logger);

}  // namespace zephyr
