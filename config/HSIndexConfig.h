// The list of Hang Seng indexes the driver carries, read from a text file once per start.
//
// File: a header line naming the columns, then one data line per index. Fields are separated by
// "=", ">", "[", "]" (and the line end). In the header, fields are numbered from 1 and the number
// advances after every separator except "["; a field equal (case ignored) to a column name gives
// the column that number. In a data line the number advances at every separator. A data line
// becomes an entry when all six columns were found on it, the code is not empty and both the
// index type and the family type have at least two characters.
// Columns: "代码" (code), "英文简称", "中文简称", "中文全称", "指数类型", "族内类型".
#pragma once
#include <cstdint>
#include <vector>

#include "foundation/MCriticalSection.h"
#include "foundation/MString.h"

namespace zephyr {

class ConfigUnit;
class MLogger;

#pragma pack(push, 1)
// 54 bytes; text fields zero-padded, unterminated when the text fills the field.
struct HSIndexEntry {
    char code[6];
    char index_type[5];     // first five bytes of "指数类型"
    char zero11;
    char family_type[2];    // first two bytes of "族内类型"
    char english_name[8];
    char short_name[16];    // the code when the column is empty
    char full_name[16];     // the short name (as stored) when the column is empty
};
#pragma pack(pop)
static_assert(sizeof(HSIndexEntry) == 54, "HSIndexEntry size");

class HSIndexConfig {
public:
    explicit HSIndexConfig(MLogger* logger) : m_Logger(logger) {}
    HSIndexConfig(const HSIndexConfig&) = delete;
    HSIndexConfig& operator=(const HSIndexConfig&) = delete;

    // 0 when the source is disabled ("HSI" / "Enable"), else the result of Load with the
    // configured file.
    int32_t LoadIndexConfig(const ConfigUnit& config);
    // 1 when read; -1 when the file cannot be opened; -2 when its header is missing or lacks a
    // column (each logged as a level-2 warning). The list is cleared once the header is read.
    int32_t Load(const MString& path);

    uint32_t GetCount() const;
    // Copies entry index; false when index is not below the count.
    bool Get(uint32_t index, HSIndexEntry* entry) const;
    void Clear();

private:
    MLogger* m_Logger;
    mutable MCriticalSection m_Lock;
    std::vector<HSIndexEntry> m_Entries;
};

}  // namespace zephyr
