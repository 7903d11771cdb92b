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
    std::lock_guard<std::mutex> lock(mutex_);
    previous_digest_known_ = image_.market.size() == kMarketInfoSize;
    if (previous_digest_known_) previous_digest_ = image_.market.substr(kDigestOffset, kDigestSize);
    image_ = MarketImage();
    loaded_ = false;
    queue_.clear();
    queued_bytes_ = 0;
    queue_overflowed_ = false;
    snapshot_index_.clear();
    index_index_.clear();
    status_index_.clear();
    ++generation_;
    ++counters_.resets;
}

bool MarketReplica::Install(MarketImage image, uint64_t generation) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (generation != generation_) return false;
    if (queue_overflowed_) {
        queue_.clear();
        queued_bytes_ = 0;
        queue_overflowed_ = false;
        return false;
    }
    image_ = std::move(image);
    RebuildIndexes();
    loaded_ = true;
    std::string error;
    bool ok = true;
    for (const std::string& push : queue_) ApplyLocked(push.data(), push.size(), &error, &ok);
    queue_.clear();
    queue_.shrink_to_fit();
    queued_bytes_ = 0;
    queue_overflowed_ = false;
    ++counters_.installs;
    return true;
}

uint64_t MarketReplica::Generation() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return generation_;
}

bool MarketReplica::Loaded() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return loaded_;
}

bool MarketReplica::ApplyPush(const char* data, size_t length, std::string* error) {
    std::lock_guard<std::mutex> lock(mutex_);
    ++counters_.pushes;
    if (!loaded_) {
        // Queued pushes are decoded when applied; count their frames now all the same.
        if (queued_bytes_ + length > kLargestQueue) {
            queue_overflowed_ = true;
        } else {
            queue_.emplace_back(data, length);
            queued_bytes_ += length;
        }
        bool understood = DecodePush(data, length, &decoded_);
        for (const PushFrame& frame : decoded_.frames) {
            if (frame.type < 6) ++counters_.frames[frame.type];
            if (frame.type == kPushSnapshots) counters_.snapshot_records += frame.records;
        }
        if (!understood) {
            ++counters_.bad_pushes;
            if (error != nullptr) *error = decoded_.error;
        }
        return understood;
    }
    bool ok = true;
    std::string reason;
    ApplyLocked(data, length, &reason, &ok);
    if (!ok) {
        ++counters_.bad_pushes;
        if (error != nullptr) *error = reason;
    }
    return ok;
}

void MarketReplica::ApplyLocked(const char* data, size_t length, std::string* error, bool* ok) {
    const bool counting = loaded_ && queue_.empty();
    const bool understood = DecodePush(data, length, &decoded_);
    if (!understood) {
        *ok = false;
        *error = decoded_.error;
    }
    if (image_.market.size() == kMarketInfoSize && length >= 4) {
        const uint32_t now = LoadU32(&image_.market[kMarketTimeOffset]);
        // The market time only grows within a day; flushes on two threads may arrive crossed.
        if (decoded_.market_time > now) StoreU32(&image_.market[kMarketTimeOffset], decoded_.market_time);
    }
    for (const PushFrame& frame : decoded_.frames) {
        if (counting) {
            ++counters_.frames[frame.type];
            if (frame.type == kPushSnapshots) counters_.snapshot_records += frame.records;
        }
        const size_t size = PushRecordSize(frame.type);
        for (size_t r = 0; r < frame.records; ++r) {
            const char* record = frame.payload + r * size;
            switch (frame.type) {
                case kPushMarketHeader:
                    if (image_.market.size() == kMarketInfoSize) {
                        image_.market[0] = record[0];
                        std::memcpy(&image_.market[2], record + 1, 4);
                        const uint32_t time = LoadU32(record + 5);
                        if (time > LoadU32(&image_.market[kMarketTimeOffset])) {
                            StoreU32(&image_.market[kMarketTimeOffset], time);
                        }
                        image_.market[1] = record[9];
                    }
                    break;
                case kPushSnapshots:
                    PutKeyed(Table::kSnapshots, &snapshot_index_, record, kPushSnapshots);
                    if (updated_codes_.emplace(record, strnlen(record, 6)).second) ++counters_.codes_updated;
                    break;
                case kPushIndexes:
                    PutKeyed(Table::kIndexes, &index_index_, record, kPushIndexes);
                    ++counters_.index_records;
                    break;
                case kPushProductStatus:
                    PutKeyed(Table::kProductStatus, &status_index_, record, kPushProductStatus);
                    ++counters_.status_records;
                    break;
                case kPushQuotaStatus:
                    image_.Of(Table::kQuotaStatus).bytes.assign(record, size);
                    if (witness_open_) Witness(kPushQuotaStatus, record, size);
                    break;
                default:
                    break;
            }
        }
    }
}

void MarketReplica::PutKeyed(Table table, Index* index, const char* record, uint8_t witness_tag) {
    RecordBlock& block = image_.Of(table);
    const std::string key(record, kCodeLength);
    auto found = index->find(key);
    if (found != index->end()) {
        std::memcpy(block.At(found->second), record, block.record_size);
    } else {
        // The driver places a record it cannot find by code at the end of the table.
        index->emplace(key, block.Count());
        block.bytes.append(record, block.record_size);
        ++counters_.added_records;
    }
    if (witness_open_) Witness(witness_tag, record, block.record_size);
}

void MarketReplica::RebuildIndexes() {
    const std::pair<Table, Index*> keyed[] = {{Table::kSnapshots, &snapshot_index_},
                                              {Table::kIndexes, &index_index_},
                                              {Table::kProductStatus, &status_index_}};
    for (const auto& [table, index] : keyed) {
        index->clear();
        const RecordBlock& block = image_.Of(table);
        for (size_t i = 0; i < block.Count(); ++i) {
            index->emplace(std::string(block.At(i), kCodeLength), i);  // first match wins
        }
    }
}

void MarketReplica::ApplyMarketVolume(uint64_t volume) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = index_index_.find(std::string(kMarketVolumeCode, kCodeLength));
    if (!loaded_ || found == index_index_.end()) return;
    char* record = image_.Of(Table::kIndexes).At(found->second);
    StoreU64(record + kIndexVolumeOffset, volume);
    if (witness_open_) Witness(kPushIndexes, record, kIndexEntrySize);
}

void MarketReplica::Witness(uint8_t tag, const char* record, size_t size) {
    std::string key(1, static_cast<char>(tag));
    key.append(record, size);
    witnessed_.insert(std::move(key));
}

MarketImage MarketReplica::Image() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return image_;
}

std::string MarketReplica::PreviousDigest() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return previous_digest_;
}

bool MarketReplica::PreviousDigestKnown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return previous_digest_known_;
}

ReplicaCounters MarketReplica::Counters() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return counters_;
}

void MarketReplica::OpenWitness() {
    std::lock_guard<std::mutex> lock(mutex_);
    witnessed_.clear();
    witness_open_ = true;
    // The records the replica holds right now count as seen too.
    for (Table table : kAllTables) {
        const uint8_t tag = WitnessTag(table);
        if (tag == 0xFF) continue;
        const RecordBlock& block = image_.Of(table);
        for (size_t i = 0; i < block.Count(); ++i) Witness(tag, block.At(i), block.record_size);
    }
}

void MarketReplica::CloseWitness() {
    std::lock_guard<std::mutex> lock(mutex_);
    witness_open_ = false;
    witnessed_.clear();
}

}  // namespace zephyr::hostkit
