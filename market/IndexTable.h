// The index table: one IndexEntry per index product; position k belongs to the code entry with
// serial k (k below the code table's index count).
#pragma once
#include <cstdint>

#include "market/CodeTable.h"
#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

class IndexTable : public RecordTable<IndexEntry> {
public:
    // Appends, for each of the first IndexCount entries of codes in order, an entry holding only
    // its code. Reads the code table entry by entry (never holding both tables' locks).
    void BuildFromCodes(CodeTable& codes);
    uint16_t FindCode(const char* code) { return FindCodeImpl(code); }
    // 1 after storing the two halves of the traded volume at position; 0 when out of range.
    int32_t SetVolume(uint32_t position, uint32_t low, uint32_t high);
    // Day-end correction: previous close := last price wherever the last price is not 0.
    void RollClose();
};

}  // namespace zephyr
