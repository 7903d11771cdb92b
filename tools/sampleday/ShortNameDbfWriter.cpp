#include <cstdio>
#include <cstring>

#include "tools/sampleday/Format.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {
namespace {

struct Field {
    const char* name;
    char type;
    uint8_t length;
    uint8_t decimals;
};

// S1 code, S2 short name (the driver keeps 8 bytes), S26 name, INDEXCODE the index a share
// belongs to, NRRATE a rate in ten-thousandths shown with four places.
const Field kFields[] = {
    {"S1", 'C', 6, 0}, {"S2", 'C', 8, 0}, {"S26", 'C', 50, 0},
    {"INDEXCODE", 'N', 10, 0}, {"NRRATE", 'N', 10, 4},
};

void PutLe(std::string& b, size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace

std::string ShortNameDbf(const Day& day) {
    constexpr size_t kFieldCount = sizeof kFields / sizeof kFields[0];
    constexpr size_t kHeaderSize = 32 * (kFieldCount + 1) + 1;
    size_t recordSize = 1;
    for (const Field& f : kFields) recordSize += f.length;
    uint32_t rows = 0;
    for (const Share& s : day.shares) rows += s.shortGbk.empty() ? 0 : 1;

    std::string b(kHeaderSize, '\0');
    b[0] = 0x03;  // dBASE III without memo
    b[1] = char(day.date / 10000 - 1900);
    b[2] = char(day.date / 100 % 100);
    b[3] = char(day.date % 100);
    PutLe(b, 4, rows, 4);
    PutLe(b, 8, uint32_t(kHeaderSize), 2);
    PutLe(b, 10, uint32_t(recordSize), 2);
    b[29] = char(0x7A);  // language driver: GBK (code page 936)
    for (size_t i = 0; i < kFieldCount; ++i) {
        const size_t at = 32 * (i + 1);
        std::memcpy(&b[at], kFields[i].name, std::strlen(kFields[i].name));
        b[at + 11] = kFields[i].type;
        b[at + 16] = char(kFields[i].length);
        b[at + 17] = char(kFields[i].decimals);
    }
    b[kHeaderSize - 1] = 0x0D;

    for (const Share& s : day.shares) {
        if (s.shortGbk.empty()) continue;
        char rate[16];
        snprintf(rate, sizeof rate, "%u.%04u", s.rate / 10000, s.rate % 10000);
        b += ' ';  // not deleted
        b += Left(s.code, 6);
        b += Left(s.shortGbk, 8);
        b += Left(s.nameGbk + " " + s.english, 50).substr(0, 50);
        b += Right(std::to_string(s.indexCode), 10);
        b += Right(rate, 10);
    }
    b += char(0x1A);  // end of file mark
    return b;
}

}  // namespace zephyr::sampleday
