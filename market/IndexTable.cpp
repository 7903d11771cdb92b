#include "market/IndexTable.h"

#include <cstring>

#include "foundation/MLocalSection.h"

namespace zephyr {

void IndexTable::BuildFromCodes(CodeTable& codes) {
    const uint16_t n = codes.IndexCount();
    for (uint32_t i = 0; i < n; ++i) {
        CodeEntry code;
        if (!codes.Get(&code, i)) break;
        IndexEntry entry;
        std::memset(&entry, 0, sizeof(entry));
        std::memcpy(entry.code, code.code, sizeof(entry.code));
        if (!Append(&entry)) break;
    }
}

int32_t IndexTable::SetVolume(uint32_t position, uint32_t low, uint32_t high) {
    position &= 0xFFFFu;
    MLocalSection guard(m_Store.Section());
    if (position >= m_Store.CountLocked()) return 0;
    RecordLocked(position)->volume = (static_cast<uint64_t>(high) << 32) | low;
    return 1;
}

void IndexTable::RollClose() { RollCloseImpl(); }

}  // namespace zephyr
