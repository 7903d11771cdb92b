// The pack and unpack services the driver offers the level-2 module (DriverWorkParams offsets
// 36 and 40), on the packet protocol of foundation/RvProtocol.h. Plain C-callable functions; any
// thread may call them at once: each call works on its own stack and the caller's buffers, and
// the pack serial is one process-wide atomic counter.
//
// Lengths and capacities come from the module as signed 32-bit values; a negative value, a
// null buffer, or a length no packet can have is refused with ERR_BAD_ARGUMENT, never read
// through. Capacities above 65535 are used as 65535.
//
// No outside compressor exists in this driver: packets are never stored externally
// compressed, and an externally compressed packet cannot be unpacked (-2).
#pragma once
#include <cstdint>

namespace zephyr {

class L2PacketServices {
public:
    static constexpr int32_t kLargestPacket = 8192;  // unpack refuses longer packets (-1)
    static constexpr uint16_t kSerialBase = 40000;
    static constexpr uint16_t kSerialCount = 10000;

    // Builds a "#" packet of `length` payload bytes into output: main type `first`, sub type
    // `second`, serial 40000..49999 (the next of the counter), count word 100; payloads of 100
    // bytes or more stored LZW-compressed when that makes them smaller. Returns the packet
    // length, or ERR_BAD_ARGUMENT (capacity below length + 11, length over 8000, negative or
    // null arguments).
    static int32_t Pack(uint8_t first, uint8_t second, const void* data, int32_t length,
                        void* output, int32_t capacity);

    // Parses the packet at the start of data. Returns its length and sets *packet (to data, or
    // to work for a packet that had to be decompressed: its header word then has bit 13
    // cleared); 0 when data does not hold a whole packet yet; -1 for a packet longer than
    // 8192 bytes; -2 for an externally compressed one; or a negative error of the protocol.
    // *packet is set to null unless the result is positive.
    static int32_t Unpack(const void* data, int32_t length, void** packet, void* work,
                          int32_t work_capacity);

    // The serial number the next Pack will use, and a way to set the counter (tests).
    static uint16_t PeekNextSerial();
    static void SetLastSerial(uint16_t serial_0_to_9999);
};

}  // namespace zephyr
