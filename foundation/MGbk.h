// UTF-16LE to GBK (code page 936), the code page of every text in this system, through the
// system's converter (iconv on POSIX, WideCharToMultiByte on Windows).
#pragma once
#include <cstdint>

namespace zephyr {

class MGbk {
public:
    // Converts the UTF-16LE text of source (byte_length bytes; never read past them; an odd last
    // byte is ignored; conversion stops at a zero code unit) into destination, at most
    // destination_size - 1 bytes, always terminated; a character that does not fit whole is left
    // out with everything after it. Characters without a GBK form, and broken surrogates,
    // become '?'. Returns the number of bytes stored (without the terminator);
    // ERR_BAD_ARGUMENT for a null destination or size 0 (a null source converts to "").
    // Thread-safe; allocates nothing after a thread's first call.
    static int32_t FromUtf16Le(const void* source, uint32_t byte_length, char* destination,
                               uint32_t destination_size);
};

}  // namespace zephyr
