// Per-category instrument counts and the market-wide traded-volume totals.
#pragma once
#include <cstdint>

#include "process/MarketTables.h"

namespace zephyr {

// The index entries that carry the market totals (six-digit codes, no terminator in the record).
constexpr const char* kMainTotalCode = "999999";
constexpr const char* kSecondTotalCode = "999987";

// Reloads the trading hours, sets the market's instrument count to the code table's count, and
// each category the market has (0-9) to the number of code records of that category byte (a byte
// above 9 counts as 9; category 7 also takes category 0's count beyond the index entries, in
// 16-bit arithmetic).
void RefreshMarketCounts(const MarketTables& tables);

// Sums the traded volume of every snapshot whose code record has category 1 (total A) or 4
// (total B) and writes the totals into the traded volume of the index entries "999999" (A) and
// "999987" (B), each found at its code table position; an absent code is skipped. Allocates
// nothing.
void WriteMarketTotals(const MarketTables& tables);

}  // namespace zephyr
