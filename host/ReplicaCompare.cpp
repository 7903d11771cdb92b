// Comparing the replica with a pulled image: what differs, named by table, code and field.
#include "host/MarketReplica.h"

#include <algorithm>
#include <cstring>

namespace zephyr::hostkit {

namespace {

constexpr size_t kCodeLength = 6;

std::string CodeText(const char* code) {
    size_t n = 0;
    while (n < kCodeLength && code[n] != '\0') ++n;
    return std::string(code, n);
}

const char* FieldOfSnapshot(size_t offset) {
    static const struct { size_t from; const char* name; } kFields[] = {
        {0, "code"}, {6, "high"}, {10, "open"}, {14, "low"}, {18, "previous close"}, {22, "last"},
        {26, "amount"}, {34, "volume"}, {42, "bid"}, {46, "bid volume"}, {54, "bid orders"},
        {56, "ask"}, {60, "ask volume"}, {68, "ask orders"}, {70, "voip"}};
    const char* name = "?";
    for (const auto& field : kFields) {
        if (offset >= field.from) name = field.name;
    }
    return name;
}

const char* FieldOfMarket(size_t offset) {
    static const struct { size_t from; const char* name; } kFields[] = {
        {0, "market number"}, {1, "status"}, {2, "date"}, {6, "time"}, {10, "item count"},
        {12, "category count"}, {13, "sessions"}, {29, "session count"}, {30, "time zone"},
        {31, "delay"}, {33, "digest"}};
    const char* name = "?";
    for (const auto& field : kFields) {
        if (offset >= field.from) name = field.name;
    }
    return name;
}

size_t FirstDifference(const char* a, const char* b, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        if (a[i] != b[i]) return i;
    }
    return size;
}

// Position of a record's code text, for messages.
const char* CodeOf(Table table, const char* record) {
    switch (table) {
        case Table::kCodes: return record + 3;
        case Table::kSnapshots:
        case Table::kIndexes:
        case Table::kProductStatus:
        case Table::kShortNames: return record;
        default: return nullptr;
    }
}

}  // namespace

std::vector<Difference> MarketReplica::Compare(const MarketImage& pulled, CompareMode mode,
                                               size_t limit, size_t* total, TimeRule time_rule) const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<Difference> found;
    size_t count = 0;
    auto add = [&](std::string where, std::string detail) {
        ++count;
        if (found.size() < limit) found.push_back({std::move(where), std::move(detail)});
    };
    const bool witnessed = mode == CompareMode::kWitnessed;

    if (!m_Loaded) add("replica", "not loaded");
    if (m_Image.market.size() != kMarketInfoSize || pulled.market.size() != kMarketInfoSize) {
        add("market info", "missing");
    } else {
        for (size_t i = 0; i < kMarketInfoSize; ++i) {
            if (m_Image.market[i] == pulled.market[i]) continue;
            if (i >= kMarketTimeOffset && i < kMarketTimeOffset + 4) {
                const uint32_t mine = LoadU32(&m_Image.market[kMarketTimeOffset]);
                const uint32_t theirs = LoadU32(&pulled.market[kMarketTimeOffset]);
                // While pushes come, the pull may be older than the replica, never newer, and
                // never older than what the replica held before the pull began.
                const uint32_t oldest = !witnessed ? mine : m_WitnessOpen ? m_WitnessTime : 0;
                const uint32_t newest = time_rule == TimeRule::kMayLead ? UINT32_MAX : mine;
                if ((witnessed || theirs > mine) && theirs >= oldest && theirs <= newest) continue;
                add("market info", "time " + std::to_string(mine) + " here, " + std::to_string(theirs) +
                                       " pulled");
                i = kMarketTimeOffset + 3;
                continue;
            }
            add("market info", std::string("byte ") + std::to_string(i) + " (" + FieldOfMarket(i) + ")");
        }
    }
    if (m_Image.categories != pulled.categories) {
        add("categories", std::to_string(m_Image.categories.size()) + " here, " +
                              std::to_string(pulled.categories.size()) + " pulled, or their bytes differ");
    }
    for (Table table : kAllTables) {
        const RecordBlock& mine = m_Image.Of(table);
        const RecordBlock& theirs = pulled.Of(table);
        if (mine.Count() != theirs.Count()) {
            add(TableName(table), std::to_string(mine.Count()) + " records here, " +
                                      std::to_string(theirs.Count()) + " pulled");
        }
        const uint8_t tag = WitnessTag(table);
        const size_t n = std::min(mine.Count(), theirs.Count());
        for (size_t i = 0; i < n; ++i) {
            const char* a = mine.At(i);
            const char* b = theirs.At(i);
            const size_t at = FirstDifference(a, b, mine.record_size);
            if (at == mine.record_size) continue;
            if (witnessed && tag != 0xFF) {
                std::string key(1, static_cast<char>(tag));
                key.append(b, theirs.record_size);
                if (m_Witnessed.count(key) != 0) continue;
            }
            std::string where = std::string(TableName(table)) + "[" + std::to_string(i) + "]";
            if (const char* code = CodeOf(table, a)) where += " " + CodeText(code);
            std::string detail = "differs from byte " + std::to_string(at);
            if (table == Table::kSnapshots) detail += std::string(" (") + FieldOfSnapshot(at) + ")";
            add(std::move(where), std::move(detail));
        }
    }
    if (total != nullptr) *total = count;
    return found;
}

}  // namespace zephyr::hostkit
