// Arbitrary bytes offered to the packet parser, and the same bytes packed as a payload and parsed
// back. A result must describe memory that is really there.
#include "foundation/MErrorCode.h"
#include "foundation/RvProtocol.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace zephyr;

namespace {

constexpr size_t kWork = 16384;  // what the level-2 bridge offers

void ParseArbitrary(const uint8_t* data, size_t size) {
    const uint16_t available = static_cast<uint16_t>(std::min<size_t>(size, 0xFFFF));
    const size_t capacity = std::max<size_t>(available, kWork);
    std::unique_ptr<uint8_t[]> work(new uint8_t[capacity]);
    const uint8_t* packet = nullptr;
    const int32_t n = RvProtocol::ParsePacket(data, available, &packet, work.get(), static_cast<uint16_t>(capacity));
    if (n <= 0) {
        if (packet != nullptr) abort();
        return;
    }
    if (packet == data) {
        if (static_cast<size_t>(n) > available) abort();
    } else if (packet == work.get()) {
        if (static_cast<size_t>(n) > capacity || data[0] != RvProtocol::kFormHash) abort();
    } else {
        abort();
    }
    volatile uint8_t sum = 0;  // let the sanitizer check every byte of the result
    for (int32_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + packet[i]);
}

void PackAndParse(const uint8_t* data, size_t size) {
    if (size < 3) return;
    const uint8_t flags = data[0];
    const uint16_t length = static_cast<uint16_t>(std::min<size_t>(size - 1, 9000));
    const uint8_t* payload = data + 1;
    const uint16_t capacity = static_cast<uint16_t>(length + 11);
    std::unique_ptr<uint8_t[]> out(new uint8_t[capacity]);
    const int32_t n = RvProtocol::BuildPacket('#', data[1], data[2], 40000, flags, 0, 0, payload, length,
                                              out.get(), capacity, flags & 1, (flags >> 1) & 1);
    if (length > RvProtocol::kMaxPayload) {
        if (n != ERR_BAD_ARGUMENT) abort();
        return;
    }
    if (n < 11 || n > capacity) abort();
    std::unique_ptr<uint8_t[]> work(new uint8_t[kWork]);
    const uint8_t* packet = nullptr;
    const int32_t r = RvProtocol::ParsePacket(out.get(), static_cast<uint16_t>(n), &packet, work.get(), kWork);
    if (r != length + 11 || std::memcmp(packet + 11, payload, length) != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ParseArbitrary(data, size);
    PackAndParse(data, size);
    return 0;
}
