// Packet framing of the level-2 link: a header with a CRC-16 of the payload, the payload stored
// as it is or LZW-compressed (MLZW, framed form). Three header forms, told apart by the first
// byte; all are parsed, "#" is the one built.
//
//   "#"  (0x23), 11 bytes: '#', header word, CRC, main type, sub type, serial, count word
//   0    (0x00),  5 bytes: 0, header word, CRC; the covered bytes start with the six bytes
//                          main type .. count word of the "#" form
//   "$"  (0x24), 20 bytes: '$', main type, sub type, first count, second count, payload length,
//                          0x40 or 0x48, count word, CRC, serial, 4 zero bytes
//
// Header word: bits 0-12 the stored payload length, bit 13 stored LZW-compressed by this
// protocol, bit 14 compressed by an outside compressor (never undone here), bit 15 zero.
// Multi-byte fields are little-endian. No shared state: any number of threads may build and
// parse at once; each compressing or decompressing call uses about 60 kB of its own stack.
#pragma once
#include <cstdint>

namespace zephyr {

class RvProtocol {
public:
    static constexpr uint8_t kFormPlain = 0x00;
    static constexpr uint8_t kFormHash = 0x23;    // '#'
    static constexpr uint8_t kFormDollar = 0x24;  // '$'
    static constexpr uint16_t kHashHeaderLength = 11;
    static constexpr uint16_t kPlainHeaderLength = 5;
    static constexpr uint16_t kDollarHeaderLength = 20;
    static constexpr uint16_t kMaxPayload = 8000;  // longest stored payload a packet may carry
    static constexpr uint16_t kCompressMinimum = 100;  // shorter payloads are never compressed
    static constexpr uint16_t kLengthMask = 0x1FFF;
    static constexpr uint16_t kFlagCompressed = 0x2000;
    static constexpr uint16_t kFlagExternal = 0x4000;
    static constexpr uint16_t kCountWordGiven = 0x8000;

    // Looks for one complete packet at the start of data.
    // Returns its length and sets *packet; 0 when available is 0 or the data does not yet hold a
    // whole packet (keep the data and wait for more); or an error: ERR_PACKET_BAD (unknown form
    // byte, length over kMaxPayload, CRC mismatch), ERR_BAD_ARGUMENT (workCapacity below
    // available, null pointer), or an MLZW error of a compressed payload.
    // *packet is data itself, except for a "#" packet with bit 13 set and bit 15 clear: that one
    // is decompressed into work (header copied, bit 13 cleared, bits 0-12 still the compressed
    // length, CRC field unchanged) and the result is 11 + decompressed length. work must not
    // overlap data. *packet is null unless the result is positive.
    static int32_t ParsePacket(const uint8_t* data, uint16_t available, const uint8_t** packet,
                               uint8_t* work, uint16_t workCapacity);

    // Writes a "#" packet into output and returns its length, or an error: ERR_PACKET_BAD for any
    // other form, ERR_BAD_ARGUMENT when outputCapacity < payloadLength + 11, when payloadLength
    // exceeds kMaxPayload, or for a null pointer. The count word is stored as given when its bit
    // 15 is set, else as 100 * firstCount + secondCount. With compress == 1 a payload of at least
    // kCompressMinimum bytes is stored compressed (bit 13) when that makes it smaller, otherwise
    // as it is. externallyCompressed == 1 sets bit 14.
    static int32_t BuildPacket(uint8_t form, uint8_t mainType, uint8_t subType, uint16_t serial,
                               uint8_t firstCount, uint8_t secondCount, uint16_t countWord,
                               const uint8_t* payload, uint16_t payloadLength, uint8_t* output,
                               uint16_t outputCapacity, uint8_t externallyCompressed, uint8_t compress);
};

}  // namespace zephyr
