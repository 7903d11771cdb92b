// MD5 through the system's CNG provider (bcrypt.dll).
#include "portable/Md5.h"

#include <windows.h>
#include <bcrypt.h>

namespace zephyr::portable {

struct Md5::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;
};

Md5::Md5() : m_State(new State) {
    m_State->ok =
        BCryptOpenAlgorithmProvider(&m_State->algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) == 0 &&
        BCryptCreateHash(m_State->algorithm, &m_State->hash, nullptr, 0, nullptr, 0, 0) == 0;
}

Md5::~Md5() {
    if (m_State->hash != nullptr) BCryptDestroyHash(m_State->hash);
    if (m_State->algorithm != nullptr) BCryptCloseAlgorithmProvider(m_State->algorithm, 0);
}

bool Md5::Update(const void* bytes, size_t size) {
    const unsigned char* at = static_cast<const unsigned char*>(bytes);
    while (m_State->ok && size > 0) {
        const ULONG part = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
        m_State->ok = BCryptHashData(m_State->hash, const_cast<PUCHAR>(at), part, 0) == 0;
        at += part;
        size -= part;
    }
    return m_State->ok;
}

std::string Md5::Final() {
    unsigned char digest[16];
    const bool ok = m_State->ok && BCryptFinishHash(m_State->hash, digest, sizeof digest, 0) == 0;
    m_State->ok = false;
    return ok ? std::string(reinterpret_cast<const char*>(digest), sizeof digest) : std::string();
}

std::string Md5::Of(const std::string& bytes) {
    Md5 md5;
    md5.Update(bytes.data(), bytes.size());
    return md5.Final();
}

}  // namespace zephyr::portable
