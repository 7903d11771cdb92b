// The packed records are binary interfaces: encode one with distinct field values and compare
// every byte with a hand-written expectation.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/market/TestCodes.h"
#include "foundation/PackedCodec.h"
#include "market/Records.h"

namespace zephyr {
namespace {

using testing::V;

template <class Record>
std::vector<uint8_t> Bytes(const Record& r) {
    std::vector<uint8_t> out(sizeof(Record));
    EncodeRecord(r, out.data());
    return out;
}

std::vector<uint8_t> Hex(std::initializer_list<int> bytes) {
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void Put(std::vector<uint8_t>& v, size_t offset, std::initializer_list<int> bytes) {
    for (int b : bytes) v.at(offset++) = static_cast<uint8_t>(b);
}

TEST(Records, MarketInfoBytes) {
    MarketInfo m;
    std::memset(&m, 0, sizeof(m));
    m.market_number = 30;
    m.status = 1;
    m.date = 20141208;   // 0x01335498
    m.time = 93005;      // 0x00016B4D
    m.item_count = 0x0102;
    m.category_count = 2;
    m.sessions[0] = {570, 720};   // 0x023A, 0x02D0
    m.sessions[1] = {780, 960};   // 0x030C, 0x03C0
    m.sessions[3] = {0xAABB, 0xCCDD};
    m.session_count = 2;
    m.time_zone = 8;
    m.delay = 0x1234;
    for (int i = 0; i < 16; ++i) m.digest[i] = static_cast<uint8_t>(0xF0 + i);

    std::vector<uint8_t> expected(49, 0);
    Put(expected, 0, {0x1E, 0x01, 0x98, 0x54, 0x33, 0x01, 0x4D, 0x6B, 0x01, 0x00, 0x02, 0x01, 0x02});
    Put(expected, 13, {0x3A, 0x02, 0xD0, 0x02, 0x0C, 0x03, 0xC0, 0x03});
    Put(expected, 25, {0xBB, 0xAA, 0xDD, 0xCC});
    Put(expected, 29, {0x02, 0x08, 0x34, 0x12});
    for (int i = 0; i < 16; ++i) expected[33 + i] = static_cast<uint8_t>(0xF0 + i);
    EXPECT_EQ(Bytes(m), expected);

    MarketInfo back;
    DecodeRecord(expected.data(), back);
    EXPECT_EQ(V(back.date), 20141208u);
    EXPECT_EQ(V(back.sessions[1].end), 960);
}

TEST(Records, CategoryInfoBytes) {
    CategoryInfo c;
    std::memcpy(c.name, "香港主板", 8);
    c.price_scale = 3;
    c.lot_ratio = 0x0201;
    c.count = 0x0403;
    // "香港主板" in GBK.
    EXPECT_EQ(Bytes(c), Hex({0xCF, 0xE3, 0xB8, 0xDB, 0xD6, 0xF7, 0xB0, 0xE5, 0x03, 0x01, 0x02, 0x03, 0x04}));
}

TEST(Records, CodeEntryBytes) {
    CodeEntry e;
    std::memset(&e, 0, sizeof(e));
    e.serial = 0x0201;
    e.category = 1;
    std::memcpy(e.code, "00700", 6);
    std::memcpy(e.second_name, "TENCENT", 7);
    std::memcpy(e.full_name, "FULLNAME16BYTES!", 16);
    std::memcpy(e.short_name, "SHORT", 5);
    e.reference1 = 0x11121314;
    e.reserved1 = 0;
    e.reserved2 = 0;
    e.reference2 = -1;
    e.currency = 24;
    e.rate = 1.0f;  // 0x3F800000
    std::memcpy(e.reference_text, "REFTEXT8", 8);

    std::vector<uint8_t> expected(79, 0);
    Put(expected, 0, {0x01, 0x02, 0x01, '0', '0', '7', '0', '0', 0});
    Put(expected, 9, {'T', 'E', 'N', 'C', 'E', 'N', 'T'});
    const char* full = "FULLNAME16BYTES!";
    for (int i = 0; i < 16; ++i) expected[25 + i] = static_cast<uint8_t>(full[i]);
    Put(expected, 41, {'S', 'H', 'O', 'R', 'T'});
    Put(expected, 49, {0x14, 0x13, 0x12, 0x11});
    Put(expected, 61, {0xFF, 0xFF, 0xFF, 0xFF, 24, 0, 0x00, 0x00, 0x80, 0x3F});
    Put(expected, 71, {'R', 'E', 'F', 'T', 'E', 'X', 'T', '8'});
    EXPECT_EQ(Bytes(e), expected);
}

TEST(Records, SnapshotAndIndexEntryBytes) {
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    std::memcpy(s.code, "00005", 6);
    s.high = 0x01020304;
    s.open = 0x05060708;
    s.low = 0x090A0B0C;
    s.previous_close = 0x0D0E0F10;
    s.last = 0x11121314;
    s.amount = 2.0;  // 0x4000000000000000
    s.volume = 0x2122232425262728ull;
    s.bid_price = 0x31323334;
    s.bid_volume = 0x4142434445464748ull;
    s.bid_orders = 0x5152;
    s.ask_price = 0x61626364;
    s.ask_volume = 0x7172737475767778ull;
    s.ask_orders = 0x8182;
    s.voip = 0x91929394;

    const std::vector<uint8_t> head = Hex({'0', '0', '0', '0', '5', 0,
                                           0x04, 0x03, 0x02, 0x01, 0x08, 0x07, 0x06, 0x05,
                                           0x0C, 0x0B, 0x0A, 0x09, 0x10, 0x0F, 0x0E, 0x0D,
                                           0x14, 0x13, 0x12, 0x11,
                                           0, 0, 0, 0, 0, 0, 0, 0x40,
                                           0x28, 0x27, 0x26, 0x25, 0x24, 0x23, 0x22, 0x21});
    std::vector<uint8_t> expected = head;
    const std::vector<uint8_t> tail = Hex({0x34, 0x33, 0x32, 0x31,
                                           0x48, 0x47, 0x46, 0x45, 0x44, 0x43, 0x42, 0x41,
                                           0x52, 0x51,
                                           0x64, 0x63, 0x62, 0x61,
                                           0x78, 0x77, 0x76, 0x75, 0x74, 0x73, 0x72, 0x71,
                                           0x82, 0x81,
                                           0x94, 0x93, 0x92, 0x91});
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Bytes(s), expected);

    // An index entry is laid out as the first 42 bytes of a snapshot.
    IndexEntry i;
    std::memcpy(&i, &s, sizeof(i));
    EXPECT_EQ(Bytes(i), head);
    EXPECT_EQ(V(i.volume), V(s.volume));
}

TEST(Records, SmallRecordsBytes) {
    ProductStatus p;
    std::memset(&p, 0, sizeof(p));
    std::memcpy(p.code, "00001", 6);
    std::memcpy(p.board_lot_status, "ABCDEFGH", 8);
    std::memcpy(p.odd_lot_status, "IJ", 2);
    EXPECT_EQ(Bytes(p), Hex({'0', '0', '0', '0', '1', 0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H',
                             'I', 'J', 0, 0, 0, 0, 0, 0}));

    ExtCodeEntry x{0x1234, {7, 8, 9}};
    EXPECT_EQ(Bytes(x), Hex({0x34, 0x12, 7, 8, 9}));

    ShortNameRow r;
    std::memset(&r, 0, sizeof(r));
    std::memcpy(r.code, "00700", 6);
    std::memcpy(r.short_name, "TC", 2);
    std::memcpy(r.name, "N", 1);
    r.index_code = 0x0A0B0C0D;
    r.rate = -2.0f;  // 0xC0000000
    std::vector<uint8_t> expected(72, 0);
    Put(expected, 0, {'0', '0', '7', '0', '0', 0, 'T', 'C'});
    Put(expected, 14, {'N'});
    Put(expected, 64, {0x0D, 0x0C, 0x0B, 0x0A, 0, 0, 0, 0xC0});
    EXPECT_EQ(Bytes(r), expected);
}

TEST(Records, PriceTableBytes) {
    PriceTable t;
    std::memset(&t, 0, sizeof(t));
    std::memcpy(t.sections[1].price_code, "02", 2);
    t.sections[1].lowest_limit = 10;
    t.sections[1].level_count = 2;
    t.sections[1].levels[0] = {10, 1};
    t.sections[1].levels[1] = {0x01020304, 0x0506};
    t.sections[2].levels[51] = {-1, 0xFFFF};

    std::vector<uint8_t> expected(960, 0);
    Put(expected, 320, {'0', '2', 10, 0, 0, 0, 2, 0, 10, 0, 0, 0, 1, 0, 0x04, 0x03, 0x02, 0x01, 0x06, 0x05});
    Put(expected, 640 + 8 + 51 * 6, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(Bytes(t), expected);
}

TEST(Records, LittleEndianFieldHelpers) {
    uint8_t buffer[8] = {};
    StoreLe<uint16_t>(buffer, 0xABCD);
    EXPECT_EQ(buffer[0], 0xCD);
    EXPECT_EQ(buffer[1], 0xAB);
    StoreLe<uint32_t>(buffer + 2, 0x01020304u);
    EXPECT_EQ(LoadLe<uint32_t>(buffer + 2), 0x01020304u);
    EXPECT_EQ(buffer[2], 0x04);
    EXPECT_EQ(LoadLe<uint16_t>(buffer), 0xABCD);
}

}  // namespace
}  // namespace zephyr
