// 16-bit CRC of the packet protocol: polynomial 0x1021, most significant bit first, start value 0,
// no reflection, no final XOR (the XMODEM rules). The CRC of "123456789" is 0x31C3.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zephyr {

class MCrc16 {
public:
    // CRC of length bytes at data, continued from crc (0 starts a new CRC). Thread-safe.
    static uint16_t Compute(const void* data, size_t length, uint16_t crc = 0);
};

}  // namespace zephyr
