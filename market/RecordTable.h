// RecordTable<Record>: the typed face of a RecordStore for one packed record type. The record
// type names its growth step and key (kGrowthStep, kKeyOffset, kKeySize). The virtual operations
// come in a fixed order; the results and edge cases are those of RecordStore.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/MLocalSection.h"
#include "market/RecordStore.h"

namespace zephyr {

template <class Record>
class RecordTable {
public:
    static constexpr RecordLayout kLayout{sizeof(Record), Record::kGrowthStep, Record::kKeyOffset,
                                          Record::kKeySize};

    RecordTable() : m_Store(kLayout) {}
    virtual ~RecordTable() = default;
    RecordTable(const RecordTable&) = delete;
    RecordTable& operator=(const RecordTable&) = delete;

    virtual bool Append(const Record* record) { return m_Store.Append(record); }
    virtual bool Put(const Record* record) { return m_Store.Put(record); }
    virtual bool AddIfAbsent(const Record* record) { return m_Store.AddIfAbsent(record); }
    virtual bool Get(Record* out, uint32_t index) { return m_Store.Get(out, index); }
    virtual uint32_t CopyRange(Record* destination, uint32_t start, uint32_t n) {
        return m_Store.CopyRange(destination, start, n);
    }
    virtual void Clear() { m_Store.Clear(); }
    virtual int32_t UpdateAt(const Record* record, uint32_t index) {
        return m_Store.UpdateAt(record, index, false);
    }
    virtual int32_t UpdateByKey(const Record* record) { return m_Store.UpdateByKey(record); }
    virtual uint32_t FrameCount(uint32_t start, uint32_t frame_size) {
        return m_Store.FrameCount(start, frame_size);
    }

    uint32_t Count() { return m_Store.Count(); }
    uint32_t Capacity() { return m_Store.Capacity(); }
    // Pre-allocation by the owner: a zeroed block of capacity records, count 0.
    bool Allocate(uint32_t capacity) { return m_Store.Allocate(capacity); }
    void Release() { m_Store.Release(); }

    // Plain overwrite, no key check: true when index < count.
    bool SetAt(const Record* record, uint32_t index) { return m_Store.SetAt(record, index); }

    // The table rule and table body of the pulled data frames (see RecordStore).
    int32_t FramePlan(uint32_t start, uint32_t frame_size, uint32_t budget, uint8_t* last_flag) {
        return m_Store.FramePlan(start, frame_size, budget, last_flag);
    }
    int32_t FrameFill(uint32_t start, uint32_t frame_number, uint32_t frame_size, void* buffer,
                      uint32_t buffer_length) {
        return m_Store.FrameFill(start, frame_number, frame_size, buffer, buffer_length);
    }

protected:
    Record* RecordLocked(uint32_t index) { return reinterpret_cast<Record*>(m_Store.RecordLocked(index)); }
    // Position of the first record with this 6-byte code (codes are every code table's key),
    // 0xFFFF when absent.
    uint16_t FindCodeImpl(const char* code) {
        if (code == nullptr) return 0xFFFF;
        const int32_t at = m_Store.IndexOfKey(code);
        return at < 0 ? 0xFFFF : static_cast<uint16_t>(at);
    }
    // FindCodeImpl for n codes, stride bytes apart from first, under one hold of the lock.
    void FindCodesImpl(const char* first, size_t stride, uint32_t n, uint16_t* out) {
        MLocalSection guard(m_Store.Section());
        for (uint32_t i = 0; i < n; ++i, first += stride) {
            const int32_t at = m_Store.IndexOfKeyLocked(first);
            out[i] = at < 0 ? 0xFFFF : static_cast<uint16_t>(at);
        }
    }
    // True and a copy of the first record with this 6-byte code.
    bool GetByCodeImpl(Record* out, const char* code) {
        if (out == nullptr || code == nullptr) return false;
        MLocalSection guard(m_Store.Section());
        const int32_t at = m_Store.IndexOfKeyLocked(code);
        if (at < 0) return false;
        *out = *RecordLocked(static_cast<uint32_t>(at));
        return true;
    }
    // Day-end correction of the quote tables (snapshots, index entries): previous close := last
    // price wherever the last price is not 0.
    void RollCloseImpl() {
        MLocalSection guard(m_Store.Section());
        const uint32_t count = m_Store.CountLocked();
        for (uint32_t i = 0; i < count; ++i) {
            Record* r = RecordLocked(i);
            if (r->last != 0) r->previous_close = r->last;
        }
    }

    RecordStore m_Store;
};

}  // namespace zephyr
