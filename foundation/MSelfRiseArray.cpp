#include "foundation/MSelfRiseArray.h"

#include <cstdlib>
#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MException.h"

namespace zephyr {

MSelfRiseArrayBase::MSelfRiseArrayBase(uint32_t element_size, unsigned char* inline_block,
                                       uint32_t inline_bytes, uint32_t limit)
    : data_(inline_block),
      count_(0),
      capacity_(inline_bytes / element_size),
      limit_(limit),
      element_size_(element_size),
      inline_block_(inline_block) {}

MSelfRiseArrayBase::~MSelfRiseArrayBase() {
    if (data_ != inline_block_) {
        std::free(data_);
    }
    data_ = inline_block_;
    count_ = 0;
}

int32_t MSelfRiseArrayBase::Grow(uint32_t needed) {
    if (needed <= capacity_) {
        return 1;
    }
    const uint64_t capacity = (static_cast<uint64_t>(needed) / 256u) * 256u + 256u;
    if (capacity > limit_) {
        return ERR_ARRAY_LIMIT;
    }
    const uint64_t bytes = capacity * element_size_;
    if (bytes > static_cast<uint64_t>(SIZE_MAX) || bytes > 0x7FFFFFFFu) {
        return ERR_NO_MEMORY;
    }
    unsigned char* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bytes)));
    if (block == nullptr) {
        return ERR_NO_MEMORY;
    }
    if (count_ > 0) {
        std::memcpy(block, data_, static_cast<size_t>(count_) * element_size_);
    }
    if (data_ != inline_block_) {
        std::free(data_);
    }
    data_ = block;
    capacity_ = static_cast<uint32_t>(capacity);
    return 1;
}

bool MSelfRiseArrayBase::Overlaps(const void* source, uint32_t n) const {
    const uint64_t at = reinterpret_cast<uintptr_t>(source);
    const uint64_t begin = reinterpret_cast<uintptr_t>(data_);
    const uint64_t end = begin + static_cast<uint64_t>(capacity_) * element_size_;
    return at < end && at + static_cast<uint64_t>(n) * element_size_ > begin;
}

// Elements taken from the array itself move or vanish while it grows or shifts: copy them first.
int32_t MSelfRiseArrayBase::FromCopy(uint32_t position, const void* source, uint32_t n,
                                     bool insert) {
    const uint64_t wanted = static_cast<uint64_t>(n) * element_size_;
    if (wanted > 0x7FFFFFFFu) {
        return ERR_NO_MEMORY;
    }
    const size_t bytes = static_cast<size_t>(wanted);
    void* copy = std::malloc(bytes);
    if (copy == nullptr) {
        return ERR_NO_MEMORY;
    }
    std::memcpy(copy, source, bytes);
    const int32_t result = insert ? Insert(position, copy, n) : Append(copy, n);
    std::free(copy);
    return result;
}

int32_t MSelfRiseArrayBase::Append(const void* source, uint32_t n) {
    if (source == nullptr || n == 0) {
        return ERR_BAD_ARGUMENT;
    }
    // Any wrap of count + n, not only one to 0, would let a copy run past the storage.
    if (n > 0xFFFFFFFFu - count_ || count_ + n > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    if (Overlaps(source, n)) {
        return FromCopy(0, source, n, false);
    }
    const int32_t grown = Grow(count_ + n);
    if (grown < 0) {
        return grown;
    }
    std::memcpy(data_ + static_cast<size_t>(count_) * element_size_, source,
                static_cast<size_t>(n) * element_size_);
    const uint32_t first = count_;
    count_ += n;
    return static_cast<int32_t>(first);
}

int32_t MSelfRiseArrayBase::Insert(uint32_t position, const void* source, uint32_t n) {
    if (source == nullptr || n == 0) {
        return ERR_BAD_ARGUMENT;
    }
    if (position >= count_) {
        return ERR_BAD_ARGUMENT;
    }
    if (n > 0xFFFFFFFFu - count_ || count_ + n > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    if (Overlaps(source, n)) {
        return FromCopy(position, source, n, true);
    }
    const int32_t grown = Grow(count_ + n);
    if (grown < 0) {
        return grown;
    }
    unsigned char* at = data_ + static_cast<size_t>(position) * element_size_;
    std::memmove(at + static_cast<size_t>(n) * element_size_, at,
                 static_cast<size_t>(count_ - position) * element_size_);
    std::memcpy(at, source, static_cast<size_t>(n) * element_size_);
    count_ += n;
    return static_cast<int32_t>(position);
}

int32_t MSelfRiseArrayBase::Get(uint32_t position, void* destination, uint32_t n) const {
    if (position >= count_ || destination == nullptr) {
        return ERR_BAD_ARGUMENT;
    }
    const uint32_t available = count_ - position;
    const uint32_t copied = n < available ? n : available;
    std::memcpy(destination, data_ + static_cast<size_t>(position) * element_size_,
                static_cast<size_t>(copied) * element_size_);
    return static_cast<int32_t>(copied);
}

int32_t MSelfRiseArrayBase::Delete(uint32_t position, uint32_t n) {
    if (position >= count_) {
        return ERR_BAD_ARGUMENT;
    }
    const uint32_t available = count_ - position;
    const uint32_t removed = n < available ? n : available;
    unsigned char* at = data_ + static_cast<size_t>(position) * element_size_;
    std::memmove(at, at + static_cast<size_t>(removed) * element_size_,
                 static_cast<size_t>(available - removed) * element_size_);
    count_ -= removed;
    return static_cast<int32_t>(removed);
}

void* MSelfRiseArrayBase::At(uint32_t position) {
    if (position >= count_) {
        throw MException("<MSelfRiseArrayBase>数组序号越界");
    }
    return data_ + static_cast<size_t>(position) * element_size_;
}

const void* MSelfRiseArrayBase::At(uint32_t position) const {
    if (position >= count_) {
        throw MException("<MSelfRiseArrayBase>数组序号越界");
    }
    return data_ + static_cast<size_t>(position) * element_size_;
}

}  // namespace zephyr
