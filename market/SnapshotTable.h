// The snapshot table: one Snapshot per share. After the code table adjustment the record at
// position j belongs to the code entry with serial indexCount + j; the operations that take a
// serial are given that index count by the caller (the code table holds it).
#pragma once
#include <cstdint>

#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

class SnapshotTable : public RecordTable<Snapshot> {
public:
    // Code-checked: -1 also when the stored record's code differs from the argument's.
    int32_t UpdateAt(const Snapshot* record, uint32_t index) override {
        return m_Store.UpdateAt(record, index, true);
    }

    // n code-checked stores under one hold of the lock: a place below index_count stores by
    // code, any other at place - index_count (see RecordStore::UpdateAtPlaces).
    uint32_t UpdateAtPlaces(const Snapshot* records, const uint16_t* places, uint32_t n, uint32_t index_count,
                            int8_t* results) {
        return m_Store.UpdateAtPlaces(records, places, n, index_count, true, results);
    }

    uint16_t FindCode(const char* code) { return FindCodeImpl(code); }
    bool GetByCode(Snapshot* out, const char* code);
    // False when serial < index_count or serial - index_count is not below the count.
    bool GetBySerial(Snapshot* out, uint32_t serial, uint32_t index_count);
    // -1 when serial < index_count, -2 when past the end; else sets the previous close of the
    // record at serial - index_count and returns that position + 1.
    int32_t SetPreviousClose(uint32_t serial, uint32_t value, uint32_t index_count);
    // Day-end correction: previous close := last price wherever the last price is not 0.
    void RollClose();
};

}  // namespace zephyr
