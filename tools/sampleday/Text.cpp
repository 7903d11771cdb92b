#include "tools/sampleday/Text.h"

#include <iconv.h>

#include <cerrno>

namespace zephyr::sampleday {

bool ConvertText(const char* to, const char* from, const std::string& in, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input = in;  // iconv wants a mutable source pointer
    char* src = input.empty() ? nullptr : &input[0];
    size_t srcLeft = input.size();
    bool ok = true;
    char buf[256];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, size_t(dst - buf));
        if (rc == size_t(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

std::string Hex(const std::string& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

}  // namespace zephyr::sampleday
