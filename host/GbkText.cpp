#include "host/GbkText.h"

#include <iconv.h>

namespace zephyr::hostkit {

std::string GbkToUtf8(const std::string& gbk) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return gbk;
    std::string out;
    char buffer[1024];
    char* in = const_cast<char*>(gbk.data());
    size_t in_left = gbk.size();
    while (in_left > 0) {
        char* o = buffer;
        size_t o_left = sizeof buffer;
        size_t r = iconv(cd, &in, &in_left, &o, &o_left);
        out.append(buffer, static_cast<size_t>(o - buffer));
        if (r == static_cast<size_t>(-1) && o_left == sizeof buffer) {
            // Invalid or incomplete sequence: show one byte as '?' and go on.
            out += '?';
            ++in;
            --in_left;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace zephyr::hostkit
