#include "portable/TextCodec.h"

#include <iconv.h>

#include <cerrno>

namespace zephyr::portable {

namespace {

const char* IconvName(Encoding encoding) {
    switch (encoding) {
        case Encoding::kGbk: return "GBK";
        case Encoding::kUtf8: return "UTF-8";
        case Encoding::kUtf16le: return "UTF-16LE";
    }
    return "UTF-8";
}

// Converts as much as converts; `on_bad` is called with the input position of a sequence that
// does not convert and returns how many input bytes to skip after writing its stand-in.
template <typename OnBad>
bool Run(Encoding to, Encoding from, const std::string& in, std::string* out, OnBad on_bad) {
    out->clear();
    iconv_t cd = iconv_open(IconvName(to), IconvName(from));
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input = in;  // iconv wants a mutable source pointer
    char* src = input.empty() ? nullptr : &input[0];
    size_t left = input.size();
    bool clean = true;
    char buffer[512];
    while (left > 0) {
        char* dst = buffer;
        size_t room = sizeof buffer;
        const size_t rc = iconv(cd, &src, &left, &dst, &room);
        out->append(buffer, static_cast<size_t>(dst - buffer));
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            clean = false;
            const size_t skip = on_bad(src, left, out);
            if (skip == 0) break;
            src += skip;
            left -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return clean;
}

}  // namespace

bool ConvertText(Encoding to, Encoding from, const std::string& in, std::string* out) {
    return Run(to, from, in, out, [](const char*, size_t, std::string*) { return size_t{0}; });
}

std::string GbkToUtf8Shown(const std::string& gbk) {
    std::string out;
    Run(Encoding::kUtf8, Encoding::kGbk, gbk, &out, [](const char*, size_t, std::string* o) {
        *o += '?';
        return size_t{1};
    });
    return out;
}

std::string Utf8ToGbkTyped(const std::string& utf8) {
    std::string out;
    Run(Encoding::kGbk, Encoding::kUtf8, utf8, &out, [](const char* at, size_t left, std::string* o) {
        *o += '?';
        size_t skip = 1;  // the whole UTF-8 character
        while (skip < left && (static_cast<unsigned char>(at[skip]) & 0xC0) == 0x80) ++skip;
        return skip;
    });
    return out;
}

}  // namespace zephyr::portable
