#include "foundation/MMd5.h"

// MD5_Init / MD5_Update / MD5_Final are the interface the digest is defined by; OpenSSL 3 marks
// them deprecated in favour of EVP, which computes the same bytes.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>

namespace zephyr {

MMd5::MMd5() { MD5_Init(new (m_Native.bytes) MD5_CTX); }

MMd5::~MMd5() = default;

void MMd5::Update(const void* bytes, size_t length) { MD5_Update(m_Native.As<MD5_CTX>(), bytes, length); }

void MMd5::Final(uint8_t digest[kSize]) { MD5_Final(digest, m_Native.As<MD5_CTX>()); }

}  // namespace zephyr
