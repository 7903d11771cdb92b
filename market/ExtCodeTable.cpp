#include "market/ExtCodeTable.h"

#include "foundation/MLocalSection.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

bool ExtCodeTable::FindKey(uint16_t key, ExtCodeEntry* out) {
    if (out == nullptr) return false;
    uint8_t key_bytes[2];
    StoreLe<uint16_t>(key_bytes, key);
    MLocalSection guard(m_Store.Section());
    const int32_t at = m_Store.IndexOfKeyLocked(key_bytes);
    if (at < 0) return false;
    *out = *RecordLocked(static_cast<uint32_t>(at));
    return true;
}

}  // namespace zephyr
