// Text conversion through iconv (GBK, UTF-16LE, UTF-8) and hexadecimal dumps.
#pragma once
#include <string>

namespace zephyr::sampleday {

// Converts `in` from encoding `from` to encoding `to` (iconv names). False when iconv refuses the
// pair or the text holds a sequence that does not convert; `out` is then unspecified.
bool ConvertText(const char* to, const char* from, const std::string& in, std::string& out);

// The encoding of the texts the compiler stores: GBK, except in the fuzz build (clang keeps them
// UTF-8 there, and so does the driver it is built with).
#ifdef ZEPHYR_LITERALS_UTF8
inline constexpr const char kLiteralCharset[] = "UTF-8";
#else
inline constexpr const char kLiteralCharset[] = "GBK";
#endif

inline bool GbkToUtf16le(const std::string& gbk, std::string& out) {
    return ConvertText("UTF-16LE", kLiteralCharset, gbk, out);
}
inline bool Utf16leToGbk(const std::string& utf16, std::string& out) {
    return ConvertText(kLiteralCharset, "UTF-16LE", utf16, out);
}
inline bool GbkToUtf8(const std::string& gbk, std::string& out) {
    return ConvertText("UTF-8", kLiteralCharset, gbk, out);
}

// Lower-case hexadecimal of the bytes, two digits each.
std::string Hex(const std::string& bytes);

}  // namespace zephyr::sampleday
