// An index list file as a hostile folder may hold it, read as the start reads it, then carried
// into a code table and an index table of the sizes the processing unit gives them. Checks: no
// more entries than data lines, every entry with a code, tables within their room.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "config/HSIndexConfig.h"
#include "foundation/MString.h"
#include "fuzz/FuzzFiles.h"
#include "market/CodeTable.h"
#include "market/IndexTable.h"

using namespace zephyr;

namespace {

constexpr uint32_t kCodeRoom = 6100;
constexpr uint32_t kIndexRoom = 50;

struct Tables {
    CodeTable codes;
    IndexTable indexes;
    Tables() {
        if (!codes.Allocate(kCodeRoom) || !indexes.Allocate(kIndexRoom)) abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Tables* tables = new Tables;
    const std::string path = fuzz::Folder() + "hsindexconfig.ini";
    fuzz::WriteWhole(path, data, size);
    HSIndexConfig list(nullptr);
    if (list.Load(MString(path.c_str())) != 1) {
        if (list.GetCount() != 0) abort();
        return 0;
    }
    // Lines (each ended by a run of CR and LF bytes), counting a line longer than the reader's
    // buffer once per piece it is read in.
    size_t lines = 1 + size / 2047;
    for (size_t i = 0; i < size; ++i) {
        const bool end = data[i] == '\r' || data[i] == '\n';
        lines += end && (i + 1 == size || (data[i + 1] != '\r' && data[i + 1] != '\n'));
    }
    if (list.GetCount() >= lines) abort();  // the header line gives no entry
    std::vector<IndexDefinition> definitions(list.GetCount());
    for (uint32_t i = 0; i < list.GetCount(); ++i) {
        HSIndexEntry entry;
        if (!list.Get(i, &entry) || entry.code[0] == '\0') abort();
        memset(&definitions[i], 0, sizeof definitions[i]);
        memcpy(definitions[i].code, entry.code, sizeof entry.code);
    }
    tables->codes.Clear();
    tables->indexes.Clear();
    tables->codes.AddIndexEntries(true, definitions.data(), definitions.size());
    tables->indexes.BuildFromCodes(tables->codes);
    if (tables->codes.Count() > tables->codes.Capacity() || tables->indexes.Count() > tables->indexes.Capacity()) abort();
    if (tables->codes.IndexCount() != tables->codes.Count()) abort();
    if (tables->indexes.Count() != std::min<uint32_t>(tables->codes.Count(), kIndexRoom)) abort();
    return 0;
}
