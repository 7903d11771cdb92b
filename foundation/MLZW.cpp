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

// Reads codes most significant bit first, of a width the decoder widens one bit at a time.
class CodeReader {
public:
    CodeReader(const uint8_t* in, size_t length) : m_In(in), m_Length(length) {}

    // ERR_BAD_ARGUMENT when the codes are already 32 bits wide.
    int32_t Widen() {
        if (m_Width >= kMaxWidth) return ERR_BAD_ARGUMENT;
        if (++m_Width > kWindowWidth) m_WindowEnd = 0;
        return 0;
    }

    // Reads the next code; ERR_LZW_NO_DATA when the stream ends first.
    int32_t Get(uint32_t* code) {
        if (m_Index < m_WindowEnd) {
            // The usual case, told by one comparison: the four bytes from the one the code
            // starts in are all in the stream, and the code is at most kWindowWidth bits wide,
            // so they hold it whatever bits of its first byte are already read.
            uint32_t window;
            std::memcpy(&window, m_In + m_Index, sizeof window);
            *code = (__builtin_bswap32(window) << m_Offset) >> (32 - m_Width);
            Advance();
            return 0;
        }
        // Any other case. Five bytes hold any code (span <= 39), so fewer tell whether the stream
        // has it.
        const size_t left = m_Length - m_Index;  // bytes from the one the next code starts in
        const int span = m_Offset + m_Width;     // bits the code takes from there
        if (left < 5 && static_cast<size_t>(span) > left * 8) return ERR_LZW_NO_DATA;
        const int bytes = (span + 7) >> 3;
        uint64_t window = 0;
        for (int k = 0; k < bytes; ++k) window = (window << 8) | m_In[m_Index + static_cast<size_t>(k)];
        window >>= bytes * 8 - span;
        *code = static_cast<uint32_t>(window & ((uint64_t{1} << m_Width) - 1));
        Advance();
        return 0;
    }

private:
    static constexpr int kWindowWidth = 32 - 7;  // widest code four bytes hold after 7 bits read

    void Advance() {
        const int span = m_Offset + m_Width;
        m_Index += static_cast<size_t>(span >> 3);
        m_Offset = span & 7;
    }

    const uint8_t* m_In;
    size_t m_Length;
    size_t m_WindowEnd = m_Length >= 4 ? m_Length - 3 : 0;  // 0 once codes outgrow the window
    size_t m_Index = 0;  // byte the next code starts in
    int m_Offset = 0;    // bits of that byte already read
    int m_Width = kStartWidth;
};

// Moves the first and the last word of n bytes, sizeof(Word) <= n <= 2 * sizeof(Word): together
// they cover all n.
template <class Word>
inline void MoveEnds(uint8_t* to, const uint8_t* from, size_t n) {
    const Word head = LoadLe<Word>(from);
    const Word tail = LoadLe<Word>(from + n - sizeof(Word));
    StoreLe(to, head);
    StoreLe(to + n - sizeof(Word), tail);
}

// Copies n bytes between ranges that do not overlap, in at most two word moves for the short
// strings a decoder mostly copies.
inline void CopyString(uint8_t* to, const uint8_t* from, size_t n) {
    if (n > 16) {
        std::memcpy(to, from, n);
    } else if (n >= 8) {
        MoveEnds<uint64_t>(to, from, n);
    } else if (n >= 4) {
        MoveEnds<uint32_t>(to, from, n);
    } else if (n != 0) {
        to[0] = from[0];
        to[n / 2] = from[n / 2];
        to[n - 1] = from[n - 1];
    }
}

}  // namespace

int32_t MLZW::FindSlot(uint32_t prefix, uint8_t c) const {
    int slot = static_cast<int>((static_cast<uint32_t>(c) << 5) ^ prefix);
    // Codes stay below 8192 (the output limit stops the coder long before), which keeps the
    // slot inside the table; the check makes sure of it.
    if (slot >= kTableSize) return ERR_LZW_DICT_FULL;
    const int step = slot == 0 ? 1 : kTableSize - slot;
    const PackTable& table = m_Tables.pack;
    for (int probe = 0; probe < kMaxProbes; ++probe) {
        if (table.code[slot] == -1) return slot;
        if (static_cast<uint32_t>(table.prefix[slot]) == prefix && table.append[slot] == c) return slot;
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
    std::fill(std::begin(m_Tables.pack.code), std::end(m_Tables.pack.code), int16_t{-1});
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
        if (m_Tables.pack.code[slot] != -1) {
            prefix = static_cast<uint32_t>(m_Tables.pack.code[slot]);
            continue;
        }
        m_Tables.pack.code[slot] = static_cast<int16_t>(next);
        m_Tables.pack.prefix[slot] = static_cast<int16_t>(prefix);
        m_Tables.pack.append[slot] = c;
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
    CodeReader reader(input, inputLength);
    uint32_t next = kFirstFreeCode;
    uint32_t code;
    int32_t rc = reader.Get(&code);
    if (rc < 0) return rc;
    if (code > 0xFF) return ERR_LZW_DECODE;  // a stream starts with a plain byte
    if (outputCapacity == 0) return ERR_LZW_BUFFER_FULL;
    output[0] = static_cast<uint8_t>(code);
    size_t count = 1;
    // Every string in the table is a run of the output already written: the previous string and
    // the first byte of the one that followed it. So the table keeps where each starts and how
    // long it is, and decoding a code copies that run.
    UnpackTable& table = m_Tables.unpack;
    uint32_t previousAt = 0;
    uint32_t previousLength = 1;

    for (;;) {
        if ((rc = reader.Get(&code)) < 0) return rc;
        // Most codes name a string in the table, so that case is told first, by one comparison.
        size_t length;
        if (code - kFirstFreeCode < next - kFirstFreeCode) {
            length = table.length[code];
            if (length > outputCapacity - count) return ERR_LZW_BUFFER_FULL;
            CopyString(output + count, output + table.at[code], length);
        } else if (code <= 0xFF) {
            length = 1;
            if (count == outputCapacity) return ERR_LZW_BUFFER_FULL;
            output[count] = static_cast<uint8_t>(code);
        } else if (code == next) {
            // The one code not yet in the table: the previous string followed by its own first
            // byte. Codes beyond it cannot come from a coder and are rejected below.
            length = previousLength + size_t{1};
            if (length > outputCapacity - count) return ERR_LZW_BUFFER_FULL;
            uint8_t* const to = output + count;
            CopyString(to, output + previousAt, previousLength);
            to[previousLength] = output[previousAt];
        } else if (code == kEndCode) {
            return static_cast<int32_t>(count);
        } else if (code == kWidenCode) {
            if ((rc = reader.Widen()) < 0) return rc;
            continue;
        } else {
            return ERR_LZW_DECODE;
        }

        if (next > kLastCode) return ERR_LZW_DECODE;
        table.at[next] = previousAt;
        table.length[next] = static_cast<uint16_t>(previousLength + 1);
        ++next;
        // Each code adds one entry and no string outgrows the table, so positions stay far
        // below 2^32 and lengths below 2^16.
        previousAt = static_cast<uint32_t>(count);
        previousLength = static_cast<uint32_t>(length);
        count += length;
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
