// Text conversion (GBK, UTF-16LE, UTF-8; through portable/TextCodec.h) and hexadecimal dumps.
// A conversion answers false when the text holds a sequence that does not convert; `out` is
// then unspecified.
#pragma once
#include <string>

#include "portable/TextCodec.h"

namespace zephyr::sampleday {

// The encoding of the texts the compiler stores: GBK, except in the fuzz build (clang keeps them
// UTF-8 there, and so does the driver it is built with).
#ifdef ZEPHYR_LITERALS_UTF8
inline constexpr portable::Encoding kLiteralCharset = portable::Encoding::kUtf8;
#else
inline constexpr portable::Encoding kLiteralCharset = portable::Encoding::kGbk;
#endif

inline bool GbkToUtf16le(const std::string& gbk, std::string& out) {
    return portable::ConvertText(portable::Encoding::kUtf16le, kLiteralCharset, gbk, &out);
}
inline bool Utf16leToGbk(const std::string& utf16, std::string& out) {
    return portable::ConvertText(kLiteralCharset, portable::Encoding::kUtf16le, utf16, &out);
}
inline bool GbkToUtf8(const std::string& gbk, std::string& out) {
    return portable::ConvertText(portable::Encoding::kUtf8, kLiteralCharset, gbk, &out);
}

// Lower-case hexadecimal of the bytes, two digits each.
std::string Hex(const std::string& bytes);

}  // namespace zephyr::sampleday
