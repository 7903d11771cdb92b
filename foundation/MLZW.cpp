#include "foundation/MLZW.h"

#include "foundation/MCrc16.h"
#include "foundation/MErrorCode.h"
#include "foundation/PackedCodec.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace zephyr {

namespace {

constexpr uint32_t kEndCode = 256;
constexpr uint32_t kWidenCode = 257;
constexpr uint32_t kFirstFreeCode = 258;
constexpr int kStartWidth = 9;
constexpr uint32_t kStartLimit = 512;
constexpr int kMaxWidth = 32;
constexpr int kMaxProbes = MLZW::kTableSize + 1;
constexpr uint32_t kLastCode = MLZW::kTableSize - 1;  // highest code the table can hold

// Packs codes most significant bit first into a zeroed buffer.
class BitWriter {
public:
    BitWriter(uint8_t* out, size_t usable) : m_Out(out), m_Usable(usable) {}

    int32_t Put(uint32_t code, int width) {
        if (width <= 0 || width > kMaxWidth) return ERR_BAD_ARGUMENT;
        const size_t index = m_Bits >> 3;
        // A code of up to 32 bits touches at most five bytes from index on.
        if (index + 4 >= m_Usable) return ERR_COMPRESS_FULL;
        const int offset = static_cast<int>(m_Bits & 7);
        const uint64_t value = static_cast<uint64_t>(code) & ((uint64_t{1} << width) - 1);
        const uint64_t window = value << (40 - offset - width);  // 40-bit window from byte index
        const int bytes = (offset + width + 7) >> 3;
        for (int k = 0; k < bytes; ++k) {
            m_Out[index + k] |= static_cast<uint8_t>(window >> (32 - 8 * k));
        }
        m_Bits += static_cast<size_t>(width);
        return 0;
    }

    size_t Bytes() const { return (m_Bits + 7) >> 3; }

private:
    uint8_t* m_Out;
    size_t m_Usable;
    size_t m_Bits = 0;
};

// Reads codes most significant bit first.
class BitReader {
public:
    BitReader(const uint8_t* in, size_t length) : m_In(in), totalBits_(static_cast<uint64_t>(length) * 8) {}

    int32_t Get(int width, uint32_t* code) {
        if (width <= 0 || width > kMaxWidth) return ERR_BAD_ARGUMENT;
        if (m_Bits + static_cast<uint64_t>(width) > totalBits_) return ERR_LZW_NO_DATA;
        const size_t index = static_cast<size_t>(m_Bits >> 3);
        const int offset = static_cast<int>(m_Bits & 7);
        const int bytes = (offset + width + 7) >> 3;
        uint64_t window = 0;
        for (int k = 0; k < bytes; ++k) window = (window << 8) | m_In[index + k];
        window >>= bytes * 8 - offset - width;
        *code = static_cast<uint32_t>(window & ((uint64_t{1} << width) - 1));
        m_Bits += static_cast<uint64_t>(width);
        return 0;
    }

private:
    const uint8_t* m_In;
    uint64_t totalBits_;
    uint64_t m_Bits = 0;
};

}  // namespace

int32_t MLZW::FindSlot(uint32_t prefix, uint8_t c) const {
    int slot = static_cast<int>((static_cast<uint32_t>(c) << 5) ^ prefix);
    // Codes stay below 8192 (the output limit stops the coder long before), which keeps the
    // slot inside the table; the check makes sure of it.
    if (slot >= kTableSize) return ERR_LZW_DICT_FULL;
    const int step = slot == 0 ? 1 : kTableSize - slot;
    for (int probe = 0; probe < kMaxProbes; ++probe) {
        if (m_Code[slot] == -1 || (static_cast<uint32_t>(m_Prefix[slot]) == prefix && m_Append[slot] == c)) return slot;
        slot -= step;
        if (slot < 0) slot += kTableSize;
    }
    return ERR_LZW_DICT_FULL;
}

int32_t MLZW::Compress(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity) {
    if (inputLength > kMaxInput || (inputLength != 0 && input == nullptr) ||
        (outputCapacity != 0 && output == nullptr)) {
        return ERR_BAD_ARGUMENT;
    }
    std::fill(std::begin(m_Code), std::end(m_Code), int16_t{-1});
    // Anything not smaller than the input is useless, so the input length caps the output too.
    const size_t usable = std::min(outputCapacity, inputLength);
    if (usable != 0) std::memset(output, 0, usable);
    if (inputLength == 0) return ERR_COMPRESS_FULL;  // not even the end code fits

    BitWriter writer(output, usable);
    int width = kStartWidth;
    uint32_t limit = kStartLimit;
    uint32_t next = kFirstFreeCode;
    uint32_t prefix = input[0];
    int32_t rc;
    for (size_t i = 1; i < inputLength; ++i) {
        const uint8_t c = input[i];
        const int slot = FindSlot(prefix, c);
        if (slot < 0) return slot;
        if (m_Code[slot] != -1) {
            prefix = static_cast<uint32_t>(m_Code[slot]);
            continue;
        }
        m_Code[slot] = static_cast<int16_t>(next);
        m_Prefix[slot] = static_cast<int16_t>(prefix);
        m_Append[slot] = c;
        if ((rc = writer.Put(prefix, width)) < 0) return rc;
        prefix = c;
        if (++next >= limit) {
            if ((rc = writer.Put(kWidenCode, width)) < 0) return rc;
            ++width;
            limit *= 2;
        }
    }
    if ((rc = writer.Put(prefix, width)) < 0) return rc;
    if ((rc = writer.Put(kEndCode, width)) < 0) return rc;
    const size_t length = writer.Bytes();
    if (length >= inputLength) return ERR_LZW_BUFFER_FULL;
    return static_cast<int32_t>(length);
}

int32_t MLZW::Decompress(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity) {
    if ((inputLength != 0 && input == nullptr) || (outputCapacity != 0 && output == nullptr)) {
        return ERR_BAD_ARGUMENT;
    }
    BitReader reader(input, inputLength);
    int width = kStartWidth;
    uint32_t next = kFirstFreeCode;
    uint32_t code;
    int32_t rc = reader.Get(width, &code);
    if (rc < 0) return rc;
    if (code > 0xFF) return ERR_LZW_DECODE;  // a stream starts with a plain byte
    if (outputCapacity == 0) return ERR_LZW_BUFFER_FULL;
    output[0] = static_cast<uint8_t>(code);
    size_t count = 1;
    uint32_t previous = code;
    uint8_t first = static_cast<uint8_t>(code);  // first byte of the previous string

    for (;;) {
        if ((rc = reader.Get(width, &code)) < 0) return rc;
        if (code == kEndCode) return static_cast<int32_t>(count);
        if (code == kWidenCode) {
            if (width >= kMaxWidth) return ERR_BAD_ARGUMENT;
            ++width;
            continue;
        }
        // Collect the string last byte first. The one code not yet in the table, the next free
        // one, is the previous string followed by its own first byte; codes beyond it cannot
        // come from a coder and are rejected rather than read from unset entries.
        size_t depth = 0;
        uint32_t walk = code;
        if (code >= next) {
            if (code > next) return ERR_LZW_DECODE;
            m_Stack[depth++] = first;
            walk = previous;
        }
        while (walk > 0xFF) {
            if (walk > kLastCode || depth >= static_cast<size_t>(kTableSize)) return ERR_LZW_DECODE;
            m_Stack[depth++] = m_Append[walk];
            walk = static_cast<uint16_t>(m_Prefix[walk]);
        }
        m_Stack[depth++] = static_cast<uint8_t>(walk);
        first = static_cast<uint8_t>(walk);
        if (depth > outputCapacity - count) return ERR_LZW_BUFFER_FULL;
        while (depth != 0) output[count++] = m_Stack[--depth];

        if (next > kLastCode) return ERR_LZW_DECODE;
        m_Prefix[next] = static_cast<int16_t>(previous);
        m_Append[next] = first;
        ++next;
        previous = code;
    }
}

int32_t MLZW::CompressFramed(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity) {
    if (outputCapacity < kFrameLength || output == nullptr) return ERR_BAD_ARGUMENT;
    const int32_t rc = Compress(input, inputLength, output + kFrameLength, outputCapacity - kFrameLength);
    if (rc < 0) return rc;
    const uint16_t crc = MCrc16::Compute(input, inputLength);
    StoreLe(output, crc);
    return rc + static_cast<int32_t>(kFrameLength);
}

int32_t MLZW::DecompressFramed(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity) {
    if (inputLength < kFrameLength || input == nullptr) return ERR_BAD_ARGUMENT;
    const int32_t rc = Decompress(input + kFrameLength, inputLength - kFrameLength, output, outputCapacity);
    if (rc < 0) return rc;
    const uint16_t expected = LoadLe<uint16_t>(input);
    if (MCrc16::Compute(output, static_cast<size_t>(rc)) != expected) return ERR_LZW_DICT_FULL;
    return rc;
}

}  // namespace zephyr
