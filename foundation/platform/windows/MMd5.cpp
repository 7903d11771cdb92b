#include "foundation/MMd5.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstdlib>

namespace zephyr {

namespace {

struct HashState {
    BCRYPT_ALG_HANDLE algorithm;
    BCRYPT_HASH_HANDLE hash;
};

}  // namespace

MMd5::MMd5() {
    HashState* state = new (m_Native.bytes) HashState{nullptr, nullptr};
    if (BCryptOpenAlgorithmProvider(&state->algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0 ||
        BCryptCreateHash(state->algorithm, &state->hash, nullptr, 0, nullptr, 0, 0) != 0) {
        std::abort();  // the system's own provider: missing only on a broken system
    }
}

MMd5::~MMd5() {
    HashState* state = m_Native.As<HashState>();
    if (state->hash != nullptr) BCryptDestroyHash(state->hash);
    if (state->algorithm != nullptr) BCryptCloseAlgorithmProvider(state->algorithm, 0);
}

void MMd5::Update(const void* bytes, size_t length) {
    HashState* state = m_Native.As<HashState>();
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
        const ULONG part = length > 0x40000000u ? 0x40000000u : static_cast<ULONG>(length);
        BCryptHashData(state->hash, const_cast<PUCHAR>(at), part, 0);
        at += part;
        length -= part;
    }
}

void MMd5::Final(uint8_t digest[kSize]) {
    BCryptFinishHash(m_Native.As<HashState>()->hash, digest, kSize, 0);
}

}  // namespace zephyr
