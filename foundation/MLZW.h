// LZW coder of the packet protocol.
//
// Stream format: codes 0-255 are bytes, 256 ends the stream, 257 says that the following codes are
// one bit wider; new strings get codes from 258 on. Codes start 9 bits wide and are packed most
// significant bit first. The framed form puts the CRC-16 (MCrc16) of the uncompressed data,
// little-endian, in front of the stream so the receiver can check the result.
//
// An object is the working storage of one call (about 60 kB: the string table). Keep it on the
// calling thread's stack or in storage the caller owns and never use one object from two threads
// at once; separate objects work in parallel. Calls allocate nothing.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zephyr {

class MLZW {
public:
    static constexpr size_t kMaxInput = 8192;     // longest input Compress accepts
    static constexpr int kTableSize = 9973;       // string table entries (a prime)
    static constexpr size_t kFrameLength = 2;     // CRC prefix of the framed form

    MLZW() {}  // every call prepares the tables it uses; construction costs nothing

    // Compresses input into output. Returns the stream length, which is always smaller than
    // inputLength, or an error: ERR_BAD_ARGUMENT (input over kMaxInput bytes, null buffer),
    // ERR_COMPRESS_FULL (the stream does not fit in min(outputCapacity, inputLength) bytes),
    // ERR_LZW_BUFFER_FULL (compression gains nothing), ERR_LZW_DICT_FULL (no table room).
    int32_t Compress(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity);

    // Decompresses a stream. Returns the number of bytes written, or ERR_LZW_NO_DATA (the stream
    // ends before its end code), ERR_LZW_BUFFER_FULL (output too small), ERR_LZW_DECODE (corrupt
    // stream), ERR_BAD_ARGUMENT (code width over 32 bits, null buffer). Bytes after the end code
    // are ignored. Never reads or writes outside the given buffers.
    int32_t Decompress(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity);

    // Framed form: CRC of input (2 bytes) then the stream. Returns 2 + stream length, or an error
    // of Compress; an output capacity below 2 gives ERR_BAD_ARGUMENT.
    int32_t CompressFramed(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity);

    // Reads the CRC, decompresses the rest and checks the CRC of the result. Returns the
    // decompressed length, or an error of Decompress; ERR_LZW_DICT_FULL when the CRC differs;
    // ERR_BAD_ARGUMENT when the input is shorter than 2 bytes.
    int32_t DecompressFramed(const uint8_t* input, size_t inputLength, uint8_t* output, size_t outputCapacity);

private:
    int32_t FindSlot(uint32_t prefix, uint8_t c) const;

    // The string table, one array per field so that emptying it is a single fill. The
    // compressor uses it as a hash table (code -1: empty slot); the decompressor keeps, by code,
    // where in its output the string stands. A call uses one of the two forms.
    struct PackTable {
        int16_t code[kTableSize];    // code of the string in this slot
        int16_t prefix[kTableSize];  // code of the string without its last byte
        uint8_t append[kTableSize];  // last byte of the string
    };
    struct UnpackTable {
        uint32_t at[kTableSize];      // offset of the string in the output
        uint16_t length[kTableSize];  // its length
    };
    union Tables {
        PackTable pack;
        UnpackTable unpack;
    } m_Tables;
};

}  // namespace zephyr
