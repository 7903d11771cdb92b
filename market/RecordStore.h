// The engine behind every market table: a locked, growable block of fixed-size packed records,
// described by a RecordLayout (record size, growth step, key position). One implementation
// serves all record types; RecordTable<Record> puts a typed face on it.
//
// Contract shared by all operations:
// - every public operation takes the store's own re-entrant lock for its whole duration, except
//   Count, which reads the count without it (the count is written under the lock);
// - index arguments count modulo 65536 (only their low 16 bits are used);
// - keys compare as raw bytes; Put, AddIfAbsent, UpdateByKey and IndexOfKey act on the first
//   record in table order whose key matches (Append may have added duplicates);
// - growth: an append into a full store allocates capacity + growth step records (zero-filled),
//   copies the records over and frees the old block; a growth step of 0 means the store never
//   grows. A failed growth leaves the store unchanged and the append reports false.
// - searches by key go through a KeyIndex kept in step with the rows; whoever writes a record
//   through RecordLocked must not change its key (or must call KeysChangedLocked).
#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "market/KeyIndex.h"

namespace zephyr {

struct RecordLayout {
    uint32_t record_size;
    uint32_t growth_step;
    uint32_t key_offset;
    uint32_t key_size;
};

class RecordStore {
public:
    explicit RecordStore(const RecordLayout& layout);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    const RecordLayout& Layout() const { return m_Layout; }

    // Replaces the storage by a zeroed block of capacity records; count 0. False (storage and
    // records unchanged) when the block cannot be allocated.
    bool Allocate(uint32_t capacity);
    // Frees the storage; count and capacity 0.
    void Release();

    uint32_t Count();
    uint32_t Capacity();

    // False when record is null or the store cannot grow.
    bool Append(const void* record);
    // Overwrites the first record with the same key, else appends.
    bool Put(const void* record);
    // True without change when the key is present, else appends.
    bool AddIfAbsent(const void* record);
    // True and a copy when index < count.
    bool Get(void* out, uint32_t index);
    // Copies min(n, count - start) records from start; returns that number (0 when start >= count).
    uint32_t CopyRange(void* destination, uint32_t start, uint32_t n);
    // Count 0; the storage is kept.
    void Clear();
    // -1 when index >= count (or record is null, or check_key is set and the stored record's key
    // differs); 0 when the stored record is byte-identical; 1 after overwriting.
    int32_t UpdateAt(const void* record, uint32_t index, bool check_key);
    // -1 when no record has the key; 0 when record is null or identical; 1 after overwriting.
    int32_t UpdateByKey(const void* record);
    // Stores n records (record_size apart) at their places under one hold of the lock, in order:
    // a record whose place is below offset is stored by its key (UpdateByKey), any other at
    // place - offset (UpdateAt). results[i] receives what that call would have answered.
    // The number of records that changed the store.
    uint32_t UpdateAtPlaces(const void* records, const uint16_t* places, uint32_t n, uint32_t offset,
                            bool check_key, int8_t* results);
    // Frames of frame_size bytes needed for records start..count-1; 0 when start >= count or a
    // frame holds no whole record.
    uint32_t FrameCount(uint32_t start, uint32_t frame_size);
    // Plain overwrite without key check; true when index < count.
    bool SetAt(const void* record, uint32_t index);
    // Position of the first record whose key equals key (key_size bytes), or -1.
    int32_t IndexOfKey(const void* key);

    // Pulled data frames (the host's GetDataFrameCount / GetOneDataFrame for one table), each
    // computed in one locked step.
    // FramePlan: k = frame_size / record_size records per frame; k = 0 answers 0 and leaves
    // *last_flag alone. Otherwise the budget allows m = (budget / frame_size) * k records; r =
    // records from start on (0 when start is past the end); *last_flag = (r <= m); answers
    // ceil(min(r, m) / k), at least 1.
    int32_t FramePlan(uint32_t start, uint32_t frame_size, uint32_t budget, uint8_t* last_flag);
    // FrameFill: frame frame_number of the series beginning at start. Writes u16 (index after the
    // last record carried) and the records [first, first + n), first = start + frame_number * k,
    // n = min(k, count - first), and answers 2 + n * record_size. A first beyond the end gives an
    // empty frame (u16 first, no record). Answers 0 and writes nothing when k = 0, the buffer is
    // null, buffer_length < frame_size, or buffer_length cannot hold the frame.
    int32_t FrameFill(uint32_t start, uint32_t frame_number, uint32_t frame_size, void* buffer,
                      uint32_t buffer_length);

    // For the typed tables' own operations: the lock, and record access while holding it.
    MCriticalSection& Section() { return m_Lock; }
    uint32_t CountLocked() const { return m_Count.load(std::memory_order_relaxed); }
    uint8_t* RecordLocked(uint32_t index) { return m_Data + static_cast<size_t>(index) * m_Layout.record_size; }
    int32_t IndexOfKeyLocked(const void* key);
    // Position of the first record whose key starts with the first compare bytes of key (at
    // least KeyIndex::kHashedBytes, or the whole key when it is shorter), or -1.
    int32_t IndexOfKeyPrefixLocked(const void* key, uint32_t compare);
    bool AppendLocked(const void* record);
    void KeysChangedLocked() { m_Keys.Invalidate(); }

private:
    bool GrowLocked();
    // Overwrites the record at index (< count), keeping the key index in step.
    void WriteLocked(uint32_t index, const void* record);
    int32_t UpdateAtLocked(const void* record, uint32_t index, bool check_key);
    int32_t UpdateByKeyLocked(const void* record);

    const RecordLayout m_Layout;
    MCriticalSection m_Lock;
    uint8_t* m_Data;
    std::atomic<uint32_t> m_Count;
    uint32_t m_Capacity;
    KeyIndex m_Keys;
};

}  // namespace zephyr
