// The pack and unpack services offered to the level-2 module: serial numbers, compression,
// and refusal of hostile lengths and of packets this driver cannot undo.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "foundation/MCrc16.h"
#include "foundation/MErrorCode.h"
#include "foundation/MLZW.h"
#include "foundation/RvProtocol.h"
#include "l2bridge/L2PacketServices.h"

namespace zephyr {
namespace {

using Bytes = std::vector<uint8_t>;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

Bytes Text(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<uint8_t>("level-2 snapshot "[i % 17]);
    return b;
}

Bytes Pack(const Bytes& payload, int32_t capacity = 9000) {
    Bytes out(capacity > 0 ? capacity : 1);
    const int32_t n = L2PacketServices::Pack(2, 41, payload.data(), static_cast<int32_t>(payload.size()),
                                             out.data(), capacity);
    EXPECT_GT(n, 0);
    out.resize(n > 0 ? n : 0);
    return out;
}

TEST(PacketServicesTest, SerialNumbersRunFrom40000To49999AndWrap) {
    L2PacketServices::SetLastSerial(9997);
    std::vector<uint16_t> serials;
    for (int i = 0; i < 4; ++i) serials.push_back(U16(Pack(Text(20)).data() + 7));
    EXPECT_EQ(serials, (std::vector<uint16_t>{49998, 49999, 40000, 40001}));
    EXPECT_EQ(L2PacketServices::PeekNextSerial(), 40002);
}

TEST(PacketServicesTest, ShortPayloadStaysPlainLongOneIsCompressedAndUnpacksBack) {
    const Bytes small = Pack(Text(50));
    ASSERT_EQ(small.size(), 61u);
    EXPECT_EQ(small[0], '#');
    EXPECT_EQ(U16(small.data() + 1), 50);
    EXPECT_EQ(small[5], 2);
    EXPECT_EQ(small[6], 41);
    EXPECT_EQ(U16(small.data() + 9), 100);  // first count 1, second count 0

    const Bytes payload = Text(2000);
    const Bytes packet = Pack(payload);
    const uint16_t word = U16(packet.data() + 1);
    EXPECT_TRUE(word & RvProtocol::kFlagCompressed);
    EXPECT_FALSE(word & RvProtocol::kFlagExternal);
    EXPECT_LT(packet.size(), payload.size());

    Bytes work(16384);
    void* found = nullptr;
    const int32_t n = L2PacketServices::Unpack(packet.data(), static_cast<int32_t>(packet.size()),
                                               &found, work.data(), static_cast<int32_t>(work.size()));
    ASSERT_EQ(n, 2011);
    ASSERT_EQ(found, work.data());
    EXPECT_FALSE(U16(work.data() + 1) & RvProtocol::kFlagCompressed);
    EXPECT_EQ(Bytes(work.begin() + 11, work.begin() + n), payload);

    // A plain packet comes back where it lies.
    EXPECT_EQ(L2PacketServices::Unpack(small.data(), 61, &found, work.data(), 16384), 61);
    EXPECT_EQ(found, small.data());
}

TEST(PacketServicesTest, PackRefusesWhatItCannotBuild) {
    const Bytes payload = Text(9000);
    Bytes out(20000);
    struct {
        const void* data;
        int32_t length;
        void* output;
        int32_t capacity;
    } cases[] = {
        {payload.data(), -1, out.data(), 20000},
        {payload.data(), INT32_MIN, out.data(), 20000},
        {payload.data(), 8001, out.data(), 20000},
        {payload.data(), 65536 + 50, out.data(), 20000},  // would be 50 if cut to 16 bits
        {payload.data(), 50, out.data(), 60},             // one byte short
        {payload.data(), 50, out.data(), -5},
        {nullptr, 50, out.data(), 20000},
        {payload.data(), 50, nullptr, 20000},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(L2PacketServices::Pack(2, 41, c.data, c.length, c.output, c.capacity), ERR_BAD_ARGUMENT)
            << "length " << c.length << " capacity " << c.capacity;
    }
    // Capacities beyond 16 bits are simply large.
    EXPECT_EQ(L2PacketServices::Pack(2, 41, payload.data(), 50, out.data(), 70000), 61);
}

TEST(PacketServicesTest, UnpackRefusesHostileArgumentsAndForeignCompression) {
    const Bytes packet = Pack(Text(50));
    Bytes work(16384);
    void* found = &work;
    EXPECT_EQ(L2PacketServices::Unpack(packet.data(), -1, &found, work.data(), 16384), ERR_BAD_ARGUMENT);
    EXPECT_EQ(found, nullptr);
    EXPECT_EQ(L2PacketServices::Unpack(packet.data(), 61, &found, work.data(), -1), ERR_BAD_ARGUMENT);
    EXPECT_EQ(L2PacketServices::Unpack(packet.data(), 61, nullptr, work.data(), 16384), ERR_BAD_ARGUMENT);
    EXPECT_EQ(L2PacketServices::Unpack(packet.data(), 10, &found, work.data(), 16384), 0);
    EXPECT_EQ(L2PacketServices::Unpack(packet.data(), 0, &found, work.data(), 16384), 0);

    // Payloads compressed by an outside compressor (bit 14, with or without bit 13).
    for (uint8_t compress : {0, 1}) {
        const Bytes payload = Text(compress ? 2000 : 50);
        Bytes external(payload.size() + 11);
        const int32_t n = RvProtocol::BuildPacket('#', 2, 41, 40001, 1, 0, 0, payload.data(),
                                                  static_cast<uint16_t>(payload.size()), external.data(),
                                                  static_cast<uint16_t>(external.size()), 1, compress);
        ASSERT_GT(n, 0);
        EXPECT_EQ(L2PacketServices::Unpack(external.data(), n, &found, work.data(), 16384), -2);
        EXPECT_EQ(found, nullptr);
    }
}

TEST(PacketServicesTest, UnpackRefusesAPacketThatGrowsBeyond8192Bytes) {
    const Bytes zeros(8192, 0);
    Bytes stored(8192);
    MLZW coder;
    const int32_t z = coder.CompressFramed(zeros.data(), zeros.size(), stored.data(), stored.size());
    ASSERT_GT(z, 0);
    Bytes packet(11 + z, 0);
    packet[0] = '#';
    const uint16_t word = static_cast<uint16_t>(z | RvProtocol::kFlagCompressed);
    memcpy(packet.data() + 1, &word, 2);
    const uint16_t crc = MCrc16::Compute(stored.data(), z);
    memcpy(packet.data() + 3, &crc, 2);
    memcpy(packet.data() + 11, stored.data(), z);
    Bytes work(16384);
    void* found = nullptr;
    EXPECT_EQ(L2PacketServices::Unpack(packet.data(), static_cast<int32_t>(packet.size()), &found,
                                       work.data(), 16384), -1);
    EXPECT_EQ(found, nullptr);
}

}  // namespace
}  // namespace zephyr
