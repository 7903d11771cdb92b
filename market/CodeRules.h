// Rules on codes and code entries shared by the loaders: the category of a code, the currency
// number of a three-letter currency text, the full-name clean-up and the short-name lookup.
#pragma once
#include <cstddef>
#include <cstdint>

#include "market/Records.h"

namespace zephyr {

class ShortNameTable;

// 0 (indices) when the numeric value of the 6-byte code is in 999000..999999, else 1.
uint8_t CategoryOfCode(const char* code);

// 1-based position of the first three characters of text in the currency list (HKD 24,
// USD 54, CNY 13); 0 for any other text, a shorter text or null.
uint8_t CurrencyNumber(const char* text, size_t length);
uint8_t CurrencyNumber(const char* text);  // terminated text

// Removes trailing ASCII spaces and GBK full-width spaces (A1 A1) from the 16-byte full name
// (the freed bytes become 0). Double-byte characters are kept whole.
void TrimFullName(CodeEntry& entry);
// TrimFullName, then: a full name that is empty or starts with a space or a full-width space is
// replaced by the second name (up to 16 bytes) when that starts with neither NUL, space nor tab,
// otherwise by the 6 code bytes.
void CleanFullName(CodeEntry& entry);

// With a short-name table: when it knows the code (first 5 bytes), its 8 short-name bytes go to
// the short name and its rate to the rate; otherwise the 6 code bytes go to the start of the
// short name and the rate becomes 0. Without a table (null, or one that holds no block because
// it never loaded) nothing changes.
void ApplyShortName(CodeEntry& entry, ShortNameTable* table);

}  // namespace zephyr
