// The short-name table: the rows of the short-name DBF file (fields "S1", "S2", "S26",
// "INDEXCODE", "NRRATE"), held in one block under the table's own lock: room for the file's
// rows, at most kRows.
// It serves the loaders' short-name lookup and the host's pulled frames of the table.
#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/MRDbFile.h"
#include "market/RecordTable.h"
#include "market/Records.h"

namespace zephyr {

class ShortNameTable : public RecordTable<ShortNameRow> {
public:
    static constexpr uint32_t kRows = 100000;

    // Reads every row of the DBF file at path, in file order, into an emptied table sized for the
    // file's row count; a row with a field that cannot be read is skipped; rows past kRows are
    // refused. The file is closed
    // afterwards. 1; -2 when the file cannot be loaded; -3 when the block cannot be allocated.
    int32_t LoadAll(const char* path);
    // Copies the first row whose code matches code on its first 5 bytes: 1, or 0 when none.
    int32_t Lookup(const char* code, ShortNameRow* out);
    // Closes the file and frees the block (count and capacity 0).
    void Close();
    // Whether the table holds a block or a file was loaded into it (a file of no rows too): a
    // table that never loaded counts as absent to the short-name rule.
    bool IsLoaded() { return m_Loaded.load() || Capacity() > 0; }

    // Reads the current DBF record into row; false when a field cannot be read.
    static bool ReadRow(MRDbFile& file, ShortNameRow* row);

private:
    MRDbFile m_File;
    std::atomic<bool> m_Loaded{false};
};

}  // namespace zephyr
