// A hash from record keys to the rows that carry them, so that a record store finds a key in
// constant time on average instead of scanning every row. It hashes only the first
// kHashedBytes bytes of a key (all of a shorter key), so a search that compares just that prefix
// (the short-name lookup compares five bytes of a code) walks the same chains.
//
// The index holds no lock and no records: its store calls it under the store's own lock and
// hands it the rows. The store reports every appended row and invalidates the index whenever a
// key at a row may have changed (overwrites, clearing, new storage); the next search then
// rebuilds it in one pass over the rows. Without memory for a rebuild a search scans the rows.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zephyr {

class KeyIndex {
public:
    static constexpr uint32_t kHashedBytes = 5;

    KeyIndex(uint32_t record_size, uint32_t key_offset, uint32_t key_size);
    ~KeyIndex();
    KeyIndex(const KeyIndex&) = delete;
    KeyIndex& operator=(const KeyIndex&) = delete;

    void Invalidate() { m_Valid = false; }
    // Frees the index's memory (it is then invalid).
    void Release();
    // Row `row` was appended behind every other row of records.
    void Appended(const uint8_t* records, uint32_t row);
    // The first row of records[0, count) whose key starts with the compare bytes of key
    // (compare is at least the hashed prefix and at most the key size), or -1.
    int32_t Find(const uint8_t* records, uint32_t count, const void* key, uint32_t compare);

private:
    // The full hash; a bucket is its low bits.
    uint32_t Hash(const uint8_t* key) const;
    bool Rebuild(const uint8_t* records, uint32_t count);
    const uint8_t* KeyOf(const uint8_t* records, uint32_t row) const {
        return records + static_cast<size_t>(row) * m_RecordSize + m_KeyOffset;
    }

    const uint32_t m_RecordSize;
    const uint32_t m_KeyOffset;
    const uint32_t m_KeySize;
    const uint32_t m_Hashed;
    // Chains run from m_Heads[bucket] through m_Next[row] in descending row order; kEnd ends one.
    // m_Hashes[row] holds the row's full hash, so that a chain is walked without reading the
    // records of other keys (in a full market each such read is a cache miss).
    uint32_t* m_Heads = nullptr;
    uint32_t* m_Next = nullptr;
    uint32_t* m_Hashes = nullptr;
    uint32_t m_Mask = 0;
    uint32_t m_Rows = 0;  // rows m_Next has room for
    bool m_Valid = false;
};

}  // namespace zephyr
