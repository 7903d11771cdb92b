#include "market/ShortNameTable.h"

#include <cstring>

#include "foundation/MLocalSection.h"

namespace zephyr {

bool ShortNameTable::ReadRow(MRDbFile& file, ShortNameRow* row) {
    // Each text is read with room for its terminator, which the next field then overwrites;
    // the scratch block has one spare byte so no read runs past the row.
    char bytes[sizeof(ShortNameRow) + 1];
    std::memset(bytes, 0, sizeof(bytes));
    if (file.ReadField("S1", bytes + offsetof(ShortNameRow, code), sizeof(ShortNameRow::code) + 1) < 0)
        return false;
    if (file.ReadField("S2", bytes + offsetof(ShortNameRow, short_name),
                       sizeof(ShortNameRow::short_name) + 1) < 0)
        return false;
    if (file.ReadField("S26", bytes + offsetof(ShortNameRow, name), sizeof(ShortNameRow::name) + 1) < 0)
        return false;
    int32_t index_code = 0;
    if (file.ReadInteger("INDEXCODE", index_code) < 0) return false;
    double rate = 0;
    if (file.ReadDouble("NRRATE", rate) < 0) return false;
    std::memcpy(row, bytes, sizeof(ShortNameRow));
    row->index_code = index_code;
    row->rate = static_cast<float>(rate);
    return true;
}

int32_t ShortNameTable::LoadAll(const char* path) {
    m_Loaded.store(false);
    m_File.Close();
    Release();
    if (path == nullptr || m_File.Load(path) < 0) return -2;
    // Room for the rows the file holds, no more than kRows: a fixed block of kRows would hold
    // megabytes of zeros behind a day's names.
    const uint32_t records = m_File.GetRecordCount();
    if (!Allocate(records < kRows ? records : kRows)) {
        m_File.Close();
        return -3;
    }
    Clear();
    for (uint32_t i = 0; i < records; ++i) {
        if (m_File.GoTo(static_cast<int32_t>(i)) < 0) break;
        ShortNameRow row;
        if (!ReadRow(m_File, &row)) continue;
        Append(&row);  // refused once the block is full
    }
    m_File.Close();
    m_Loaded.store(true);
    return 1;
}

int32_t ShortNameTable::Lookup(const char* code, ShortNameRow* out) {
    if (code == nullptr || out == nullptr) return 0;
    MLocalSection guard(m_Store.Section());
    const int32_t at = m_Store.IndexOfKeyPrefixLocked(code, 5);
    if (at < 0) return 0;
    *out = *RecordLocked(static_cast<uint32_t>(at));
    return 1;
}

void ShortNameTable::Close() {
    m_Loaded.store(false);
    m_File.Close();
    Release();
}

}  // namespace zephyr
