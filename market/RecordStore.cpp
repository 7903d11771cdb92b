#include "market/RecordStore.h"

#include <cstdlib>
#include <cstring>

#include "foundation/MLocalSection.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {
inline uint32_t Index16(uint32_t index) { return index & 0xFFFFu; }
}  // namespace

RecordStore::RecordStore(const RecordLayout& layout)
    : m_Layout(layout),
      m_Data(nullptr),
      m_Count(0),
      m_Capacity(0),
      m_Keys(layout.record_size, layout.key_offset, layout.key_size) {}

RecordStore::~RecordStore() { std::free(m_Data); }

bool RecordStore::Allocate(uint32_t capacity) {
    MLocalSection guard(m_Lock);
    uint8_t* block = nullptr;
    if (capacity > 0) {
        block = static_cast<uint8_t*>(std::calloc(capacity, m_Layout.record_size));
        if (block == nullptr) return false;
    }
    std::free(m_Data);
    m_Data = block;
    m_Capacity = capacity;
    m_Count = 0;
    m_Keys.Invalidate();
    return true;
}

void RecordStore::Release() {
    MLocalSection guard(m_Lock);
    std::free(m_Data);
    m_Data = nullptr;
    m_Capacity = 0;
    m_Count = 0;
    m_Keys.Release();
}

uint32_t RecordStore::Count() { return m_Count.load(std::memory_order_acquire); }

uint32_t RecordStore::Capacity() {
    MLocalSection guard(m_Lock);
    return m_Capacity;
}

bool RecordStore::GrowLocked() {
    const uint32_t step = m_Layout.growth_step;
    if (step == 0 || m_Capacity > UINT32_MAX - step) return false;
    const uint32_t capacity = m_Capacity + step;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(capacity, m_Layout.record_size));
    if (block == nullptr) return false;
    if (m_Count > 0) std::memcpy(block, m_Data, static_cast<size_t>(m_Count) * m_Layout.record_size);
    std::free(m_Data);
    m_Data = block;
    m_Capacity = capacity;
    return true;
}

bool RecordStore::AppendLocked(const void* record) {
    if (record == nullptr) return false;
    if (m_Count == m_Capacity && !GrowLocked()) return false;
    std::memcpy(RecordLocked(m_Count), record, m_Layout.record_size);
    m_Keys.Appended(m_Data, m_Count);
    ++m_Count;
    return true;
}

void RecordStore::WriteLocked(uint32_t index, const void* record) {
    uint8_t* stored = RecordLocked(index);
    if (std::memcmp(stored + m_Layout.key_offset, static_cast<const uint8_t*>(record) + m_Layout.key_offset,
                    m_Layout.key_size) != 0) {
        m_Keys.Invalidate();
    }
    std::memcpy(stored, record, m_Layout.record_size);
}

int32_t RecordStore::IndexOfKeyLocked(const void* key) {
    return IndexOfKeyPrefixLocked(key, m_Layout.key_size);
}

int32_t RecordStore::IndexOfKeyPrefixLocked(const void* key, uint32_t compare) {
    if (m_Data == nullptr || key == nullptr) return -1;  // never allocated: no record
    return m_Keys.Find(m_Data, m_Count, key, compare);
}

bool RecordStore::Append(const void* record) {
    MLocalSection guard(m_Lock);
    return AppendLocked(record);
}

bool RecordStore::Put(const void* record) {
    if (record == nullptr) return false;
    MLocalSection guard(m_Lock);
    const int32_t at = IndexOfKeyLocked(static_cast<const uint8_t*>(record) + m_Layout.key_offset);
    if (at >= 0) {
        std::memcpy(RecordLocked(static_cast<uint32_t>(at)), record, m_Layout.record_size);
        return true;
    }
    return AppendLocked(record);
}

bool RecordStore::AddIfAbsent(const void* record) {
    if (record == nullptr) return false;
    MLocalSection guard(m_Lock);
    if (IndexOfKeyLocked(static_cast<const uint8_t*>(record) + m_Layout.key_offset) >= 0) return true;
    return AppendLocked(record);
}

bool RecordStore::Get(void* out, uint32_t index) {
    if (out == nullptr) return false;
    index = Index16(index);
    MLocalSection guard(m_Lock);
    if (index >= m_Count) return false;
    std::memcpy(out, RecordLocked(index), m_Layout.record_size);
    return true;
}

uint32_t RecordStore::CopyRange(void* destination, uint32_t start, uint32_t n) {
    if (destination == nullptr) return 0;
    start = Index16(start);
    MLocalSection guard(m_Lock);
    if (start >= m_Count) return 0;
    const uint32_t copied = n < m_Count - start ? n : m_Count - start;
    std::memcpy(destination, RecordLocked(start), static_cast<size_t>(copied) * m_Layout.record_size);
    return copied;
}

void RecordStore::Clear() {
    MLocalSection guard(m_Lock);
    m_Count = 0;
    m_Keys.Invalidate();
}

int32_t RecordStore::UpdateAt(const void* record, uint32_t index, bool check_key) {
    if (record == nullptr) return -1;
    MLocalSection guard(m_Lock);
    return UpdateAtLocked(record, index, check_key);
}

int32_t RecordStore::UpdateAtLocked(const void* record, uint32_t index, bool check_key) {
    index = Index16(index);
    if (index >= m_Count) return -1;
    uint8_t* stored = RecordLocked(index);
    if (check_key && std::memcmp(stored + m_Layout.key_offset,
                                 static_cast<const uint8_t*>(record) + m_Layout.key_offset,
                                 m_Layout.key_size) != 0) {
        return -1;
    }
    if (std::memcmp(stored, record, m_Layout.record_size) == 0) return 0;
    WriteLocked(index, record);
    return 1;
}

int32_t RecordStore::UpdateByKey(const void* record) {
    if (record == nullptr) return 0;
    MLocalSection guard(m_Lock);
    return UpdateByKeyLocked(record);
}

int32_t RecordStore::UpdateByKeyLocked(const void* record) {
    const int32_t at = IndexOfKeyLocked(static_cast<const uint8_t*>(record) + m_Layout.key_offset);
    if (at < 0) return -1;
    uint8_t* stored = RecordLocked(static_cast<uint32_t>(at));
    if (std::memcmp(stored, record, m_Layout.record_size) == 0) return 0;
    std::memcpy(stored, record, m_Layout.record_size);
    return 1;
}

uint32_t RecordStore::UpdateAtPlaces(const void* records, const uint16_t* places, uint32_t n, uint32_t offset,
                                     bool check_key, int8_t* results) {
    if (records == nullptr || places == nullptr || results == nullptr) return 0;
    const uint8_t* record = static_cast<const uint8_t*>(records);
    uint32_t changed = 0;
    MLocalSection guard(m_Lock);
    for (uint32_t i = 0; i < n; ++i, record += m_Layout.record_size) {
        const int32_t result = places[i] < offset ? UpdateByKeyLocked(record)
                                                  : UpdateAtLocked(record, places[i] - offset, check_key);
        results[i] = static_cast<int8_t>(result);
        if (result > 0) ++changed;
    }
    return changed;
}

uint32_t RecordStore::FrameCount(uint32_t start, uint32_t frame_size) {
    const uint32_t per_frame = frame_size / m_Layout.record_size;
    if (per_frame == 0) return 0;
    start = Index16(start);
    MLocalSection guard(m_Lock);
    if (start >= m_Count) return 0;
    const uint32_t remaining = m_Count - start;
    return remaining / per_frame + (remaining % per_frame != 0 ? 1 : 0);
}

bool RecordStore::SetAt(const void* record, uint32_t index) {
    if (record == nullptr) return false;
    index = Index16(index);
    MLocalSection guard(m_Lock);
    if (index >= m_Count) return false;
    WriteLocked(index, record);
    return true;
}

int32_t RecordStore::IndexOfKey(const void* key) {
    if (key == nullptr) return -1;
    MLocalSection guard(m_Lock);
    return IndexOfKeyLocked(key);
}

int32_t RecordStore::FramePlan(uint32_t start, uint32_t frame_size, uint32_t budget,
                               uint8_t* last_flag) {
    const uint32_t per_frame = frame_size / m_Layout.record_size;
    if (per_frame == 0) return 0;
    uint8_t last = 0;
    uint32_t records;
    {
        MLocalSection guard(m_Lock);
        const uint64_t allowed = static_cast<uint64_t>(budget / frame_size) * per_frame;
        const uint32_t remaining = start < m_Count ? m_Count - start : 0;
        if (remaining <= allowed) last = 1;
        records = remaining <= allowed ? remaining : static_cast<uint32_t>(allowed);
    }
    if (last_flag != nullptr) *last_flag = last;
    const uint32_t frames = records / per_frame + (records % per_frame != 0 ? 1 : 0);
    return frames == 0 ? 1 : static_cast<int32_t>(frames);
}

int32_t RecordStore::FrameFill(uint32_t start, uint32_t frame_number, uint32_t frame_size,
                               void* buffer, uint32_t buffer_length) {
    const uint32_t per_frame = frame_size / m_Layout.record_size;
    if (per_frame == 0 || buffer == nullptr || buffer_length == 0 || buffer_length < frame_size) {
        return 0;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    MLocalSection guard(m_Lock);
    const uint64_t first = static_cast<uint64_t>(start) + static_cast<uint64_t>(frame_number) * per_frame;
    uint32_t n = 0;
    if (first < m_Count) {
        const uint32_t remaining = m_Count - static_cast<uint32_t>(first);
        n = remaining < per_frame ? remaining : per_frame;
    }
    const uint64_t length = 2 + static_cast<uint64_t>(n) * m_Layout.record_size;
    if (length > buffer_length) return 0;
    StoreLe<uint16_t>(out, static_cast<uint16_t>(first + n));
    if (n > 0) {
        std::memcpy(out + 2, RecordLocked(static_cast<uint32_t>(first)),
                    static_cast<size_t>(n) * m_Layout.record_size);
    }
    return static_cast<int32_t>(length);
}

}  // namespace zephyr
