#include "foundation/MCrc16.h"
#include "foundation/MErrorCode.h"
#include "foundation/MLZW.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>

using namespace zephyr;
using namespace protocol_test;

namespace {

// Codes packed most significant bit first, as a coder would write them.
using Codes = std::vector<std::pair<uint32_t, int>>;  // code, width

Bytes Stream(const Codes& codes) {
    Bytes out;
    size_t bits = 0;
    for (const auto& [code, width] : codes) {
        for (int b = width - 1; b >= 0; --b, ++bits) {
            if (bits % 8 == 0) out.push_back(0);
            if ((code >> b) & 1) out.back() |= static_cast<uint8_t>(0x80 >> (bits % 8));
        }
    }
    return out;
}

class Lzw : public ::testing::Test {
protected:
    std::unique_ptr<MLZW> coder = std::make_unique<MLZW>();
};

}  // namespace

TEST(Crc16, XmodemCheckValueAndContinuation) {
    EXPECT_EQ(MCrc16::Compute("123456789", 9), 0x31C3);
    EXPECT_EQ(MCrc16::Compute("", 0), 0);
    EXPECT_EQ(MCrc16::Compute("6789", 4, MCrc16::Compute("12345", 5)), 0x31C3);
}

// Against the plain bit-by-bit definition, for every length around the 8-byte blocks.
TEST(Crc16, MatchesTheBitwiseDefinition) {
    const Bytes data = Random(100, 9);
    for (size_t length = 0; length <= data.size(); ++length) {
        uint16_t expected = 0;
        for (size_t i = 0; i < length; ++i) {
            expected ^= static_cast<uint16_t>(data[i] << 8);
            for (int bit = 0; bit < 8; ++bit)
                expected = static_cast<uint16_t>(expected & 0x8000 ? (expected << 1) ^ 0x1021 : expected << 1);
        }
        ASSERT_EQ(MCrc16::Compute(data.data(), length), expected) << length;
    }
}

TEST_F(Lzw, RoundTripsWhatItCompressesAndRefusesTheRest) {
    struct Case {
        const char* name;
        Bytes input;
        bool compresses;
    };
    const Case cases[] = {
        {"one byte", Bytes{0x41}, false},
        {"tiny", Repeat("ab", 6), false},
        {"99 repetitive", Repeat("abc", 99), true},
        {"100 repetitive", Repeat("abc", 100), true},
        {"text", Repeat("The quick brown fox jumps over the lazy dog. ", 2000), true},
        {"random", Random(4000, 7), false},
        {"every byte once", EveryByte(1), false},
        {"every byte, 8192", EveryByte(32), true},
        {"zeros, 8192", Bytes(8192, 0), true},
        {"13-bit codes, 8192", Letters(8192, 32), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes packed(c.input.size() + 16);
        const int32_t n = coder->Compress(c.input.data(), c.input.size(), packed.data(), packed.size());
        if (!c.compresses) {
            EXPECT_TRUE(n == ERR_COMPRESS_FULL || n == ERR_LZW_BUFFER_FULL) << n;
            continue;
        }
        ASSERT_GT(n, 0);
        EXPECT_LT(static_cast<size_t>(n), c.input.size());
        // Room to spare after the result: the decoder writes the result's bytes and no others.
        const auto size = static_cast<ptrdiff_t>(c.input.size());
        const Bytes spare(24, 0xEE);
        Bytes back(c.input.size() + spare.size(), 0xEE);
        ASSERT_EQ(coder->Decompress(packed.data(), n, back.data(), back.size()), size);
        EXPECT_EQ(Bytes(back.begin(), back.begin() + size), c.input);
        EXPECT_EQ(Bytes(back.begin() + size, back.end()), spare);
        // One byte short: refused, and nothing from the capacity on is touched.
        EXPECT_EQ(coder->Decompress(packed.data(), n, back.data(), c.input.size() - 1), ERR_LZW_BUFFER_FULL);
        EXPECT_EQ(back[c.input.size() - 1], c.input.back());
        EXPECT_EQ(Bytes(back.begin() + size, back.end()), spare);
        back.resize(c.input.size());

        Bytes framed(c.input.size() + 16);
        const int32_t f = coder->CompressFramed(c.input.data(), c.input.size(), framed.data(), framed.size());
        ASSERT_EQ(f, n + 2);
        const uint16_t crc = MCrc16::Compute(c.input.data(), c.input.size());
        EXPECT_EQ(framed[0] | framed[1] << 8, crc);
        std::fill(back.begin(), back.end(), 0);
        ASSERT_EQ(coder->DecompressFramed(framed.data(), f, back.data(), back.size()),
                  static_cast<int32_t>(c.input.size()));
        EXPECT_EQ(back, c.input);
    }
}

// Streams fixed by the format (width codes, most significant bit first), checked against an
// independent coder: a change here breaks every peer.
TEST_F(Lzw, StreamFormatIsStable) {
    const Bytes a20(20, 'a');
    uint8_t out[32];
    ASSERT_EQ(coder->Compress(a20.data(), a20.size(), out, sizeof out), 8);
    EXPECT_EQ(Bytes(out, out + 8), (Bytes{0x30, 0xc0, 0xa0, 0x70, 0x48, 0x2c, 0x16, 0x00}));
    // Same codes as a hand-made stream: 97, 258, 259, 260, 261, 261, end.
    EXPECT_EQ(Bytes(out, out + 8), Stream({{97, 9}, {258, 9}, {259, 9}, {260, 9}, {261, 9}, {261, 9}, {256, 9}}));

    struct Pinned {
        size_t alphabet;
        int32_t length;
        uint16_t crc;
    };
    for (const Pinned& p : {Pinned{16, 5164, 0xafb5}, Pinned{32, 6489, 0x6d61}}) {
        const Bytes in = Letters(8192, p.alphabet);
        Bytes packed(8192);
        ASSERT_EQ(coder->Compress(in.data(), in.size(), packed.data(), packed.size()), p.length);
        EXPECT_EQ(MCrc16::Compute(packed.data(), p.length), p.crc);
    }
}

TEST_F(Lzw, CompressLimits) {
    const Bytes big(MLZW::kMaxInput + 1, 'x');
    uint8_t out[64];
    EXPECT_EQ(coder->Compress(big.data(), big.size(), out, sizeof out), ERR_BAD_ARGUMENT);
    EXPECT_EQ(coder->Compress(nullptr, 0, out, sizeof out), ERR_COMPRESS_FULL);
    // 'a' x 20 ends with the end code at byte 6: room is needed up to byte 6 + 4.
    const Bytes a20(20, 'a');
    EXPECT_EQ(coder->Compress(a20.data(), a20.size(), out, 11), 8);
    EXPECT_EQ(coder->Compress(a20.data(), a20.size(), out, 10), ERR_COMPRESS_FULL);
    EXPECT_EQ(coder->CompressFramed(a20.data(), a20.size(), out, 1), ERR_BAD_ARGUMENT);
}

TEST_F(Lzw, DecompressRejectsBrokenStreams) {
    Codes widen{{97, 9}};  // 257 repeated until the width would pass 32 bits
    for (int w = 9; w <= 32; ++w) widen.push_back({257, w});
    Codes widest{{97, 9}};  // widened to 32 bits, then "abab" as in the width step below
    for (int w = 9; w < 32; ++w) widest.push_back({257, w});
    widest.insert(widest.end(), {{98, 32}, {258, 32}, {256, 32}});
    struct Case {
        const char* name;
        Bytes stream;
        size_t capacity;
        int32_t expected;
    };
    const Case cases[] = {
        {"empty", Bytes{}, 16, ERR_LZW_NO_DATA},
        {"no end code", Stream({{97, 9}, {98, 9}}), 16, ERR_LZW_NO_DATA},
        {"first code not a byte", Stream({{300, 9}, {256, 9}}), 16, ERR_LZW_DECODE},
        {"code beyond the next free one", Stream({{97, 9}, {259, 9}, {256, 9}}), 16, ERR_LZW_DECODE},
        {"output too small", Stream({{97, 9}, {258, 9}, {256, 9}}), 2, ERR_LZW_BUFFER_FULL},
        {"no output", Stream({{97, 9}, {256, 9}}), 0, ERR_LZW_BUFFER_FULL},
        {"width past 32 bits", Stream(widen), 16, ERR_BAD_ARGUMENT},
        // Valid ones: the next free code repeats the previous string plus its first byte,
        // and 257 widens the following codes.
        {"next free code", Stream({{97, 9}, {258, 9}, {256, 9}}), 16, 3},
        {"width step", Stream({{97, 9}, {257, 9}, {98, 10}, {258, 10}, {256, 10}}), 16, 4},
        {"32-bit codes", Stream(widest), 16, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t out[16] = {};
        EXPECT_EQ(coder->Decompress(c.stream.data(), c.stream.size(), out, c.capacity), c.expected);
    }
    uint8_t out[4] = {};
    const Bytes step = Stream({{97, 9}, {257, 9}, {98, 10}, {258, 10}, {256, 10}});
    ASSERT_EQ(coder->Decompress(step.data(), step.size(), out, sizeof out), 4);
    EXPECT_EQ(Bytes(out, out + 4), (Bytes{'a', 'b', 'a', 'b'}));
}

// The decoder's table holds codes up to 9972; one entry more is a corrupt stream, not a write
// past the table.
TEST_F(Lzw, DecompressStopsAtTheTableEnd) {
    auto stream = [](size_t codes) {
        Codes c(codes, {'z', 9});
        c.push_back({256, 9});
        return Stream(c);
    };
    Bytes out(10000);
    const Bytes fits = stream(1 + (9972 - 258 + 1));  // first code, then one entry per code
    EXPECT_EQ(coder->Decompress(fits.data(), fits.size(), out.data(), out.size()), 9716);
    const Bytes over = stream(1 + (9972 - 258 + 2));
    EXPECT_EQ(coder->Decompress(over.data(), over.size(), out.data(), out.size()), ERR_LZW_DECODE);
}

TEST_F(Lzw, FramedDecompressChecksTheCrc) {
    const Bytes in = Repeat("level two ", 500);
    Bytes framed(in.size());
    const int32_t f = coder->CompressFramed(in.data(), in.size(), framed.data(), framed.size());
    ASSERT_GT(f, 2);
    Bytes out(in.size());
    framed[0] ^= 1;
    EXPECT_EQ(coder->DecompressFramed(framed.data(), f, out.data(), out.size()), ERR_LZW_DICT_FULL);
    EXPECT_EQ(coder->DecompressFramed(framed.data(), 1, out.data(), out.size()), ERR_BAD_ARGUMENT);
}
