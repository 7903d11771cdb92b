// MD5 (RFC 1321) of a run of byte blocks, through the operating system's own cryptography
// (OpenSSL's libcrypto on Linux, CNG on Windows). One object per digest, one thread at a time.
#pragma once
#include <cstddef>
#include <cstdint>

#include "foundation/platform/NativeStorage.h"

namespace zephyr {

class MMd5 {
public:
    static constexpr uint32_t kSize = 16;

    MMd5();
    ~MMd5();
    MMd5(const MMd5&) = delete;
    MMd5& operator=(const MMd5&) = delete;

    void Update(const void* bytes, size_t length);
    // The digest of everything given since construction; the object is then spent.
    void Final(uint8_t digest[kSize]);

private:
    NativeStorage<112> m_Native;
};

}  // namespace zephyr
