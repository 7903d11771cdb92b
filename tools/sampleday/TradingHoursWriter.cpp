#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {
namespace {

void PutU16(std::string& b, size_t at, uint32_t v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void PutU32(std::string& b, size_t at, uint32_t v) {
    PutU16(b, at, v & 0xFFFF);
    PutU16(b, at + 2, v >> 16);
}

}  // namespace

// A 16-byte header and three blocks of 2048 bytes; the driver reads only the four session bounds
// in the third block. The header and the block's first bytes carry a mark, the market number and
// the session count for readers who look.
std::string TradingHoursFile(const TradingHours& h) {
    constexpr size_t kSize = 16 + 3 * 2048;
    std::string b(kSize, '\0');
    b.replace(0, 4, "LKND");
    PutU32(b, 4, 1);      // layout version
    PutU32(b, 8, kSize);  // file size
    PutU16(b, 4112, 30);  // market number
    PutU16(b, 4114, 2);   // sessions
    PutU16(b, 4122, h.open1);
    PutU16(b, 4124, h.close1);
    PutU16(b, 4126, h.open2);
    PutU16(b, 4128, h.close2);
    return b;
}

}  // namespace zephyr::sampleday
