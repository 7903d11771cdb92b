// A growable array of fixed-size plain records, copied in and out bytewise (no constructors or
// destructors run). Storage starts in an inline block of the object, moves to the heap at the
// first growth and stays there (Clear keeps it); it never shrinks and never passes the limit
// fixed at construction.
// Growth when count + n exceeds the capacity: new capacity = (count + n) rounded down to a
// multiple of 256, plus 256; more than the limit fails with ERR_ARRAY_LIMIT (so with limit 20000
// the largest capacity is 19968); no memory: ERR_NO_MEMORY.
// Results: negative error values (MErrorCode.h); after a failed call the array is unchanged.
// No locking: one owner serialises access.
#pragma once
#include <cstdint>
#include <type_traits>

namespace zephyr {

class MSelfRiseArrayBase {
public:
    MSelfRiseArrayBase(const MSelfRiseArrayBase&) = delete;
    MSelfRiseArrayBase& operator=(const MSelfRiseArrayBase&) = delete;

    // Copies n elements from source behind the last one; returns the old count.
    // Null source or n = 0, or count + n overflowing: ERR_BAD_ARGUMENT.
    int32_t Append(const void* source, uint32_t n);
    // Moves the elements from position on up by n and copies n elements there; returns position.
    // Only before an existing element (position < count), else ERR_BAD_ARGUMENT; null source,
    // n = 0 or count + n overflowing: ERR_BAD_ARGUMENT.
    int32_t Insert(uint32_t position, const void* source, uint32_t n);
    // Copies min(n, count - position) elements to destination and returns that number.
    // position >= count (or a null destination): ERR_BAD_ARGUMENT.
    int32_t Get(uint32_t position, void* destination, uint32_t n) const;
    // Removes min(n, count - position) elements from position on; returns that number.
    // position >= count: ERR_BAD_ARGUMENT.
    int32_t Delete(uint32_t position, uint32_t n);
    // count becomes 0; storage and capacity stay.
    void Clear() { m_Count = 0; }
    // The element at position. Raises MException "<MSelfRiseArrayBase>数组序号越界" when
    // position >= count.
    void* At(uint32_t position);
    const void* At(uint32_t position) const;
    uint32_t GetCount() const { return m_Count; }
    uint32_t GetCapacity() const { return m_Capacity; }
    uint32_t GetLimit() const { return m_Limit; }
    uint32_t GetElementSize() const { return m_ElementSize; }
    // Whether the elements still live in the inline block.
    bool IsInline() const { return m_Data == m_InlineBlock; }

protected:
    MSelfRiseArrayBase(uint32_t element_size, unsigned char* inline_block, uint32_t inline_bytes,
                       uint32_t limit);
    ~MSelfRiseArrayBase();

private:
    int32_t Grow(uint32_t needed);
    bool Overlaps(const void* source, uint32_t n) const;
    int32_t FromCopy(uint32_t position, const void* source, uint32_t n, bool insert);

    unsigned char* m_Data;
    uint32_t m_Count;
    uint32_t m_Capacity;
    uint32_t m_Limit;
    uint32_t m_ElementSize;
    unsigned char* m_InlineBlock;
};

template <typename Element, uint32_t InlineBytes>
class MSelfRiseArray : public MSelfRiseArrayBase {
    static_assert(std::is_trivially_copyable<Element>::value, "plain records only");
    static_assert(sizeof(Element) > 0 && sizeof(Element) <= 0xFFFFFFFFu, "element size");

public:
    // First capacity InlineBytes / sizeof(Element); never grows past limit elements.
    explicit MSelfRiseArray(uint32_t limit)
        : MSelfRiseArrayBase(sizeof(Element), m_Inline, InlineBytes, limit) {}

    Element& At(uint32_t position) {
        return *static_cast<Element*>(MSelfRiseArrayBase::At(position));
    }
    const Element& At(uint32_t position) const {
        return *static_cast<const Element*>(MSelfRiseArrayBase::At(position));
    }

private:
    alignas(Element) unsigned char m_Inline[InlineBytes > 0 ? InlineBytes : 1];
};

}  // namespace zephyr
