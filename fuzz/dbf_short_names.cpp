// A short-name table file (DBF) as a hostile folder may hold it. Every field of every record read
// back holds exactly the bytes of that field in the file, followed by its terminator, and nothing
// beyond; the short-name table loaded from the file never holds more rows than it has room for.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/MRDbFile.h"
#include "fuzz/FuzzFiles.h"
#include "market/ShortNameTable.h"

using namespace zephyr;

namespace {

constexpr uint8_t kUntouched = 0xA5;

uint32_t Le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

void CheckFields(MRDbFile& dbf, const uint8_t* data, size_t size) {
    const uint32_t header_size = Le(data + 8, 2);
    const uint32_t record_size = Le(data + 10, 2);
    const uint32_t fields = dbf.GetFieldCount();
    if (fields != (header_size - MRDbFile::kHeaderSize) / sizeof(MRDbFile::FieldDescriptor)) abort();
    // Names as the reader compares them (11 bytes at most), and each field's place in a record.
    std::vector<std::string> names(fields);
    std::vector<uint32_t> offsets(fields), lengths(fields);
    uint32_t offset = 1;
    for (uint32_t i = 0; i < fields; ++i) {
        const uint8_t* descriptor = data + MRDbFile::kHeaderSize + i * sizeof(MRDbFile::FieldDescriptor);
        names[i] = std::string(reinterpret_cast<const char*>(descriptor), strnlen(reinterpret_cast<const char*>(descriptor), 11));
        lengths[i] = descriptor[16];
        offsets[i] = offset;
        offset += lengths[i];
    }
    const uint32_t records = dbf.GetRecordCount();
    if (static_cast<uint64_t>(records) * record_size + header_size > size) abort();
    for (uint32_t r = 0; r < records && r < 64; ++r) {
        if (dbf.GoTo(static_cast<int32_t>(r)) != 1) abort();
        const uint8_t* record = data + header_size + static_cast<size_t>(r) * record_size;
        for (uint32_t i = 0; i < fields && i < 64; ++i) {
            uint32_t first = 0;  // the first field of that name answers
            while (names[first] != names[i]) ++first;
            char buffer[300];
            memset(buffer, kUntouched, sizeof buffer);
            const int32_t n = dbf.ReadField(names[i].c_str(), buffer, 256);
            if (lengths[first] >= 256) {
                if (n >= 0) abort();
                continue;
            }
            if (n != static_cast<int32_t>(lengths[first])) abort();
            if (memcmp(buffer, record + offsets[first], lengths[first]) != 0 || buffer[n] != '\0') abort();
            for (size_t k = n + 1; k < sizeof buffer; ++k) {
                if (static_cast<uint8_t>(buffer[k]) != kUntouched) abort();
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::Folder() + "names.dbf";
    fuzz::WriteWhole(path, data, size);
    {
        MRDbFile dbf;
        if (dbf.Load(path.c_str()) == 1) {
            CheckFields(dbf, data, size);
        } else if (dbf.GetFieldCount() != 0 || dbf.GetRecordCount() != 0) {
            abort();  // a failed load holds nothing
        }
    }
    static ShortNameTable* table = new ShortNameTable;
    if (table->LoadAll(path.c_str()) == 1) {
        if (table->Count() > ShortNameTable::kRows || table->Count() > Le(data + 4, 4)) abort();
    }
    table->Close();
    return 0;
}
