#include "process/MarketCounts.h"

#include <cstring>

#include "market/CodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "market/NameLookup.h"
#include "market/SnapshotTable.h"
#include "process/CodeTableAdjuster.h"

namespace zephyr {

namespace {

constexpr uint32_t kCounters = 10;
constexpr uint32_t kIndexOverflowCategory = 7;
// Records are copied out in blocks: one table lock per block, nothing allocated.
constexpr uint32_t kBlock = 128;

}  // namespace

void RefreshMarketCounts(const MarketTables& tables) {
    Market& market = *tables.market;
    CodeTable& codes = *tables.codes;
    market.LoadSessions();

    MarketInfo info;
    market.GetInfo(&info);
    info.item_count = static_cast<uint16_t>(codes.Count());
    market.SetInfo(&info);

    uint16_t counters[kCounters] = {};
    CodeEntry block[kBlock];
    for (uint32_t start = 0;;) {
        const uint32_t n = codes.CopyRange(block, start, kBlock);
        if (n == 0) break;
        for (uint32_t j = 0; j < n; ++j) {
            const uint32_t category = block[j].category < kCounters ? block[j].category : kCounters - 1;
            ++counters[category];
        }
        start += n;
    }
    counters[kIndexOverflowCategory] =
        static_cast<uint16_t>(counters[kIndexOverflowCategory] + counters[0] - codes.IndexCount());

    for (uint32_t i = 0; i < kCounters && i < info.category_count; ++i) {
        CategoryInfo category;
        if (market.GetCategory(&category, static_cast<int32_t>(i)) != 1) continue;
        category.count = counters[i];
        market.UpdateCategory(&category);
    }
}

void WriteMarketTotals(const MarketTables& tables) {
    CodeTable& codes = *tables.codes;
    SnapshotTable& snapshots = *tables.snapshots;
    uint64_t totals[2] = {0, 0};
    Snapshot block[kBlock];
    for (uint32_t start = 0;;) {
        const uint32_t n = snapshots.CopyRange(block, start, kBlock);
        if (n == 0) break;
        for (uint32_t j = 0; j < n; ++j) {
            const uint16_t at = FindPosition(*tables.lookup, codes, block[j].code);
            CodeEntry entry;
            if (at == kNoPosition || !codes.Get(&entry, at)) continue;
            if (entry.category == 1) totals[0] += block[j].volume;
            if (entry.category == 4) totals[1] += block[j].volume;
        }
        start += n;
    }
    const char* carriers[2] = {kMainTotalCode, kSecondTotalCode};
    for (int i = 0; i < 2; ++i) {
        const uint16_t at = FindPosition(*tables.lookup, codes, carriers[i]);
        if (at == kNoPosition) continue;
        tables.indexes->SetVolume(at, static_cast<uint32_t>(totals[i]), static_cast<uint32_t>(totals[i] >> 32));
    }
}

}  // namespace zephyr
