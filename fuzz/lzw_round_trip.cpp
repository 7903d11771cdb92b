// Whatever the coder compresses must decompress to the same bytes; what it refuses, it refuses
// with one of its buffer errors.
#include "foundation/MErrorCode.h"
#include "foundation/MLZW.h"

#include <cstdlib>
#include <cstring>
#include <memory>

using namespace zephyr;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MLZW coder;
    std::unique_ptr<uint8_t[]> packed(new uint8_t[size + 2]);
    const int32_t n = coder.CompressFramed(data, size, packed.get(), size + 2);
    if (size > MLZW::kMaxInput) {
        if (n != ERR_BAD_ARGUMENT) abort();
        return 0;
    }
    if (n < 0) {
        if (n != ERR_COMPRESS_FULL && n != ERR_LZW_BUFFER_FULL) abort();
        return 0;
    }
    if (static_cast<size_t>(n) > size) abort();  // never longer than the input
    std::unique_ptr<uint8_t[]> back(new uint8_t[size]);
    if (coder.DecompressFramed(packed.get(), n, back.get(), size) != static_cast<int32_t>(size)) abort();
    if (std::memcmp(back.get(), data, size) != 0) abort();
    return 0;
}
