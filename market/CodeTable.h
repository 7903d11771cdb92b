// The code table: one CodeEntry per product of the day, index entries first. Besides the
// RecordTable operations it keeps the index count (entries placed at the front from the index
// configuration) and offers the code lookups the loaders and the processing unit use.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

// One index of the index configuration, as AddIndexEntries takes it (fixed fields, raw bytes).
struct IndexDefinition {
    char code[6];
    char english_short_name[8];
    char chinese_short_name[16];
    char full_name[16];
};

class CodeTable : public RecordTable<CodeEntry> {
public:
    // Appends and sets the stored record's serial to its position.
    virtual bool AppendSerial(const CodeEntry* record);
    // Put, then sets the stored record's serial to its position (replaced or appended).
    virtual bool PutSerial(const CodeEntry* record);
    // PutSerial answering the position the record went to; -1 when it is null or finds no room.
    int32_t PutSerialAt(const CodeEntry* record);

    // Position of the first entry with this 6-byte code; 0xFFFF when absent (or code is null).
    uint16_t FindCode(const char* code) { return FindCodeImpl(code); }
    // FindCode of n codes lying stride bytes apart from first (the codes of a run of records),
    // all under one hold of the table's lock; out receives n positions.
    void FindCodes(const char* first, size_t stride, uint32_t n, uint16_t* out) {
        FindCodesImpl(first, stride, n, out);
    }
    // FindCode of n written as five digits with leading zeros (more digits when n needs them).
    uint16_t FindNumber(int32_t n);
    // True and a copy of the first entry with this code.
    bool GetByCode(CodeEntry* out, const char* code);
    // 1 and the 8 short-name bytes of the entry at serial; -1 when serial is out of range.
    int32_t GetShortName(uint32_t serial, char* out);

    uint16_t IndexCount();
    // Only on an empty table: when enabled, stores one entry per definition in order (PutSerial:
    // category 0, code, second name = English short name, short name = first 8 bytes of the
    // Chinese short name, full name, reference value 2 = 1); then index count := count.
    void AddIndexEntries(bool enabled, const IndexDefinition* definitions, size_t n);

private:
    std::atomic<uint16_t> m_IndexCount{0};  // written under the table's lock
};

}  // namespace zephyr
