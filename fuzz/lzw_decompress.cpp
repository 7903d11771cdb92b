// Arbitrary bytes as an LZW stream, plain and framed: the decoder must answer a length or an
// error and never touch memory outside the buffers it is given.
#include "foundation/MLZW.h"

#include <cstdlib>
#include <memory>

using zephyr::MLZW;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static MLZW coder;
    // Exactly sized heap buffers, so the address sanitizer sees any write past the capacity.
    const size_t capacity = size == 0 ? 0 : static_cast<size_t>(data[0]) * 48;
    std::unique_ptr<uint8_t[]> out(new uint8_t[capacity + 1]);

    const int32_t n = coder.Decompress(data, size, out.get(), capacity);
    if (n > static_cast<int32_t>(capacity)) abort();
    if (n > 0) {
        // The same stream fits a buffer of exactly n bytes and no smaller one.
        std::unique_ptr<uint8_t[]> exact(new uint8_t[n]);
        if (coder.Decompress(data, size, exact.get(), n) != n) abort();
        if (coder.Decompress(data, size, exact.get(), n - 1) >= 0) abort();
    }
    const int32_t f = coder.DecompressFramed(data, size, out.get(), capacity);
    if (f > static_cast<int32_t>(capacity)) abort();
    return 0;
}
