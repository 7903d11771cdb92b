#include "foundation/MSelfRiseArray.h"

#include <cstdlib>
#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MException.h"

namespace zephyr {

MSelfRiseArrayBase::MSelfRiseArrayBase(uint32_t element_size, unsigned char* inline_block,
                                       uint32_t inline_bytes, uint32_t limit)
    : m_Data(inline_block),
      m_Count(0),
      m_Capacity(inline_bytes / element_size),
      m_Limit(limit),
      m_ElementSize(element_size),
      m_InlineBlock(inline_block) {}

MSelfRiseArrayBase::~MSelfRiseArrayBase() {
    if (m_Data != m_InlineBlock) {
        std::free(m_Data);
    }
    m_Data = m_InlineBlock;
    m_Count = 0;
}

int32_t MSelfRiseArrayBase::Grow(uint32_t needed) {
    if (needed <= m_Capacity) {
        return 1;
    }
    const uint64_t capacity = (static_cast<uint64_t>(needed) / 256u) * 256u + 256u;
    if (capacity > m_Limit) {
        return ERR_ARRAY_LIMIT;
    }
    const uint64_t bytes = capacity * m_ElementSize;
    if (bytes > static_cast<uint64_t>(SIZE_MAX) || bytes > 0x7FFFFFFFu) {
        return ERR_NO_MEMORY;
    }
    unsigned char* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(bytes)));
    if (block == nullptr) {
        return ERR_NO_MEMORY;
    }
    if (m_Count > 0) {
        std::memcpy(block, m_Data, static_cast<size_t>(m_Count) * m_ElementSize);
    }
    if (m_Data != m_InlineBlock) {
        std::free(m_Data);
    }
    m_Data = block;
    m_Capacity = static_cast<uint32_t>(capacity);
    return 1;
}

bool MSelfRiseArrayBase::Overlaps(const void* source, uint32_t n) const {
    const uint64_t at = reinterpret_cast<uintptr_t>(source);
    const uint64_t begin = reinterpret_cast<uintptr_t>(m_Data);
    const uint64_t end = begin + static_cast<uint64_t>(m_Capacity) * m_ElementSize;
    return at < end && at + static_cast<uint64_t>(n) * m_ElementSize > begin;
}

// Elements taken from the array itself move or vanish while it grows or shifts: copy them first.
int32_t MSelfRiseArrayBase::FromCopy(uint32_t position, const void* source, uint32_t n,
                                     bool insert) {
    const uint64_t wanted = static_cast<uint64_t>(n) * m_ElementSize;
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
    if (n > 0xFFFFFFFFu - m_Count || m_Count + n > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    if (Overlaps(source, n)) {
        return FromCopy(0, source, n, false);
    }
    const int32_t grown = Grow(m_Count + n);
    if (grown < 0) {
        return grown;
    }
    std::memcpy(m_Data + static_cast<size_t>(m_Count) * m_ElementSize, source,
                static_cast<size_t>(n) * m_ElementSize);
    const uint32_t first = m_Count;
    m_Count += n;
    return static_cast<int32_t>(first);
}

int32_t MSelfRiseArrayBase::Insert(uint32_t position, const void* source, uint32_t n) {
    if (source == nullptr || n == 0) {
        return ERR_BAD_ARGUMENT;
    }
    if (position >= m_Count) {
        return ERR_BAD_ARGUMENT;
    }
    if (n > 0xFFFFFFFFu - m_Count || m_Count + n > 0x7FFFFFFFu) {
        return ERR_BAD_ARGUMENT;
    }
    if (Overlaps(source, n)) {
        return FromCopy(position, source, n, true);
    }
    const int32_t grown = Grow(m_Count + n);
    if (grown < 0) {
        return grown;
    }
    unsigned char* at = m_Data + static_cast<size_t>(position) * m_ElementSize;
    std::memmove(at + static_cast<size_t>(n) * m_ElementSize, at,
                 static_cast<size_t>(m_Count - position) * m_ElementSize);
    std::memcpy(at, source, static_cast<size_t>(n) * m_ElementSize);
    m_Count += n;
    return static_cast<int32_t>(position);
}

int32_t MSelfRiseArrayBase::Get(uint32_t position, void* destination, uint32_t n) const {
    if (position >= m_Count || destination == nullptr) {
        return ERR_BAD_ARGUMENT;
    }
    const uint32_t available = m_Count - position;
    const uint32_t copied = n < available ? n : available;
    std::memcpy(destination, m_Data + static_cast<size_t>(position) * m_ElementSize,
                static_cast<size_t>(copied) * m_ElementSize);
    return static_cast<int32_t>(copied);
}

int32_t MSelfRiseArrayBase::Delete(uint32_t position, uint32_t n) {
    if (position >= m_Count) {
        return ERR_BAD_ARGUMENT;
    }
    const uint32_t available = m_Count - position;
    const uint32_t removed = n < available ? n : available;
    unsigned char* at = m_Data + static_cast<size_t>(position) * m_ElementSize;
    std::memmove(at, at + static_cast<size_t>(removed) * m_ElementSize,
                 static_cast<size_t>(available - removed) * m_ElementSize);
    m_Count -= removed;
    return static_cast<int32_t>(removed);
}

void* MSelfRiseArrayBase::At(uint32_t position) {
    if (position >= m_Count) {
        throw MException("<MSelfRiseArrayBase>数组序号越界");
    }
    return m_Data + static_cast<size_t>(position) * m_ElementSize;
}

const void* MSelfRiseArrayBase::At(uint32_t position) const {
    if (position >= m_Count) {
        throw MException("<MSelfRiseArrayBase>数组序号越界");
    }
    return m_Data + static_cast<size_t>(position) * m_ElementSize;
}

}  // namespace zephyr
