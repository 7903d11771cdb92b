// The code table adjustment that closes every initialisation: the code table is ordered by
// category (each category's records together, categories in order, records in their loaded
// order), every record carries its new position in its serial, and the name lookup is rebuilt
// from code to position. The index, snapshot and product status tables follow the new order.
#pragma once
#include <cstdint>

#include "process/MarketTables.h"

namespace zephyr {

constexpr uint16_t kNoPosition = 0xFFFF;

// Position of code in the code table: the name lookup's answer when it knows the code, else the
// code table's own search; kNoPosition when absent (or code is null).
uint16_t FindPosition(NameLookup& lookup, CodeTable& codes, const char* code);

// Orders the tables as above, with the instrument counts of the market record and its categories
// (RefreshMarketCounts sets them). Writes "adjust name table\n" to the standard output first.
// A name lookup that cannot be built is logged (level 2, module "码表调整") and the adjustment
// goes on. When the work buffer cannot be allocated, or the counts do not describe the code table
// (their sum is not the table's count, or a record's category has no place), the tables stay in
// their loaded order and only the name lookup is rebuilt from it.
void AdjustCodeTable(const MarketTables& tables);

}  // namespace zephyr
