#include "foundation/MCrc16.h"

#include <array>

namespace zephyr {

namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        }
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

// Built by the compiler: no start-up work and nothing shared that could change.
constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

uint16_t MCrc16::Compute(const void* data, size_t length, uint16_t crc) {
    const uint8_t* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < length; ++i) {
        crc = static_cast<uint16_t>(kTable[((crc >> 8) ^ p[i]) & 0xFF] ^ (crc << 8));
    }
    return crc;
}

}  // namespace zephyr
