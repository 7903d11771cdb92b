#include "host/MarketReplica.h"

#include <algorithm>
#include <cstring>

namespace zephyr::hostkit {

namespace {

// Pushes queued while a pull is under way; far more than any pull takes at any feed rate.
constexpr size_t kLargestQueue = 64u << 20;
constexpr size_t kCodeLength = 6;
constexpr const char kMarketVolumeCode[kCodeLength + 1] = "999999";
constexpr size_t kIndexVolumeOffset = 34;


}  // namespace

MarketReplica::MarketReplica() = default;

uint8_t MarketReplica::WitnessTag(Table table) {
    switch (table) {
        case Table::kSnapshots: return kPushSnapshots;
        case Table::kIndexes: return kPushIndexes;
        case Table::kProductStatus: return kPushProductStatus;
        case Table::kQuotaStatus: return kPushQuotaStatus;
        default: return 0xFF;
    }
}


void MarketReplica::Reset() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_PreviousDigestKnown = m_Image.market.size() == kMarketInfoSize;
    if (m_PreviousDigestKnown) m_PreviousDigest = m_Image.market.substr(kDigestOffset, kDigestSize);
    m_Image = MarketImage();
    m_Loaded = false;
    m_Queue.clear();
    m_QueuedBytes = 0;
    m_QueueOverflowed = false;
    m_SnapshotIndex.clear();
    m_IndexIndex.clear();
    m_StatusIndex.clear();
    ++m_Generation;
    ++m_Counters.resets;
}

bool MarketReplica::Install(MarketImage image, uint64_t generation) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (generation != m_Generation) return false;
    if (m_QueueOverflowed) {
        m_Queue.clear();
        m_QueuedBytes = 0;
        m_QueueOverflowed = false;
        return false;
    }
    m_Image = std::move(image);
    RebuildIndexes();
    m_Loaded = true;
    std::string error;
    bool ok = true;
    for (const std::string& push : m_Queue) ApplyLocked(push.data(), push.size(), &error, &ok);
    m_Queue.clear();
    m_Queue.shrink_to_fit();
    m_QueuedBytes = 0;
    m_QueueOverflowed = false;
    ++m_Counters.installs;
    ++m_Counters.changes;
    return true;
}

uint64_t MarketReplica::Generation() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Generation;
}

bool MarketReplica::Loaded() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Loaded;
}

bool MarketReplica::ApplyPush(const char* data, size_t length, std::string* error) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    ++m_Counters.pushes;
    if (!m_Loaded) {
        // Queued pushes are decoded when applied; count their frames now all the same.
        if (m_QueuedBytes + length > kLargestQueue) {
            m_QueueOverflowed = true;
        } else {
            m_Queue.emplace_back(data, length);
            m_QueuedBytes += length;
        }
        bool understood = DecodePush(data, length, &m_Decoded);
        for (const PushFrame& frame : m_Decoded.frames) {
            if (frame.type < 6) ++m_Counters.frames[frame.type];
            if (frame.type == kPushSnapshots) m_Counters.snapshot_records += frame.records;
        }
        if (!understood) {
            ++m_Counters.bad_pushes;
            if (error != nullptr) *error = m_Decoded.error;
        }
        return understood;
    }
    bool ok = true;
    std::string reason;
    ApplyLocked(data, length, &reason, &ok);
    if (!ok) {
        ++m_Counters.bad_pushes;
        if (error != nullptr) *error = reason;
    }
    return ok;
}

void MarketReplica::ApplyLocked(const char* data, size_t length, std::string* error, bool* ok) {
    const bool counting = m_Loaded && m_Queue.empty();
    const bool understood = DecodePush(data, length, &m_Decoded);
    if (!understood) {
        *ok = false;
        *error = m_Decoded.error;
    }
    bool changed = false;
    if (m_Image.market.size() == kMarketInfoSize && length >= 4) {
        const uint32_t now = LoadU32(&m_Image.market[kMarketTimeOffset]);
        // The market time only grows within a day; flushes on two threads may arrive crossed.
        if (m_Decoded.market_time > now) {
            StoreU32(&m_Image.market[kMarketTimeOffset], m_Decoded.market_time);
            changed = true;
        }
    }
    for (const PushFrame& frame : m_Decoded.frames) {
        if (counting) {
            ++m_Counters.frames[frame.type];
            if (frame.type == kPushSnapshots) m_Counters.snapshot_records += frame.records;
        }
        const size_t size = PushRecordSize(frame.type);
        for (size_t r = 0; r < frame.records; ++r) {
            const char* record = frame.payload + r * size;
            switch (frame.type) {
                case kPushMarketHeader:
                    if (m_Image.market.size() == kMarketInfoSize) {
                        const std::string before = m_Image.market;
                        m_Image.market[0] = record[0];
                        std::memcpy(&m_Image.market[2], record + 1, 4);
                        const uint32_t time = LoadU32(record + 5);
                        if (time > LoadU32(&m_Image.market[kMarketTimeOffset])) {
                            StoreU32(&m_Image.market[kMarketTimeOffset], time);
                        }
                        m_Image.market[1] = record[9];
                        changed = changed || m_Image.market != before;
                    }
                    break;
                case kPushSnapshots:
                    changed = PutKeyed(Table::kSnapshots, &m_SnapshotIndex, record, kPushSnapshots) || changed;
                    if (m_UpdatedCodes.emplace(record, strnlen(record, 6)).second) ++m_Counters.codes_updated;
                    break;
                case kPushIndexes:
                    changed = PutKeyed(Table::kIndexes, &m_IndexIndex, record, kPushIndexes) || changed;
                    ++m_Counters.index_records;
                    break;
                case kPushProductStatus:
                    changed = PutKeyed(Table::kProductStatus, &m_StatusIndex, record, kPushProductStatus) || changed;
                    ++m_Counters.status_records;
                    break;
                case kPushQuotaStatus: {
                    std::string& quota = m_Image.Of(Table::kQuotaStatus).bytes;
                    changed = changed || quota.compare(0, std::string::npos, record, size) != 0;
                    quota.assign(record, size);
                    if (m_WitnessOpen) Witness(kPushQuotaStatus, record, size);
                    break;
                }
                default:
                    break;
            }
        }
    }
    if (changed) ++m_Counters.changes;
}

bool MarketReplica::PutKeyed(Table table, Index* index, const char* record, uint8_t witness_tag) {
    RecordBlock& block = m_Image.Of(table);
    const std::string key(record, kCodeLength);
    auto found = index->find(key);
    bool changed = true;
    if (found != index->end()) {
        char* held = block.At(found->second);
        changed = std::memcmp(held, record, block.record_size) != 0;
        std::memcpy(held, record, block.record_size);
    } else {
        // The driver places a record it cannot find by code at the end of the table.
        index->emplace(key, block.Count());
        block.bytes.append(record, block.record_size);
        ++m_Counters.added_records;
    }
    if (m_WitnessOpen) Witness(witness_tag, record, block.record_size);
    return changed;
}

void MarketReplica::RebuildIndexes() {
    const std::pair<Table, Index*> keyed[] = {{Table::kSnapshots, &m_SnapshotIndex},
                                              {Table::kIndexes, &m_IndexIndex},
                                              {Table::kProductStatus, &m_StatusIndex}};
    for (const auto& [table, index] : keyed) {
        index->clear();
        const RecordBlock& block = m_Image.Of(table);
        for (size_t i = 0; i < block.Count(); ++i) {
            index->emplace(std::string(block.At(i), kCodeLength), i);  // first match wins
        }
    }
}

void MarketReplica::ApplyMarketVolume(uint64_t volume) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto found = m_IndexIndex.find(std::string(kMarketVolumeCode, kCodeLength));
    if (!m_Loaded || found == m_IndexIndex.end()) return;
    char* record = m_Image.Of(Table::kIndexes).At(found->second);
    if (LoadU64(record + kIndexVolumeOffset) != volume) ++m_Counters.changes;
    StoreU64(record + kIndexVolumeOffset, volume);
    if (m_WitnessOpen) Witness(kPushIndexes, record, kIndexEntrySize);
}

void MarketReplica::Witness(uint8_t tag, const char* record, size_t size) {
    std::string key(1, static_cast<char>(tag));
    key.append(record, size);
    m_Witnessed.insert(std::move(key));
}

MarketImage MarketReplica::Image() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Image;
}

uint32_t MarketReplica::MarketTime() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Image.MarketTime();
}

std::string MarketReplica::PreviousDigest() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_PreviousDigest;
}

bool MarketReplica::PreviousDigestKnown() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_PreviousDigestKnown;
}

ReplicaCounters MarketReplica::Counters() const {
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Counters;
}

void MarketReplica::OpenWitness() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Witnessed.clear();
    m_WitnessOpen = true;
    m_WitnessTime = m_Image.market.size() == kMarketInfoSize ? LoadU32(&m_Image.market[kMarketTimeOffset]) : 0;
    // The records the replica holds right now count as seen too.
    for (Table table : kAllTables) {
        const uint8_t tag = WitnessTag(table);
        if (tag == 0xFF) continue;
        const RecordBlock& block = m_Image.Of(table);
        for (size_t i = 0; i < block.Count(); ++i) Witness(tag, block.At(i), block.record_size);
    }
}

void MarketReplica::CloseWitness() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_WitnessOpen = false;
    m_Witnessed.clear();
}

}  // namespace zephyr::hostkit
