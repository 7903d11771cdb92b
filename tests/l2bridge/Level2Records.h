// Builders of level-2 pushes for the bridge and handler tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace l2test {

using Bytes = std::vector<uint8_t>;

inline void PutU32(Bytes& b, size_t at, uint32_t v) { memcpy(b.data() + at, &v, 4); }

inline Bytes Header(uint32_t time) {
    Bytes b(4);
    PutU32(b, 0, time);
    return b;
}

inline Bytes MarketTimeRecord(uint32_t time) {
    Bytes b(11, 0);
    b[0] = 14;
    PutU32(b, 6, time);
    return b;
}

// A level-2 snapshot whose every byte after the type is its own offset (mod 251), with the
// code written at bytes 1..6.
inline Bytes SnapshotRecord(const char* code) {
    Bytes b(255);
    b[0] = 15;
    for (size_t i = 1; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i % 251);
    memset(b.data() + 1, 0, 6);
    memcpy(b.data() + 1, code, strlen(code) < 6 ? strlen(code) : 6);
    return b;
}

inline Bytes Skipped(uint8_t type, uint8_t queue = 0) {
    Bytes b;
    if (type == 1) b.assign(43, 0xA1);
    if (type == 2) {
        b.assign(9 + 2 * queue, 0xA2);
        b[8] = queue;
    }
    if (type == 3) b.assign(24, 0xA3);
    b[0] = type;
    return b;
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes Cut(Bytes b, size_t length) {
    b.resize(length);
    return b;
}

}  // namespace l2test
