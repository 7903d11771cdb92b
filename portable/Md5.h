// MD5 (RFC 1321) for the host's check of the market digest: OpenSSL EVP on POSIX, CNG on
// Windows. A digest object belongs to one thread at a time.
#pragma once
#include <cstddef>
#include <memory>
#include <string>

namespace zephyr::portable {

class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    // False when the system's hashing service failed (then Final gives "").
    bool Update(const void* bytes, size_t size);
    // The 16 digest bytes; the object takes no more input afterwards.
    std::string Final();

    // MD5 of one string of bytes ("" on failure).
    static std::string Of(const std::string& bytes);

private:
    struct State;
    std::unique_ptr<State> m_State;
};

}  // namespace zephyr::portable
