#include "foundation/MCrc16.h"

#include <array>

namespace zephyr {

namespace {

using Tables = std::array<std::array<uint16_t, 256>, 8>;

// tables[0][b]: CRC of the byte b; tables[k][b]: the same followed by k zero bytes. Eight bytes
// are then folded in with eight independent look-ups instead of a chain of eight.
constexpr Tables MakeTables() {
    Tables t{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned crc = b << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        t[0][b] = static_cast<uint16_t>(crc);
    }
    for (size_t k = 1; k < t.size(); ++k) {
        for (unsigned b = 0; b < 256; ++b) {
            const uint16_t prev = t[k - 1][b];
            t[k][b] = static_cast<uint16_t>((prev << 8) ^ t[0][prev >> 8]);
        }
    }
    return t;
}

// Built by the compiler: no start-up work and nothing shared that could change.
constexpr Tables kTables = MakeTables();

}  // namespace

uint16_t MCrc16::Compute(const void* data, size_t length, uint16_t crc) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (; length >= 8; length -= 8, p += 8) {
        crc = static_cast<uint16_t>(kTables[7][p[0] ^ (crc >> 8)] ^ kTables[6][p[1] ^ (crc & 0xFF)] ^
                                    kTables[5][p[2]] ^ kTables[4][p[3]] ^ kTables[3][p[4]] ^
                                    kTables[2][p[5]] ^ kTables[1][p[6]] ^ kTables[0][p[7]]);
    }
    for (; length != 0; --length, ++p) {
        crc = static_cast<uint16_t>(kTables[0][((crc >> 8) ^ *p) & 0xFF] ^ (crc << 8));
    }
    return crc;
}

}  // namespace zephyr
