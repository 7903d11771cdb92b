#include "market/CodeTable.h"

#include <cstdio>
#include <cstring>

#include "foundation/MLocalSection.h"

namespace zephyr {

bool CodeTable::AppendSerial(const CodeEntry* record) {
    MLocalSection guard(m_Store.Section());
    if (!m_Store.AppendLocked(record)) return false;
    const uint32_t at = m_Store.CountLocked() - 1;
    RecordLocked(at)->serial = static_cast<uint16_t>(at);
    return true;
}

bool CodeTable::PutSerial(const CodeEntry* record) { return PutSerialAt(record) >= 0; }

int32_t CodeTable::PutSerialAt(const CodeEntry* record) {
    if (record == nullptr) return -1;
    MLocalSection guard(m_Store.Section());
    int32_t at = m_Store.IndexOfKeyLocked(record->code);
    if (at >= 0) {
        *RecordLocked(static_cast<uint32_t>(at)) = *record;
    } else {
        if (!m_Store.AppendLocked(record)) return -1;
        at = static_cast<int32_t>(m_Store.CountLocked() - 1);
    }
    RecordLocked(static_cast<uint32_t>(at))->serial = static_cast<uint16_t>(at);
    return at;
}

uint16_t CodeTable::FindNumber(int32_t n) {
    char text[16] = {};
    const int length = std::snprintf(text, sizeof(text), "%05d", static_cast<int>(n));
    if (length < 0 || length > static_cast<int>(kCodeSize)) return 0xFFFF;
    return FindCode(text);
}

bool CodeTable::GetByCode(CodeEntry* out, const char* code) { return GetByCodeImpl(out, code); }

int32_t CodeTable::GetShortName(uint32_t serial, char* out) {
    if (out == nullptr) return -1;
    serial &= 0xFFFFu;
    MLocalSection guard(m_Store.Section());
    if (serial >= m_Store.CountLocked()) return -1;
    std::memcpy(out, RecordLocked(serial)->short_name, sizeof(CodeEntry::short_name));
    return 1;
}

uint16_t CodeTable::IndexCount() { return m_IndexCount.load(std::memory_order_acquire); }

void CodeTable::AddIndexEntries(bool enabled, const IndexDefinition* definitions, size_t n) {
    MLocalSection guard(m_Store.Section());
    if (m_Store.CountLocked() != 0) return;
    if (enabled && definitions != nullptr) {
        for (size_t i = 0; i < n; ++i) {
            const IndexDefinition& d = definitions[i];
            CodeEntry entry;
            std::memset(&entry, 0, sizeof(entry));
            std::memcpy(entry.code, d.code, sizeof(entry.code));
            std::memcpy(entry.second_name, d.english_short_name, sizeof(d.english_short_name));
            std::memcpy(entry.short_name, d.chinese_short_name, sizeof(entry.short_name));
            std::memcpy(entry.full_name, d.full_name, sizeof(entry.full_name));
            entry.reference2 = 1;
            PutSerial(&entry);
        }
    }
    m_IndexCount = static_cast<uint16_t>(m_Store.CountLocked());
}

}  // namespace zephyr
