#include "market/CodeRules.h"

#include <cstring>

#include "foundation/MText.h"
#include "market/ShortNameTable.h"

namespace zephyr {

namespace {

const char kCurrencies[] =
    "AED" "ATS" "AUD" "BDT" "BEC" "BEL" "BHD" "BND" "BRC" "BUK" "CAD" "CHF" "CNY" "CYP" "DEM"
    "DKK" "ECU" "ESP" "EUR" "FIM" "FJD" "FRF" "GBP" "HKD" "IDR" "IEP" "INR" "ITL" "JPY" "KES"
    "KRW" "KWD" "LBP" "LKR" "MOP" "MUR" "MYR" "NGN" "NLG" "NOK" "NZD" "OMR" "PHP" "PKR" "PTE"
    "QAR" "SAR" "SCR" "SDR" "SEK" "SGD" "SLL" "THB" "USD" "ZAR";
constexpr size_t kCurrencyCount = (sizeof(kCurrencies) - 1) / 3;
static_assert(kCurrencyCount == 55, "currency list");

constexpr unsigned char kWideBlank = 0xA1;  // GBK full-width space is A1 A1

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

}  // namespace

uint8_t CategoryOfCode(const char* code) {
    if (code == nullptr) return 1;
    const int32_t value = MText::ToInteger(code, kCodeSize);
    return value >= 999000 && value <= 999999 ? 0 : 1;
}

uint8_t CurrencyNumber(const char* text, size_t length) {
    if (text == nullptr || length < 3) return 0;
    for (size_t i = 0; i < kCurrencyCount; ++i) {
        if (std::memcmp(kCurrencies + 3 * i, text, 3) == 0) return static_cast<uint8_t>(i + 1);
    }
    return 0;
}

uint8_t CurrencyNumber(const char* text) {
    return text == nullptr ? 0 : CurrencyNumber(text, strnlen(text, 3));
}

void TrimFullName(CodeEntry& entry) {
    const unsigned char* name = reinterpret_cast<const unsigned char*>(entry.full_name);
    const size_t length = strnlen(entry.full_name, sizeof(entry.full_name));
    // Walk forward by characters so a trail byte A1 is never taken for half a blank.
    size_t keep = 0;
    size_t i = 0;
    while (i < length) {
        if (name[i] == ' ') {
            i += 1;
        } else if (name[i] == kWideBlank && i + 1 < length && name[i + 1] == kWideBlank) {
            i += 2;
        } else {
            i += IsLeadByte(name[i]) && i + 1 < length ? 2 : 1;
            keep = i;
        }
    }
    std::memset(entry.full_name + keep, 0, sizeof(entry.full_name) - keep);
}

void CleanFullName(CodeEntry& entry) {
    TrimFullName(entry);
    const unsigned char first = static_cast<unsigned char>(entry.full_name[0]);
    const bool unusable = first == 0 || first == ' ' ||
                          (first == kWideBlank && static_cast<unsigned char>(entry.full_name[1]) == kWideBlank);
    if (!unusable) return;
    std::memset(entry.full_name, 0, sizeof(entry.full_name));
    const char second = entry.second_name[0];
    if (second != '\0' && second != ' ' && second != '\t') {
        std::memcpy(entry.full_name, entry.second_name,
                    strnlen(entry.second_name, sizeof(entry.second_name)));
    } else {
        std::memcpy(entry.full_name, entry.code, sizeof(entry.code));
    }
}

void ApplyShortName(CodeEntry& entry, ShortNameTable* table) {
    // A table that never loaded counts as absent.
    if (table == nullptr || !table->IsLoaded()) return;
    ShortNameRow row;
    if (table->Lookup(entry.code, &row) == 1) {
        std::memcpy(entry.short_name, row.short_name, sizeof(entry.short_name));
        entry.rate = row.rate;
    } else {
        std::memcpy(entry.short_name, entry.code, sizeof(entry.code));
        entry.rate = 0.0f;
    }
}

}  // namespace zephyr
