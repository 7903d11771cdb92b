// MD5 through the system's own cryptography: the RFC 1321 test suite, whole and in pieces.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "foundation/MMd5.h"

using zephyr::MMd5;

namespace {

std::string Hex(const uint8_t* digest) {
    std::string text;
    char two[3];
    for (uint32_t i = 0; i < MMd5::kSize; ++i) {
        std::snprintf(two, sizeof two, "%02x", digest[i]);
        text += two;
    }
    return text;
}

}  // namespace

TEST(MMd5, Rfc1321Suite) {
    const struct {
        const char* text;
        const char* digest;
    } cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& c : cases) {
        const std::string text = c.text;
        uint8_t whole[MMd5::kSize];
        MMd5 once;
        once.Update(text.data(), text.size());
        once.Final(whole);
        EXPECT_EQ(Hex(whole), c.digest) << '"' << text << '"';
        // The same bytes given one at a time.
        uint8_t pieces[MMd5::kSize];
        MMd5 byte_by_byte;
        for (char ch : text) byte_by_byte.Update(&ch, 1);
        byte_by_byte.Final(pieces);
        EXPECT_EQ(Hex(pieces), c.digest) << '"' << text << '"';
    }
}
