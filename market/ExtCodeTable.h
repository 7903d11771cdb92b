// The extension code table: 5-byte records keyed by a u16 serial. Nothing appends to it in this
// system; it is pre-allocated and takes part in the code table adjustment.
#pragma once
#include <cstdint>

#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

class ExtCodeTable : public RecordTable<ExtCodeEntry> {
public:
    // True and a copy of the first record whose key is key.
    bool FindKey(uint16_t key, ExtCodeEntry* out);
};

}  // namespace zephyr
