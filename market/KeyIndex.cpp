#include "market/KeyIndex.h"

#include <cstdlib>
#include <cstring>

namespace zephyr {

namespace {

constexpr uint32_t kEnd = 0xFFFFFFFFu;
constexpr uint32_t kMinRows = 64;

// Keys are a few bytes: a plain loop beats a call of memcmp.
inline bool SameBytes(const uint8_t* a, const uint8_t* b, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return false;
    }
    return true;
}

}  // namespace

KeyIndex::KeyIndex(uint32_t record_size, uint32_t key_offset, uint32_t key_size)
    : record_size_(record_size),
      key_offset_(key_offset),
      key_size_(key_size),
      hashed_(key_size < kHashedBytes ? key_size : kHashedBytes) {}

KeyIndex::~KeyIndex() { Release(); }

void KeyIndex::Release() {
    std::free(heads_);
    std::free(next_);
    std::free(hashes_);
    heads_ = next_ = hashes_ = nullptr;
    mask_ = rows_ = 0;
    valid_ = false;
}

uint32_t KeyIndex::Hash(const uint8_t* key) const {
    uint32_t h = 2166136261u;
    for (uint32_t i = 0; i < hashed_; ++i) h = (h ^ key[i]) * 16777619u;
    return h ^ (h >> 15);
}

bool KeyIndex::Rebuild(const uint8_t* records, uint32_t count) {
    // Room for half as many rows again, so that appends between rebuilds cost amortised O(1).
    const uint32_t rows = count + count / 2 + kMinRows;
    uint32_t buckets = kMinRows;
    while (buckets < rows / 2) buckets <<= 1;
    if (rows > rows_ || buckets - 1 != mask_) {
        Release();
        heads_ = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(buckets) * sizeof(uint32_t)));
        next_ = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(rows) * sizeof(uint32_t)));
        hashes_ = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(rows) * sizeof(uint32_t)));
        if (heads_ == nullptr || next_ == nullptr || hashes_ == nullptr) {
            Release();
            return false;
        }
        rows_ = rows;
        mask_ = buckets - 1;
    }
    std::memset(heads_, 0xFF, static_cast<size_t>(mask_ + 1) * sizeof(uint32_t));
    valid_ = true;
    for (uint32_t row = 0; row < count; ++row) Appended(records, row);
    return true;
}

void KeyIndex::Appended(const uint8_t* records, uint32_t row) {
    if (!valid_) return;
    if (row >= rows_) {
        valid_ = false;  // the next search sizes the index anew
        return;
    }
    const uint32_t hash = Hash(KeyOf(records, row));
    hashes_[row] = hash;
    next_[row] = heads_[hash & mask_];
    heads_[hash & mask_] = row;
}

int32_t KeyIndex::Find(const uint8_t* records, uint32_t count, const void* key, uint32_t compare) {
    if (records == nullptr || count == 0) return -1;
    if (compare > key_size_) compare = key_size_;
    if (compare < hashed_ || (!valid_ && !Rebuild(records, count))) {
        for (uint32_t row = 0; row < count; ++row) {
            if (std::memcmp(KeyOf(records, row), key, compare) == 0) return static_cast<int32_t>(row);
        }
        return -1;
    }
    // Descending chain: the last match met is the first in table order.
    const uint8_t* wanted = static_cast<const uint8_t*>(key);
    const uint32_t hash = Hash(wanted);
    int32_t found = -1;
    for (uint32_t row = heads_[hash & mask_]; row != kEnd; row = next_[row]) {
        if (hashes_[row] == hash && row < count && SameBytes(KeyOf(records, row), wanted, compare)) {
            found = static_cast<int32_t>(row);
        }
    }
    return found;
}

}  // namespace zephyr
