#include "l2bridge/L2PacketServices.h"

#include <atomic>

#include "foundation/MErrorCode.h"
#include "foundation/RvProtocol.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

constexpr int32_t kLargestLength = 0xFFFF;
constexpr uint16_t kFlagBits = 0xE000;  // bits 15, 14, 13 of the header word

std::atomic<uint32_t> g_last_serial{0};

uint16_t AdvanceSerial() {
    uint32_t last = g_last_serial.load();
    uint32_t next;
    do {
        next = (last + 1) % L2PacketServices::kSerialCount;
    } while (!g_last_serial.compare_exchange_weak(last, next));
    return static_cast<uint16_t>(L2PacketServices::kSerialBase + next);
}

uint16_t ClampCapacity(int32_t capacity) {
    return static_cast<uint16_t>(capacity > kLargestLength ? kLargestLength : capacity);
}

}  // namespace

int32_t L2PacketServices::Pack(uint8_t first, uint8_t second, const void* data, int32_t length,
                               void* output, int32_t capacity) {
    if (data == nullptr || output == nullptr || length < 0 || capacity < 0 ||
        length > RvProtocol::kMaxPayload) {
        return ERR_BAD_ARGUMENT;
    }
    const uint16_t serial = AdvanceSerial();
    return RvProtocol::BuildPacket(RvProtocol::kFormHash, first, second, serial, 1, 0, 0,
                                   static_cast<const uint8_t*>(data),
                                   static_cast<uint16_t>(length), static_cast<uint8_t*>(output),
                                   ClampCapacity(capacity), 0, 1);
}

int32_t L2PacketServices::Unpack(const void* data, int32_t length, void** packet, void* work,
                                 int32_t work_capacity) {
    if (packet == nullptr) return ERR_BAD_ARGUMENT;
    *packet = nullptr;
    if (data == nullptr || work == nullptr || length < 0 || work_capacity < 0) {
        return ERR_BAD_ARGUMENT;
    }
    // One packet is at most 8000 + 20 bytes, so looking at the first 65535 is enough.
    const uint16_t available = ClampCapacity(length);
    const uint8_t* found = nullptr;
    const int32_t result = RvProtocol::ParsePacket(static_cast<const uint8_t*>(data), available,
                                                   &found, static_cast<uint8_t*>(work),
                                                   ClampCapacity(work_capacity));
    if (result <= 0) return result;
    if (result > kLargestPacket) return -1;
    if (found[0] != RvProtocol::kFormDollar) {
        const uint16_t word = LoadLe<uint16_t>(found + 1);
        if ((word & kFlagBits) == RvProtocol::kFlagExternal ||
            (word & kFlagBits) == (RvProtocol::kFlagExternal | RvProtocol::kFlagCompressed)) {
            return -2;  // needs the outside decompressor, which this driver does not have
        }
    }
    *packet = const_cast<uint8_t*>(found);
    return result;
}

uint16_t L2PacketServices::PeekNextSerial() {
    return static_cast<uint16_t>(kSerialBase + (g_last_serial.load() + 1) % kSerialCount);
}

void L2PacketServices::SetLastSerial(uint16_t serial) {
    g_last_serial.store(serial % kSerialCount);
}

}  // namespace zephyr
