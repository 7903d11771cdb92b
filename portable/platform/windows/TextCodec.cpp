// Text through the system's code pages: 936 for GBK (named explicitly, whatever the ANSI code
// page of the machine), CP_UTF8, and UTF-16LE as the wide strings themselves.
#include "portable/TextCodec.h"

#include <windows.h>

namespace zephyr::portable {

namespace {

UINT CodePage(Encoding encoding) { return encoding == Encoding::kGbk ? 936u : CP_UTF8; }

bool Decode(Encoding from, const std::string& in, std::wstring* wide) {
    wide->clear();
    if (in.empty()) return true;
    if (from == Encoding::kUtf16le) {
        if (in.size() % 2 != 0) return false;
        wide->resize(in.size() / 2);
        for (size_t i = 0; i < wide->size(); ++i) {
            (*wide)[i] = static_cast<wchar_t>(static_cast<unsigned char>(in[2 * i]) |
                                              (static_cast<unsigned char>(in[2 * i + 1]) << 8));
        }
        return true;
    }
    const int n = MultiByteToWideChar(CodePage(from), MB_ERR_INVALID_CHARS, in.data(),
                                      static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) return false;
    wide->resize(static_cast<size_t>(n));
    return MultiByteToWideChar(CodePage(from), MB_ERR_INVALID_CHARS, in.data(),
                               static_cast<int>(in.size()), &(*wide)[0], n) == n;
}

bool Encode(Encoding to, const std::wstring& wide, std::string* out) {
    out->clear();
    if (wide.empty()) return true;
    if (to == Encoding::kUtf16le) {
        for (wchar_t c : wide) {
            *out += static_cast<char>(c & 0xFF);
            *out += static_cast<char>((c >> 8) & 0xFF);
        }
        return true;
    }
    // GBK: no best-fit substitutes, and a character without a GBK form is a failure.
    const UINT page = CodePage(to);
    const DWORD flags = to == Encoding::kGbk ? WC_NO_BEST_FIT_CHARS : WC_ERR_INVALID_CHARS;
    BOOL defaulted = FALSE;
    BOOL* used_default = to == Encoding::kGbk ? &defaulted : nullptr;
    const int n = WideCharToMultiByte(page, flags, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, used_default);
    if (n <= 0 || defaulted) return false;
    out->resize(static_cast<size_t>(n));
    return WideCharToMultiByte(page, flags, wide.data(), static_cast<int>(wide.size()), &(*out)[0],
                               n, nullptr, used_default) == n &&
           !defaulted;
}

// One character at a time, when the whole text does not convert: `length` gives the bytes of
// the character at a position, `skip` how many to pass over when it does not convert.
template <typename Length, typename Skip>
std::string Lenient(Encoding to, Encoding from, const std::string& in, Length length, Skip skip) {
    std::string out;
    if (ConvertText(to, from, in, &out)) return out;
    out.clear();
    std::wstring wide;
    std::string piece;
    for (size_t at = 0; at < in.size();) {
        const size_t n = length(in, at);
        if (Decode(from, in.substr(at, n), &wide) && Encode(to, wide, &piece)) {
            out += piece;
            at += n;
        } else {
            out += '?';
            at += skip(in, at);
        }
    }
    return out;
}

}  // namespace

bool ConvertText(Encoding to, Encoding from, const std::string& in, std::string* out) {
    std::wstring wide;
    return Decode(from, in, &wide) && Encode(to, wide, out);
}

std::string GbkToUtf8Shown(const std::string& gbk) {
    return Lenient(
        Encoding::kUtf8, Encoding::kGbk, gbk,
        [](const std::string& in, size_t at) -> size_t {
            return static_cast<unsigned char>(in[at]) >= 0x81 && at + 1 < in.size() ? 2 : 1;
        },
        [](const std::string&, size_t) -> size_t { return 1; });
}

std::string Utf8ToGbkTyped(const std::string& utf8) {
    const auto character = [](const std::string& in, size_t at) -> size_t {
        size_t n = 1;
        while (at + n < in.size() && (static_cast<unsigned char>(in[at + n]) & 0xC0) == 0x80) ++n;
        return n;
    };
    return Lenient(Encoding::kGbk, Encoding::kUtf8, utf8, character, character);
}

}  // namespace zephyr::portable
