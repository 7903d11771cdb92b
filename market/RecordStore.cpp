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
    : layout_(layout),
      data_(nullptr),
      count_(0),
      capacity_(0),
      keys_(layout.record_size, layout.key_offset, layout.key_size) {}

RecordStore::~RecordStore() { std::free(data_); }

bool RecordStore::Allocate(uint32_t capacity) {
    MLocalSection guard(lock_);
    uint8_t* block = nullptr;
    if (capacity > 0) {
        block = static_cast<uint8_t*>(std::calloc(capacity, layout_.record_size));
        if (block == nullptr) return false;
    }
    std::free(data_);
    data_ = block;
    capacity_ = capacity;
    count_ = 0;
    keys_.Invalidate();
    return true;
}

void RecordStore::Release() {
    MLocalSection guard(lock_);
    std::free(data_);
    data_ = nullptr;
    capacity_ = 0;
    count_ = 0;
    keys_.Release();
}

uint32_t RecordStore::Count() { return count_.load(std::memory_order_acquire); }

uint32_t RecordStore::Capacity() {
    MLocalSection guard(lock_);
    return capacity_;
}

bool RecordStore::GrowLocked() {
    const uint32_t step = layout_.growth_step;
    if (step == 0 || capacity_ > UINT32_MAX - step) return false;
    const uint32_t capacity = capacity_ + step;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(capacity, layout_.record_size));
    if (block == nullptr) return false;
    if (count_ > 0) std::memcpy(block, data_, static_cast<size_t>(count_) * layout_.record_size);
    std::free(data_);
    data_ = block;
    capacity_ = capacity;
    return true;
}

bool RecordStore::AppendLocked(const void* record) {
    if (record == nullptr) return false;
    if (count_ == capacity_ && !GrowLocked()) return false;
    std::memcpy(RecordLocked(count_), record, layout_.record_size);
    keys_.Appended(data_, count_);
    ++count_;
    return true;
}

void RecordStore::WriteLocked(uint32_t index, const void* record) {
    uint8_t* stored = RecordLocked(index);
    if (std::memcmp(stored + layout_.key_offset, static_cast<const uint8_t*>(record) + layout_.key_offset,
                    layout_.key_size) != 0) {
        keys_.Invalidate();
    }
    std::memcpy(stored, record, layout_.record_size);
}

int32_t RecordStore::IndexOfKeyLocked(const void* key) {
    return IndexOfKeyPrefixLocked(key, layout_.key_size);
}

int32_t RecordStore::IndexOfKeyPrefixLocked(const void* key, uint32_t compare) {
    if (data_ == nullptr || key == nullptr) return -1;  // never allocated: no record
    return keys_.Find(data_, count_, key, compare);
}

bool RecordStore::Append(const void* record) {
    MLocalSection guard(lock_);
    return AppendLocked(record);
}

bool RecordStore::Put(const void* record) {
    if (record == nullptr) return false;
    MLocalSection guard(lock_);
    const int32_t at = IndexOfKeyLocked(static_cast<const uint8_t*>(record) + layout_.key_offset);
    if (at >= 0) {
        std::memcpy(RecordLocked(static_cast<uint32_t>(at)), record, layout_.record_size);
        return true;
    }
    return AppendLocked(record);
}

bool RecordStore::AddIfAbsent(const void* record) {
    if (record == nullptr) return false;
    MLocalSection guard(lock_);
    if (IndexOfKeyLocked(static_cast<const uint8_t*>(record) + layout_.key_offset) >= 0) return true;
    return AppendLocked(record);
}

bool RecordStore::Get(void* out, uint32_t index) {
    if (out == nullptr) return false;
    index = Index16(index);
    MLocalSection guard(lock_);
    if (index >= count_) return false;
    std::memcpy(out, RecordLocked(index), layout_.record_size);
    return true;
}

uint32_t RecordStore::CopyRange(void* destination, uint32_t start, uint32_t n) {
    if (destination == nullptr) return 0;
    start = Index16(start);
    MLocalSection guard(lock_);
    if (start >= count_) return 0;
    const uint32_t copied = n < count_ - start ? n : count_ - start;
    std::memcpy(destination, RecordLocked(start), static_cast<size_t>(copied) * layout_.record_size);
    return copied;
}

void RecordStore::Clear() {
    MLocalSection guard(lock_);
    count_ = 0;
    keys_.Invalidate();
}

int32_t RecordStore::UpdateAt(const void* record, uint32_t index, bool check_key) {
    if (record == nullptr) return -1;
    index = Index16(index);
    MLocalSection guard(lock_);
    if (index >= count_) return -1;
    uint8_t* stored = RecordLocked(index);
    if (check_key && std::memcmp(stored + layout_.key_offset,
                                 static_cast<const uint8_t*>(record) + layout_.key_offset,
                                 layout_.key_size) != 0) {
        return -1;
    }
    if (std::memcmp(stored, record, layout_.record_size) == 0) return 0;
    WriteLocked(index, record);
    return 1;
}

int32_t RecordStore::UpdateByKey(const void* record) {
    if (record == nullptr) return 0;
    MLocalSection guard(lock_);
    const int32_t at = IndexOfKeyLocked(static_cast<const uint8_t*>(record) + layout_.key_offset);
    if (at < 0) return -1;
    uint8_t* stored = RecordLocked(static_cast<uint32_t>(at));
    if (std::memcmp(stored, record, layout_.record_size) == 0) return 0;
    std::memcpy(stored, record, layout_.record_size);
    return 1;
}

uint32_t RecordStore::FrameCount(uint32_t start, uint32_t frame_size) {
    const uint32_t per_frame = frame_size / layout_.record_size;
    if (per_frame == 0) return 0;
    start = Index16(start);
    MLocalSection guard(lock_);
    if (start >= count_) return 0;
    const uint32_t remaining = count_ - start;
    return remaining / per_frame + (remaining % per_frame != 0 ? 1 : 0);
}

bool RecordStore::SetAt(const void* record, uint32_t index) {
    if (record == nullptr) return false;
    index = Index16(index);
    MLocalSection guard(lock_);
    if (index >= count_) return false;
    WriteLocked(index, record);
    return true;
}

int32_t RecordStore::IndexOfKey(const void* key) {
    if (key == nullptr) return -1;
    MLocalSection guard(lock_);
    return IndexOfKeyLocked(key);
}

int32_t RecordStore::FramePlan(uint32_t start, uint32_t frame_size, uint32_t budget,
                               uint8_t* last_flag) {
    const uint32_t per_frame = frame_size / layout_.record_size;
    if (per_frame == 0) return 0;
    uint8_t last = 0;
    uint32_t records;
    {
        MLocalSection guard(lock_);
        const uint64_t allowed = static_cast<uint64_t>(budget / frame_size) * per_frame;
        const uint32_t remaining = start < count_ ? count_ - start : 0;
        if (remaining <= allowed) last = 1;
        records = remaining <= allowed ? remaining : static_cast<uint32_t>(allowed);
    }
    if (last_flag != nullptr) *last_flag = last;
    const uint32_t frames = records / per_frame + (records % per_frame != 0 ? 1 : 0);
    return frames == 0 ? 1 : static_cast<int32_t>(frames);
}

int32_t RecordStore::FrameFill(uint32_t start, uint32_t frame_number, uint32_t frame_size,
                               void* buffer, uint32_t buffer_length) {
    const uint32_t per_frame = frame_size / layout_.record_size;
    if (per_frame == 0 || buffer == nullptr || buffer_length == 0 || buffer_length < frame_size) {
        return 0;
    }
    uint8_t* out = static_cast<uint8_t*>(buffer);
    MLocalSection guard(lock_);
    const uint64_t first = static_cast<uint64_t>(start) + static_cast<uint64_t>(frame_number) * per_frame;
    uint32_t n = 0;
    if (first < count_) {
        const uint32_t remaining = count_ - static_cast<uint32_t>(first);
        n = remaining < per_frame ? remaining : per_frame;
    }
    const uint64_t length = 2 + static_cast<uint64_t>(n) * layout_.record_size;
    if (length > buffer_length) return 0;
    StoreLe<uint16_t>(out, static_cast<uint16_t>(first + n));
    if (n > 0) {
        std::memcpy(out + 2, RecordLocked(static_cast<uint32_t>(first)),
                    static_cast<size_t>(n) * layout_.record_size);
    }
    return static_cast<int32_t>(length);
}

}  // namespace zephyr
