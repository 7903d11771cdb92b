// Text conversion through iconv (GBK, UTF-16LE, UTF-8) and hexadecimal dumps.
#pragma once
#include <string>

namespace zephyr::sampleday {

// Converts `in` from encoding `from` to encoding `to` (iconv names). False when iconv refuses the
// pair or the text holds a sequence that does not convert; `out` is then unspecified.
bool ConvertText(const char* to, const char* from, const std::string& in, std::string& out);

inline bool GbkToUtf16le(const std::string& gbk, std::string& out) {
    return ConvertText("UTF-16LE", "GBK", gbk, out);
}
inline bool Utf16leToGbk(const std::string& utf16, std::string& out) {
    return ConvertText("GBK", "UTF-16LE", utf16, out);
}
inline bool GbkToUtf8(const std::string& gbk, std::string& out) {
    return ConvertText("UTF-8", "GBK", gbk, out);
}

// Lower-case hexadecimal of the bytes, two digits each.
std::string Hex(const std::string& bytes);

}  // namespace zephyr::sampleday
