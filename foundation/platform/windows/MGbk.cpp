// GBK through WideCharToMultiByte with code page 936 named outright: the system's ANSI code page
// is GBK only on a Chinese Windows, and any other would turn every name into question marks.
#include "foundation/MGbk.h"

#include <windows.h>

#include <cstddef>

#include "foundation/MErrorCode.h"

namespace zephyr {

namespace {

constexpr UINT kGbk = 936;

uint32_t UnitAt(const unsigned char* bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8);
}

}  // namespace

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
    const size_t whole = byte_length & ~static_cast<size_t>(1);
    char* out = destination;
    size_t out_left = destination_size - 1;
    // One character at a time, so that one that does not fit whole ends the text and one without
    // a GBK form (or a broken surrogate) becomes a single '?'.
    for (size_t at = 0; at < whole;) {
        const uint32_t unit = UnitAt(bytes, at);
        if (unit == 0) break;
        wchar_t character[2] = {static_cast<wchar_t>(unit), 0};
        size_t units = 1;
        bool broken = unit >= 0xDC00 && unit < 0xE000;
        if (unit >= 0xD800 && unit < 0xDC00) {
            const uint32_t next = at + 4 <= whole ? UnitAt(bytes, at + 2) : 0;
            if (next >= 0xDC00 && next < 0xE000) {
                character[1] = static_cast<wchar_t>(next);
                units = 2;
            } else {
                broken = true;
                if (at + 2 >= whole) {
                    // A surrogate cut at the end of the text.
                    if (out_left > 0) {
                        *out++ = '?';
                        --out_left;
                    }
                    break;
                }
            }
        }
        char converted[8];
        int length = 0;
        if (!broken) {
            BOOL defaulted = FALSE;
            length = WideCharToMultiByte(kGbk, 0, character, static_cast<int>(units), converted,
                                         sizeof(converted), nullptr, &defaulted);
            if (defaulted) length = 0;
        }
        if (length <= 0) {
            converted[0] = '?';
            length = 1;
        }
        if (static_cast<size_t>(length) > out_left) break;
        for (int i = 0; i < length; ++i) *out++ = converted[i];
        out_left -= static_cast<size_t>(length);
        at += units * 2;
    }
    *out = 0;
    return static_cast<int32_t>(out - destination);
}

}  // namespace zephyr
