#include "portable/Md5.h"

#include <openssl/evp.h>

namespace zephyr::portable {

struct Md5::State {
    EVP_MD_CTX* context = nullptr;
    bool ok = false;
};

Md5::Md5() : m_State(new State) {
    m_State->context = EVP_MD_CTX_new();
    m_State->ok = m_State->context != nullptr &&
                  EVP_DigestInit_ex(m_State->context, EVP_md5(), nullptr) == 1;
}

Md5::~Md5() {
    if (m_State->context != nullptr) EVP_MD_CTX_free(m_State->context);
}

bool Md5::Update(const void* bytes, size_t size) {
    if (m_State->ok && size > 0) m_State->ok = EVP_DigestUpdate(m_State->context, bytes, size) == 1;
    return m_State->ok;
}

std::string Md5::Final() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    const bool ok = m_State->ok && EVP_DigestFinal_ex(m_State->context, digest, &size) == 1;
    m_State->ok = false;
    return ok ? std::string(reinterpret_cast<const char*>(digest), size) : std::string();
}

std::string Md5::Of(const std::string& bytes) {
    Md5 md5;
    md5.Update(bytes.data(), bytes.size());
    return md5.Final();
}

}  // namespace zephyr::portable
