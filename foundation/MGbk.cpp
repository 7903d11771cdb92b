#include "foundation/MGbk.h"

#include <cstddef>

#include "foundation/MErrorCode.h"
#include "foundation/platform/NativeGbk.h"

namespace zephyr {

int32_t MGbk::FromUtf16Le(const void* source, uint32_t byte_length, char* destination,
                          uint32_t destination_size) {
    if (destination == nullptr || destination_size == 0) {
        return ERR_BAD_ARGUMENT;
    }
    destination[0] = 0;
    if (source == nullptr) {
        return 0;
    }
    const unsigned char* bytes = static_cast<const unsigned char*>(source);
    // Whole code units up to the first zero one.
    size_t length = 0;
    const size_t whole = byte_length & ~static_cast<size_t>(1);
    while (length < whole && native::Utf16UnitAt(bytes, length) != 0) {
        length += 2;
    }
    return native::Utf16LeToGbk(bytes, length, destination, destination_size);
}

}  // namespace zephyr
