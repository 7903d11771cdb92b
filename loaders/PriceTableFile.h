// The saved price-table file ("HKPriceTablePath"): exactly 976 bytes, little-endian: "RVPT",
// format version 4097, date of saving (yyyymmdd, local), file size 976, then the 960-byte
// PriceTable. The file is opened (or created) once and stays open; every save writes the whole
// file beside it and renames it over (on Windows the open file is let go meanwhile and opened
// again), so a failed save leaves the old file as it was and no temporary file behind. Loading
// the table reads the exchange's price-spread file.
#pragma once
#include <cstdint>

#include "foundation/MFile.h"

namespace zephyr {

class HKZxjcLoader;
struct PriceTable;

class PriceTableFile {
public:
    static constexpr uint32_t kHeaderSize = 16;
    static constexpr uint32_t kFileSize = 976;
    static constexpr uint32_t kVersion = 4097;

    explicit PriceTableFile(HKZxjcLoader& loader);
    PriceTableFile(const PriceTableFile&) = delete;
    PriceTableFile& operator=(const PriceTableFile&) = delete;

    // Closes any open file; opens the file at path, or creates it when it does not exist; then
    // positions at its start. 1, or the file's negative error.
    int32_t Open(const char* path);
    void Close() { m_File.Close(); }
    bool IsOpen() const { return m_File.IsOpen(); }
    // Whether the last Open created the file.
    bool WasCreated() const { return m_Created; }

    // Fills table from the price-spread file: 976; -10 not open; the file's error when it cannot
    // be positioned; -12 when the price-spread file could not be read.
    int32_t Load(PriceTable& table);
    // Writes header and table as the whole new file: 960; -10 not open; -11 the new file cannot
    // be created; -12 header not written whole; -13 table not written whole; -14 not flushed;
    // -15 not renamed over the old file.
    int32_t Save(const PriceTable& table);

private:
    HKZxjcLoader& m_Loader;
    MFile m_File;
    MString m_Path;
    uint8_t m_Header[kHeaderSize];
    bool m_Created = false;
};

}  // namespace zephyr
