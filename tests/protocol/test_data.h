// Inputs shared by the coder and packet tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace protocol_test {

using Bytes = std::vector<uint8_t>;

inline Bytes Repeat(const char* text, size_t length) {
    Bytes out(length);
    const size_t n = std::strlen(text);
    for (size_t i = 0; i < length; ++i) out[i] = static_cast<uint8_t>(text[i % n]);
    return out;
}

inline Bytes Random(size_t length, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes out(length);
    for (auto& b : out) b = static_cast<uint8_t>(gen());
    return out;
}

// Letters drawn from a small alphabet by a fixed linear congruential generator: compressible,
// yet varied enough to drive the code width up to 13 bits at 8192 bytes.
inline Bytes Letters(size_t length, size_t alphabet) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    uint32_t x = 1;
    Bytes out(length);
    for (auto& b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(kAlphabet[(x >> 16) % alphabet]);
    }
    return out;
}

inline Bytes EveryByte(size_t rounds) {
    Bytes out(256 * rounds);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(i);
    return out;
}

}  // namespace protocol_test
