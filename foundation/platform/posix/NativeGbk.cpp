#include "foundation/platform/NativeGbk.h"

#include <iconv.h>
#include <pthread.h>

#include <cerrno>
#include <cstddef>

#include "foundation/MErrorCode.h"

namespace zephyr {
namespace native {

namespace {

// One converter for the process, opened at the first use; conversions take its lock, so no
// call allocates.
// Constant-initialised (no sentinel casts), so a use during another unit's start-up is safe.
struct Converter {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    iconv_t handle = nullptr;
    int state = 0;  // 0 not tried yet, 1 open, -1 iconv cannot convert

    ~Converter() {
        if (state == 1) {
            iconv_close(handle);
        }
    }
};

Converter g_converter;

struct Unlocker {
    pthread_mutex_t* mutex;
    ~Unlocker() { pthread_mutex_unlock(mutex); }
};

}  // namespace

int32_t Utf16LeToGbk(const unsigned char* bytes, size_t length, char* destination,
                     uint32_t destination_size) {
    pthread_mutex_lock(&g_converter.mutex);
    Unlocker unlocker{&g_converter.mutex};
    if (g_converter.state == 0) {
        g_converter.handle = iconv_open("GBK", "UTF-16LE");
        g_converter.state = g_converter.handle != reinterpret_cast<iconv_t>(-1) ? 1 : -1;
    }
    if (g_converter.state != 1) {
        return SystemError(EINVAL);
    }
    iconv(g_converter.handle, nullptr, nullptr, nullptr, nullptr);

    char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
    size_t in_left = length;
    char* out = destination;
    size_t out_left = destination_size - 1;
    while (in_left > 0) {
        if (iconv(g_converter.handle, &in, &in_left, &out, &out_left) != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            break;  // the next character does not fit whole
        }
        // No GBK form, a broken surrogate (EILSEQ) or a surrogate cut at the end (EINVAL).
        if (out_left == 0) {
            break;
        }
        *out++ = '?';
        --out_left;
        const size_t at = length - in_left;
        const uint32_t unit = Utf16UnitAt(bytes, at);
        size_t skip = 2;
        if (unit >= 0xD800 && unit < 0xDC00 && in_left >= 4) {
            const uint32_t next = Utf16UnitAt(bytes, at + 2);
            if (next >= 0xDC00 && next < 0xE000) {
                skip = 4;  // a whole pair without a GBK form is one character
            }
        }
        if (errno == EINVAL || skip > in_left) {
            break;
        }
        in += skip;
        in_left -= skip;
    }
    *out = 0;
    return static_cast<int32_t>(out - destination);
}

}  // namespace native
}  // namespace zephyr
