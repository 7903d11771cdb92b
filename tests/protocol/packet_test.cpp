#include "foundation/MCrc16.h"
#include "foundation/MErrorCode.h"
#include "foundation/RvProtocol.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <thread>

using namespace zephyr;
using namespace protocol_test;

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Builds a "#" packet as the pack service does: main 2, sub 41, serial 40001, counts 1 and 0.
Bytes Build(const Bytes& payload, uint8_t compress, uint8_t external = 0) {
    Bytes out(payload.size() + 11);
    const int32_t n = RvProtocol::BuildPacket('#', 2, 41, 40001, 1, 0, 0, payload.data(),
                                              static_cast<uint16_t>(payload.size()), out.data(),
                                              static_cast<uint16_t>(out.size()), external, compress);
    EXPECT_GT(n, 0);
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

struct Parsed {
    int32_t result;
    const uint8_t* packet;
};

Parsed Parse(const Bytes& data, Bytes& work, size_t available) {
    const uint8_t* packet = reinterpret_cast<const uint8_t*>(&work);  // must be overwritten
    const int32_t rc = RvProtocol::ParsePacket(data.data(), static_cast<uint16_t>(available), &packet,
                                               work.data(), static_cast<uint16_t>(work.size()));
    return {rc, packet};
}

Bytes DollarPacket(const Bytes& payload, uint8_t marker) {
    Bytes p(20 + payload.size(), 0);
    p[0] = '$';
    p[1] = 2;
    p[2] = 41;
    p[3] = 1;
    p[7] = static_cast<uint8_t>(payload.size());
    p[8] = static_cast<uint8_t>(payload.size() >> 8);
    p[9] = marker;
    const uint16_t crc = MCrc16::Compute(payload.data(), payload.size());
    p[12] = static_cast<uint8_t>(crc);
    p[13] = static_cast<uint8_t>(crc >> 8);
    std::copy(payload.begin(), payload.end(), p.begin() + 20);
    return p;
}

// Form 0: the covered bytes start with main type, sub type, serial and count word.
Bytes PlainPacket(const Bytes& data) {
    Bytes covered{2, 41, 0x41, 0x9C, 100, 0};
    covered.insert(covered.end(), data.begin(), data.end());
    Bytes p{0, static_cast<uint8_t>(covered.size()), static_cast<uint8_t>(covered.size() >> 8), 0, 0};
    const uint16_t crc = MCrc16::Compute(covered.data(), covered.size());
    p[3] = static_cast<uint8_t>(crc);
    p[4] = static_cast<uint8_t>(crc >> 8);
    p.insert(p.end(), covered.begin(), covered.end());
    return p;
}

}  // namespace

TEST(PacketBuild, HeaderFields) {
    const Bytes payload = Repeat("x", 50);
    const Bytes p = Build(payload, 1);  // too short to compress
    ASSERT_EQ(p.size(), 61u);
    EXPECT_EQ(p[0], '#');
    EXPECT_EQ(U16(&p[1]), 50);
    EXPECT_EQ(U16(&p[3]), MCrc16::Compute(payload.data(), payload.size()));
    EXPECT_EQ(p[5], 2);
    EXPECT_EQ(p[6], 41);
    EXPECT_EQ(U16(&p[7]), 40001);
    EXPECT_EQ(U16(&p[9]), 100);
    EXPECT_EQ(Bytes(p.begin() + 11, p.end()), payload);

    uint8_t out[64];
    ASSERT_EQ(RvProtocol::BuildPacket('#', 1, 2, 3, 7, 9, 0, payload.data(), 50, out, 61, 1, 0), 61);
    EXPECT_EQ(U16(out + 1), 50 | 0x4000);
    EXPECT_EQ(U16(out + 9), 709);
    ASSERT_EQ(RvProtocol::BuildPacket('#', 1, 2, 3, 7, 9, 0x8123, payload.data(), 50, out, 61, 0, 0), 61);
    EXPECT_EQ(U16(out + 9), 0x8123);  // a count word with bit 15 is kept
}

TEST(PacketBuild, Refusals) {
    const Bytes big = Repeat("abc", 8192);
    Bytes out(9000);
    const auto build = [&](uint8_t form, uint16_t length, uint16_t capacity) {
        return RvProtocol::BuildPacket(form, 2, 41, 1, 1, 0, 0, big.data(), length, out.data(), capacity, 0, 1);
    };
    EXPECT_EQ(build('#', 100, 110), ERR_BAD_ARGUMENT);
    EXPECT_EQ(build('$', 100, 200), ERR_PACKET_BAD);
    EXPECT_EQ(build(0, 100, 200), ERR_PACKET_BAD);
    // Past 8000 bytes no parser would take the packet, and from 8192 on the length would run
    // into the compression flag: refuse instead of writing a header that lies.
    EXPECT_EQ(build('#', 8001, 9000), ERR_BAD_ARGUMENT);
    EXPECT_EQ(build('#', 8192, 9000), ERR_BAD_ARGUMENT);
    EXPECT_EQ(RvProtocol::BuildPacket('#', 2, 41, 1, 1, 0, 0, big.data(), 8001, out.data(), 9000, 0, 0),
              ERR_BAD_ARGUMENT);
    EXPECT_GT(build('#', 8000, 9000), 0);
}

TEST(PacketBuild, CompressedPayloadParsesBackIntoTheWorkBuffer) {
    const Bytes payload = Repeat("HSI 0700 TENCENT 388.20 ", 2000);
    for (uint8_t external : {0, 1}) {
        SCOPED_TRACE(external);
        const Bytes p = Build(payload, 1, external);
        const uint16_t word = U16(&p[1]);
        ASSERT_TRUE(word & 0x2000);
        EXPECT_EQ(word & 0x4000, external ? 0x4000 : 0);
        const size_t stored = word & 0x1FFF;
        EXPECT_EQ(stored + 11, p.size());
        EXPECT_LT(stored, payload.size());
        EXPECT_EQ(U16(&p[3]), MCrc16::Compute(&p[11], stored));
        EXPECT_EQ(U16(&p[11]), MCrc16::Compute(payload.data(), payload.size()));  // frame CRC

        Bytes work(4096);
        const Parsed r = Parse(p, work, p.size());
        ASSERT_EQ(r.result, 2011);
        ASSERT_EQ(r.packet, work.data());
        EXPECT_EQ(U16(&work[1]), stored | (external ? 0x4000 : 0));  // bit 13 cleared, length kept
        EXPECT_EQ(U16(&work[3]), U16(&p[3]));
        EXPECT_EQ(Bytes(p.begin() + 5, p.begin() + 11), Bytes(work.begin() + 5, work.begin() + 11));
        EXPECT_EQ(Bytes(work.begin() + 11, work.begin() + 2011), payload);

        Bytes small(1000);  // holds the packet, not the decompressed payload
        EXPECT_EQ(Parse(p, small, p.size()).result, ERR_LZW_BUFFER_FULL);
    }
}

TEST(PacketBuild, IncompressiblePayloadIsStoredAsItIs) {
    const Bytes payload = Random(4000, 11);
    const Bytes p = Build(payload, 1);
    ASSERT_EQ(p.size(), 4011u);
    EXPECT_EQ(U16(&p[1]), 4000);
    EXPECT_EQ(Bytes(p.begin() + 11, p.end()), payload);
}

TEST(PacketBuild, RoundTripTable) {
    struct Case {
        const char* name;
        Bytes payload;
        bool compressed;
    };
    const Case cases[] = {
        {"empty", Bytes{}, false},
        {"tiny", Repeat("ab", 6), false},
        {"99 repetitive", Repeat("abc", 99), false},
        {"100 repetitive", Repeat("abc", 100), true},
        {"random", Random(3000, 3), false},
        {"every byte", EveryByte(4), true},
        {"8000 letters", Letters(8000, 32), true},
        {"8000 random", Random(8000, 5), false},
    };
    Bytes work(16384);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes p = Build(c.payload, 1);
        EXPECT_EQ((U16(&p[1]) & 0x2000) != 0, c.compressed);
        const Parsed r = Parse(p, work, p.size());
        ASSERT_EQ(r.result, static_cast<int32_t>(c.payload.size() + 11));
        EXPECT_EQ(Bytes(r.packet + 11, r.packet + r.result), c.payload);
    }
}

TEST(PacketParse, WaitsForTheWholePacketInEveryForm) {
    const Bytes forms[] = {Build(Repeat("0700", 40), 0), Build(Repeat("0700", 400), 1),
                           DollarPacket(Repeat("abc", 30), 0x40), PlainPacket(Repeat("xyz", 20))};
    for (const Bytes& p : forms) {
        SCOPED_TRACE(p[0]);
        Bytes work(16384);
        for (size_t available = 0; available < p.size(); ++available) {
            const Parsed r = Parse(p, work, available);
            ASSERT_EQ(r.result, 0) << available;
            EXPECT_EQ(r.packet, nullptr);
        }
        Bytes longer = p;  // a following packet's bytes are not part of this one
        longer.insert(longer.end(), p.begin(), p.end());
        EXPECT_GT(Parse(longer, work, longer.size()).result, 0);
        EXPECT_EQ(Parse(longer, work, longer.size()).result, Parse(p, work, p.size()).result);
    }
}

TEST(PacketParse, FormsThatPassThrough) {
    Bytes work(16384);
    for (uint8_t marker : {0x40, 0x48}) {  // 0x48 marks a compressed payload, handed on as it is
        const Bytes payload = Repeat("L2", 100);
        const Bytes p = DollarPacket(payload, marker);
        const Parsed r = Parse(p, work, p.size());
        EXPECT_EQ(r.result, 120);
        EXPECT_EQ(r.packet, p.data());
    }
    const Bytes plain = PlainPacket(Repeat("xyz", 20));
    const Parsed r = Parse(plain, work, plain.size());
    EXPECT_EQ(r.result, 5 + 6 + 20);
    EXPECT_EQ(r.packet, plain.data());

    // A "#" packet with bit 15 set is not decompressed here, whatever bit 13 says.
    Bytes odd = Build(Repeat("x", 20), 0);
    odd[2] |= 0xA0;
    const Parsed o = Parse(odd, work, odd.size());
    EXPECT_EQ(o.result, 31);
    EXPECT_EQ(o.packet, odd.data());
}

TEST(PacketParse, BadPackets) {
    const Bytes hash = Build(Repeat("0700", 400), 1);
    const Bytes dollar = DollarPacket(Repeat("abc", 30), 0x48);
    const Bytes plain = PlainPacket(Repeat("xyz", 20));
    const auto flip = [](Bytes p, size_t at) {
        p[at] ^= 0x10;
        return p;
    };
    const auto withLength = [](Bytes p, size_t at, uint16_t length) {
        p[at] = static_cast<uint8_t>(length);
        p[at + 1] = static_cast<uint8_t>(length >> 8);
        p.resize(20 + 8001 + 20, 0);
        return p;
    };
    Bytes badFrame = Build(Repeat("0700", 400), 1);  // stored bytes agree, frame CRC does not
    badFrame[11] ^= 1;
    const uint16_t crc = MCrc16::Compute(&badFrame[11], badFrame.size() - 11);
    badFrame[3] = static_cast<uint8_t>(crc);
    badFrame[4] = static_cast<uint8_t>(crc >> 8);

    struct Case {
        const char* name;
        Bytes data;
        int32_t expected;
    };
    const Case cases[] = {
        {"'!' form", Bytes{'!', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, ERR_PACKET_BAD},
        {"'#' flipped payload bit", flip(hash, hash.size() - 1), ERR_PACKET_BAD},
        {"'$' flipped payload bit", flip(dollar, 25), ERR_PACKET_BAD},
        {"0 flipped payload bit", flip(plain, 9), ERR_PACKET_BAD},
        {"'#' length 8001", withLength(hash, 1, 8001), ERR_PACKET_BAD},
        {"'$' length 8001", withLength(dollar, 7, 8001), ERR_PACKET_BAD},
        {"0 length 8001", withLength(plain, 1, 8001), ERR_PACKET_BAD},
        {"frame CRC", badFrame, ERR_LZW_DICT_FULL},
    };
    Bytes work(16384);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Parsed r = Parse(c.data, work, c.data.size());
        EXPECT_EQ(r.result, c.expected);
        EXPECT_EQ(r.packet, nullptr);
    }
    // The work buffer must hold at least what is offered, checked before anything else.
    Bytes small(4);
    EXPECT_EQ(Parse(hash, small, 5).result, ERR_BAD_ARGUMENT);
    EXPECT_EQ(Parse(dollar, small, 5).result, ERR_BAD_ARGUMENT);
    EXPECT_EQ(Parse(Bytes{'!', 0, 0, 0, 0, 0}, small, 5).result, ERR_PACKET_BAD);
}

// No shared state: threads packing and unpacking at once each get their own results.
TEST(PacketParse, ParallelPackAndUnpack) {
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            const Bytes payload = Letters(3000 + 500 * t, 8 + 4 * t);
            Bytes packet(payload.size() + 11), work(16384);
            for (int i = 0; i < 30; ++i) {
                const int32_t n = RvProtocol::BuildPacket('#', 2, 41, 1, 1, 0, 0, payload.data(),
                                                          static_cast<uint16_t>(payload.size()), packet.data(),
                                                          static_cast<uint16_t>(packet.size()), 0, 1);
                const uint8_t* p = nullptr;
                const int32_t r = RvProtocol::ParsePacket(packet.data(), static_cast<uint16_t>(n), &p, work.data(),
                                                          static_cast<uint16_t>(work.size()));
                if (r != static_cast<int32_t>(payload.size() + 11) || !std::equal(payload.begin(), payload.end(), p + 11))
                    ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_EQ(failures, std::vector<int>(4, 0));
}
