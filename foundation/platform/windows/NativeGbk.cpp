// GBK through WideCharToMultiByte with code page 936 named outright: the system's ANSI code page
// is GBK only on a Chinese Windows, and any other would turn every name into question marks.
#include "foundation/platform/NativeGbk.h"

#include <windows.h>

namespace zephyr {
namespace native {

namespace {

constexpr UINT kGbk = 936;

}  // namespace

int32_t Utf16LeToGbk(const unsigned char* bytes, size_t length, char* destination,
                     uint32_t destination_size) {
    char* out = destination;
    size_t out_left = destination_size - 1;
    // One character at a time, so that one that does not fit whole ends the text and one without
    // a GBK form (or a broken surrogate) becomes a single '?'.
    for (size_t at = 0; at < length;) {
        const uint32_t unit = Utf16UnitAt(bytes, at);
        wchar_t character[2] = {static_cast<wchar_t>(unit), 0};
        size_t units = 1;
        bool broken = unit >= 0xDC00 && unit < 0xE000;
        if (unit >= 0xD800 && unit < 0xDC00) {
            const uint32_t next = at + 4 <= length ? Utf16UnitAt(bytes, at + 2) : 0;
            if (next >= 0xDC00 && next < 0xE000) {
                character[1] = static_cast<wchar_t>(next);
                units = 2;
            } else {
                broken = true;
                if (at + 2 >= length) {
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
        int converted_length = 0;
        if (!broken) {
            BOOL defaulted = FALSE;
            converted_length = WideCharToMultiByte(kGbk, 0, character, static_cast<int>(units), converted,
                                                   sizeof(converted), nullptr, &defaulted);
            if (defaulted) converted_length = 0;
        }
        if (converted_length <= 0) {
            converted[0] = '?';
            converted_length = 1;
        }
        if (static_cast<size_t>(converted_length) > out_left) break;
        for (int i = 0; i < converted_length; ++i) *out++ = converted[i];
        out_left -= static_cast<size_t>(converted_length);
        at += units * 2;
    }
    *out = 0;
    return static_cast<int32_t>(out - destination);
}

}  // namespace native
}  // namespace zephyr
