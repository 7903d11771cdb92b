#include "foundation/RvProtocol.h"

#include "foundation/MCrc16.h"
#include "foundation/MErrorCode.h"
#include "foundation/MLZW.h"
#include "foundation/PackedCodec.h"

#include <cstring>

namespace zephyr {

namespace {

uint16_t LoadU16(const uint8_t* p) { return LoadLe<uint16_t>(p); }
void StoreU16(uint8_t* p, uint16_t value) { StoreLe(p, value); }

int32_t ParsePlain(const uint8_t* data, uint16_t available, const uint8_t** packet) {
    constexpr uint32_t header = RvProtocol::kPlainHeaderLength;
    if (available < 9) return 0;
    const uint32_t length = LoadU16(data + 1) & RvProtocol::kLengthMask;
    if (length > RvProtocol::kMaxPayload) return ERR_PACKET_BAD;
    if (available < length + header) return 0;
    if (MCrc16::Compute(data + header, length) != LoadU16(data + 3)) return ERR_PACKET_BAD;
    *packet = data;
    return static_cast<int32_t>(length + header);
}

int32_t ParseDollar(const uint8_t* data, uint16_t available, const uint8_t** packet) {
    constexpr uint32_t header = RvProtocol::kDollarHeaderLength;
    if (available < header) return 0;
    const uint32_t length = LoadU16(data + 7);
    if (length > RvProtocol::kMaxPayload) return ERR_PACKET_BAD;
    if (available < length + header) return 0;
    if (MCrc16::Compute(data + header, length) != LoadU16(data + 12)) return ERR_PACKET_BAD;
    *packet = data;  // a compressed "$" payload (0x48) is handed on as it is
    return static_cast<int32_t>(length + header);
}

int32_t ParseHash(const uint8_t* data, uint16_t available, const uint8_t** packet, uint8_t* work,
                  uint16_t workCapacity) {
    constexpr uint32_t header = RvProtocol::kHashHeaderLength;
    if (available <= 10) return 0;
    const uint16_t word = LoadU16(data + 1);
    const uint32_t length = word & RvProtocol::kLengthMask;
    if (length > RvProtocol::kMaxPayload) return ERR_PACKET_BAD;
    if (available < length + header) return 0;
    if (MCrc16::Compute(data + header, length) != LoadU16(data + 3)) return ERR_PACKET_BAD;

    constexpr uint16_t kTopFlags = 0x8000 | RvProtocol::kFlagCompressed;
    if ((word & kTopFlags) != RvProtocol::kFlagCompressed) {
        *packet = data;
        return static_cast<int32_t>(length + header);
    }
    // workCapacity >= available >= header here.
    std::memcpy(work, data, header);
    MLZW coder;
    const int32_t rc = coder.DecompressFramed(data + header, length, work + header, workCapacity - header);
    if (rc < 0) return rc;
    StoreU16(work + 1, static_cast<uint16_t>(word & (RvProtocol::kLengthMask | RvProtocol::kFlagExternal)));
    *packet = work;
    return rc + static_cast<int32_t>(header);
}

}  // namespace

int32_t RvProtocol::ParsePacket(const uint8_t* data, uint16_t available, const uint8_t** packet,
                                uint8_t* work, uint16_t workCapacity) {
    if (packet != nullptr) *packet = nullptr;
    if (available == 0) return 0;
    if (data == nullptr || packet == nullptr) return ERR_BAD_ARGUMENT;
    const uint8_t form = data[0];
    if (form != kFormPlain && form != kFormHash && form != kFormDollar) return ERR_PACKET_BAD;
    if (work == nullptr || workCapacity < available) return ERR_BAD_ARGUMENT;
    switch (form) {
        case kFormPlain: return ParsePlain(data, available, packet);
        case kFormDollar: return ParseDollar(data, available, packet);
        default: return ParseHash(data, available, packet, work, workCapacity);
    }
}

int32_t RvProtocol::BuildPacket(uint8_t form, uint8_t mainType, uint8_t subType, uint16_t serial,
                                uint8_t firstCount, uint8_t secondCount, uint16_t countWord,
                                const uint8_t* payload, uint16_t payloadLength, uint8_t* output,
                                uint16_t outputCapacity, uint8_t externallyCompressed, uint8_t compress) {
    if (form != kFormHash) return ERR_PACKET_BAD;
    if (output == nullptr || (payloadLength != 0 && payload == nullptr)) return ERR_BAD_ARGUMENT;
    if (outputCapacity < payloadLength + kHashHeaderLength) return ERR_BAD_ARGUMENT;
    // Bits 0-12 cannot describe more, and no parser takes more: refuse rather than write a
    // header whose length runs into the flag bits.
    if (payloadLength > kMaxPayload) return ERR_BAD_ARGUMENT;

    output[0] = kFormHash;
    output[5] = mainType;
    output[6] = subType;
    StoreU16(output + 7, serial);
    StoreU16(output + 9, (countWord & kCountWordGiven)
                             ? countWord
                             : static_cast<uint16_t>(100 * firstCount + secondCount));
    const uint16_t external = externallyCompressed == 1 ? kFlagExternal : 0;
    uint8_t* stored = output + kHashHeaderLength;

    if (compress == 1 && payloadLength >= kCompressMinimum) {
        MLZW coder;
        const int32_t rc = coder.CompressFramed(payload, payloadLength, stored, outputCapacity - kHashHeaderLength);
        if (rc > 0 && rc <= kMaxPayload) {
            StoreU16(output + 1, static_cast<uint16_t>(rc | kFlagCompressed | external));
            StoreU16(output + 3, MCrc16::Compute(stored, static_cast<size_t>(rc)));
            return rc + kHashHeaderLength;
        }
    }
    if (payloadLength != 0) std::memcpy(stored, payload, payloadLength);
    StoreU16(output + 1, static_cast<uint16_t>(payloadLength | external));
    StoreU16(output + 3, MCrc16::Compute(stored, payloadLength));
    return payloadLength + kHashHeaderLength;
}

}  // namespace zephyr
