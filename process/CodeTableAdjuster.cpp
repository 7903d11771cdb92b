#include "process/CodeTableAdjuster.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "foundation/MLog.h"
#include "market/CodeTable.h"
#include "market/ExtCodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "market/NameLookup.h"
#include "market/ProductStatusTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {

constexpr const char* kModule = "码表调整";
// The category table holds at most this many categories (its byte count in MarketInfo).
constexpr uint32_t kMaxCategories = 256;

std::unique_ptr<uint8_t[]> Allocate(size_t bytes) {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[bytes == 0 ? 1 : bytes]);
}

// Fills the name lookup from the code table as it stands.
void InsertInTableOrder(NameLookup& lookup, const CodeEntry* records, uint32_t n) {
    for (uint32_t j = 0; j < n; ++j) lookup.Insert(j, records[j].code);
}

}  // namespace

uint16_t FindPosition(NameLookup& lookup, CodeTable& codes, const char* code) {
    if (code == nullptr) return kNoPosition;
    const int32_t found = lookup.Find(code);
    if (found >= 0 && found < kNoPosition) return static_cast<uint16_t>(found);
    return codes.FindCode(code);
}

void AdjustCodeTable(const MarketTables& tables) {
    fputs("adjust name table\n", stdout);
    fflush(stdout);
    Market& market = *tables.market;
    CodeTable& codes = *tables.codes;
    NameLookup& lookup = *tables.lookup;

    MarketInfo info;
    market.GetInfo(&info);
    const uint32_t n_total = info.item_count;
    const uint32_t k = info.category_count;
    uint32_t start[kMaxCategories] = {};
    uint32_t count[kMaxCategories] = {};
    uint32_t sum = 0;
    for (uint32_t i = 0; i < k; ++i) {
        CategoryInfo category;
        count[i] = market.GetCategory(&category, static_cast<int32_t>(i)) == 1 ? category.count : 0;
        start[i] = sum;
        sum += count[i];
    }
    const uint32_t index_entries = k > 0 ? count[0] : 0;

    const size_t buffer_size = static_cast<size_t>(n_total) * (sizeof(CodeEntry) + sizeof(Snapshot)) +
                               k * sizeof(CategoryInfo) + sizeof(MarketInfo);
    std::unique_ptr<uint8_t[]> buffer = Allocate(buffer_size);
    if (!buffer) return;
    CodeEntry* old_codes = reinterpret_cast<CodeEntry*>(buffer.get());
    Snapshot* old_snapshots = reinterpret_cast<Snapshot*>(buffer.get() + n_total * sizeof(CodeEntry));

    if (lookup.Build(static_cast<uint16_t>(n_total)) < 0 && tables.logger != nullptr) {
        tables.logger->Write(kLogWarning, kModule, "名称快查表建立失败");
    }

    const uint32_t copied = codes.CopyRange(old_codes, 0, n_total);
    // The counts must describe the table, or records would be written over each other.
    bool placeable = copied == n_total && sum == n_total;
    uint32_t seen[kMaxCategories] = {};
    for (uint32_t j = 0; placeable && j < copied; ++j) {
        const uint8_t c = old_codes[j].category;
        placeable = c < k && ++seen[c] <= count[c];
    }
    if (!placeable) {
        InsertInTableOrder(lookup, old_codes, copied);
        return;
    }

    ExtCodeTable* ext = tables.ext_codes;
    uint32_t next[kMaxCategories];
    memcpy(next, start, sizeof next);
    for (uint32_t j = 0; j < n_total; ++j) {
        CodeEntry record = old_codes[j];
        const uint32_t p = next[record.category]++;
        record.serial = static_cast<uint16_t>(p);
        codes.SetAt(&record, p);
        ExtCodeEntry extra;
        if (ext != nullptr && ext->Get(&extra, j)) {
            extra.serial = static_cast<uint16_t>(p);
            ext->SetAt(&extra, j);
        }
        lookup.Insert(p, record.code);
    }

    if (ext != nullptr && ext->Count() > 0) {
        const uint32_t n_ext = ext->Count();
        std::unique_ptr<uint8_t[]> ext_buffer = Allocate(static_cast<size_t>(n_ext) * sizeof(ExtCodeEntry));
        if (ext_buffer) {
            ExtCodeEntry* old_ext = reinterpret_cast<ExtCodeEntry*>(ext_buffer.get());
            const uint32_t n = ext->CopyRange(old_ext, 0, n_ext);
            for (uint32_t j = 0; j < n; ++j) {
                if (old_ext[j].serial != kNoPosition) ext->SetAt(&old_ext[j], old_ext[j].serial);
            }
        }
    }

    // The index records fit in the code records' part of the buffer, which is free again.
    IndexEntry* old_indexes = reinterpret_cast<IndexEntry*>(buffer.get());
    const uint32_t n_indexes = tables.indexes->CopyRange(old_indexes, 0, index_entries);
    for (uint32_t j = 0; j < n_indexes; ++j) {
        const uint16_t at = FindPosition(lookup, codes, old_indexes[j].code);
        if (at != kNoPosition) tables.indexes->SetAt(&old_indexes[j], at);
    }

    const uint32_t n_snapshots = tables.snapshots->CopyRange(old_snapshots, 0, n_total - index_entries);
    for (uint32_t j = 0; j < n_snapshots; ++j) {
        const uint16_t at = FindPosition(lookup, codes, old_snapshots[j].code);
        if (at == kNoPosition || at < index_entries) continue;
        tables.snapshots->SetAt(&old_snapshots[j], at - index_entries);
        ProductStatus status;
        memset(&status, 0, sizeof status);
        memcpy(status.code, old_snapshots[j].code, sizeof status.code);
        tables.statuses->SetAt(&status, at - index_entries);
    }
}

}  // namespace zephyr
