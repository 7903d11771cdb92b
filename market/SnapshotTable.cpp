#include "market/SnapshotTable.h"

#include "foundation/MLocalSection.h"

namespace zephyr {

bool SnapshotTable::GetByCode(Snapshot* out, const char* code) { return GetByCodeImpl(out, code); }

bool SnapshotTable::GetBySerial(Snapshot* out, uint32_t serial, uint32_t index_count) {
    if (out == nullptr) return false;
    serial &= 0xFFFFu;
    MLocalSection guard(m_Store.Section());
    if (serial < index_count || serial - index_count >= m_Store.CountLocked()) return false;
    *out = *RecordLocked(serial - index_count);
    return true;
}

int32_t SnapshotTable::SetPreviousClose(uint32_t serial, uint32_t value, uint32_t index_count) {
    serial &= 0xFFFFu;
    MLocalSection guard(m_Store.Section());
    if (serial < index_count) return -1;
    const uint32_t at = serial - index_count;
    if (at >= m_Store.CountLocked()) return -2;
    RecordLocked(at)->previous_close = value;
    return static_cast<int32_t>(at + 1);
}

void SnapshotTable::RollClose() { RollCloseImpl(); }

}  // namespace zephyr
