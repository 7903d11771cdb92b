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
    : m_RecordSize(record_size),
      m_KeyOffset(key_offset),
      m_KeySize(key_size),
      m_Hashed(key_size < kHashedBytes ? key_size : kHashedBytes) {}

KeyIndex::~KeyIndex() { Release(); }

void KeyIndex::Release() {
    std::free(m_Heads);
    std::free(m_Next);
    std::free(m_Hashes);
    m_Heads = m_Next = m_Hashes = nullptr;
    m_Mask = m_Rows = 0;
    m_Valid = false;
}

uint32_t KeyIndex::Hash(const uint8_t* key) const {
    // The hashed bytes as one number, mixed by one multiplication: every search and every
    // appended row pays for this, a level-2 record and a file line each at least once.
    uint64_t bytes = 0;
    for (uint32_t i = 0; i < m_Hashed; ++i) bytes |= uint64_t{key[i]} << (8 * i);
    const uint64_t mixed = (bytes + 1) * 0x9E3779B97F4A7C15ull;
    const uint32_t h = static_cast<uint32_t>(mixed >> 29);
    return h ^ (h >> 15);
}

bool KeyIndex::Rebuild(const uint8_t* records, uint32_t count) {
    // Room for half as many rows again, so that appends between rebuilds cost amortised O(1).
    const uint32_t rows = count + count / 2 + kMinRows;
    uint32_t buckets = kMinRows;
    while (buckets < rows / 2) buckets <<= 1;
    if (rows > m_Rows || buckets - 1 != m_Mask) {
        Release();
        m_Heads = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(buckets) * sizeof(uint32_t)));
        m_Next = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(rows) * sizeof(uint32_t)));
        m_Hashes = static_cast<uint32_t*>(std::malloc(static_cast<size_t>(rows) * sizeof(uint32_t)));
        if (m_Heads == nullptr || m_Next == nullptr || m_Hashes == nullptr) {
            Release();
            return false;
        }
        m_Rows = rows;
        m_Mask = buckets - 1;
    }
    std::memset(m_Heads, 0xFF, static_cast<size_t>(m_Mask + 1) * sizeof(uint32_t));
    m_Valid = true;
    for (uint32_t row = 0; row < count; ++row) Appended(records, row);
    return true;
}

void KeyIndex::Appended(const uint8_t* records, uint32_t row) {
    if (!m_Valid) return;
    if (row >= m_Rows) {
        m_Valid = false;  // the next search sizes the index anew
        return;
    }
    const uint32_t hash = Hash(KeyOf(records, row));
    m_Hashes[row] = hash;
    m_Next[row] = m_Heads[hash & m_Mask];
    m_Heads[hash & m_Mask] = row;
}

int32_t KeyIndex::Find(const uint8_t* records, uint32_t count, const void* key, uint32_t compare) {
    if (records == nullptr || count == 0) return -1;
    if (compare > m_KeySize) compare = m_KeySize;
    if (compare < m_Hashed || (!m_Valid && !Rebuild(records, count))) {
        for (uint32_t row = 0; row < count; ++row) {
            if (std::memcmp(KeyOf(records, row), key, compare) == 0) return static_cast<int32_t>(row);
        }
        return -1;
    }
    // Descending chain: the last match met is the first in table order.
    const uint8_t* wanted = static_cast<const uint8_t*>(key);
    const uint32_t hash = Hash(wanted);
    int32_t found = -1;
    for (uint32_t row = m_Heads[hash & m_Mask]; row != kEnd; row = m_Next[row]) {
        if (m_Hashes[row] == hash && row < count && SameBytes(KeyOf(records, row), wanted, compare)) {
            found = static_cast<int32_t>(row);
        }
    }
    return found;
}

}  // namespace zephyr
