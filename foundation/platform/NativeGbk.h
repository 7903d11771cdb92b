// UTF-16LE to GBK through the system's converter, behind MGbk: one body per system.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zephyr {
namespace native {

// The code unit at offset (little-endian).
inline uint32_t Utf16UnitAt(const unsigned char* bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8);
}

// MGbk::FromUtf16Le once its arguments are checked: units holds length bytes of whole code
// units, none of them zero; destination has room for destination_size (at least 1) bytes.
int32_t Utf16LeToGbk(const unsigned char* units, size_t length, char* destination,
                     uint32_t destination_size);

}  // namespace native
}  // namespace zephyr
