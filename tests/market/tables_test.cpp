// The operations the code, snapshot, extension code and index tables add to RecordTable.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "market/CodeTable.h"
#include "market/ExtCodeTable.h"
#include "market/IndexTable.h"
#include "market/SnapshotTable.h"
#include "tests/market/TestCodes.h"

namespace zephyr {
namespace {

using testing::V;

CodeEntry Code(const char* code, int32_t tag = 0) {
    CodeEntry e;
    std::memset(&e, 0, sizeof(e));
    testing::SetCode(e.code, code);
    e.reference1 = tag;
    std::memcpy(e.short_name, "SN", 2);
    e.short_name[2] = code[4];
    return e;
}

Snapshot Snap(const char* code, uint32_t last = 0, uint32_t previous_close = 0) {
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    testing::SetCode(s.code, code);
    s.last = last;
    s.previous_close = previous_close;
    return s;
}

TEST(CodeTable, SerialOperationsStoreThePosition) {
    CodeTable codes;
    CodeEntry a = Code("00001", 1), b = Code("00002", 2);
    a.serial = 77;
    b.serial = 77;
    ASSERT_TRUE(codes.AppendSerial(&a));
    ASSERT_TRUE(codes.PutSerial(&b));  // absent: appended at 1
    CodeEntry again = Code("00001", 9);
    again.serial = 55;
    ASSERT_TRUE(codes.PutSerial(&again));  // present: replaced at 0, serial rewritten
    ASSERT_TRUE(codes.AppendSerial(&again));  // a duplicate at 2
    EXPECT_EQ(codes.Count(), 3u);
    CodeEntry out;
    for (uint32_t i = 0; i < 3; ++i) {
        ASSERT_TRUE(codes.Get(&out, i));
        EXPECT_EQ(V(out.serial), i);
    }
    ASSERT_TRUE(codes.Get(&out, 0));
    EXPECT_EQ(V(out.reference1), 9);
    EXPECT_FALSE(codes.AppendSerial(nullptr));
    EXPECT_FALSE(codes.PutSerial(nullptr));
}

TEST(CodeTable, Lookups) {
    CodeTable codes;
    for (const char* c : {"00005", "00700", "999999", "00700"}) {
        CodeEntry e = Code(c, static_cast<int32_t>(codes.Count()));
        ASSERT_TRUE(codes.AppendSerial(&e));
    }
    struct Case {
        const char* code;
        uint16_t position;
    } finds[] = {{"00700", 1}, {"00005", 0}, {"999999", 2}, {"00006", 0xFFFF}, {"0070", 0xFFFF}};
    for (const Case& c : finds) {
        char key[6];
        testing::SetCode(key, c.code);
        SCOPED_TRACE(c.code);
        EXPECT_EQ(codes.FindCode(key), c.position);
    }
    EXPECT_EQ(codes.FindCode(nullptr), 0xFFFF);
    EXPECT_EQ(codes.FindNumber(700), 1);
    EXPECT_EQ(codes.FindNumber(5), 0);
    EXPECT_EQ(codes.FindNumber(999999), 2);
    EXPECT_EQ(codes.FindNumber(6), 0xFFFF);
    EXPECT_EQ(codes.FindNumber(1234567), 0xFFFF);

    CodeEntry out;
    ASSERT_TRUE(codes.GetByCode(&out, "00700"));
    EXPECT_EQ(V(out.reference1), 1);  // the first of the two
    EXPECT_FALSE(codes.GetByCode(&out, "00009"));

    char name[8];
    EXPECT_EQ(codes.GetShortName(1, name), 1);
    EXPECT_EQ(std::string(name, 3), "SN0");
    EXPECT_EQ(codes.GetShortName(4, name), -1);
    EXPECT_EQ(codes.GetShortName(65536 + 1, name), 1);

    CodeEntry replacement = Code("12345", 42);
    EXPECT_TRUE(codes.SetAt(&replacement, 3));  // plain overwrite, no key check, serial as given
    EXPECT_FALSE(codes.SetAt(&replacement, 4));
    ASSERT_TRUE(codes.Get(&out, 3));
    EXPECT_EQ(V(out.reference1), 42);
    EXPECT_EQ(V(out.serial), 0);
}

TEST(CodeTable, AddIndexEntries) {
    IndexDefinition defs[2];
    std::memset(defs, 0, sizeof(defs));
    std::memcpy(defs[0].code, "HSI", 3);
    std::memcpy(defs[0].english_short_name, "HSI_ENGL", 8);
    std::memcpy(defs[0].chinese_short_name, "恒生指数ABCDEFGH", 16);
    std::memcpy(defs[0].full_name, "恒生指数", 8);
    std::memcpy(defs[1].code, "999999", 6);

    CodeTable codes;
    codes.AddIndexEntries(true, defs, 2);
    ASSERT_EQ(codes.Count(), 2u);
    EXPECT_EQ(codes.IndexCount(), 2);
    CodeEntry e;
    ASSERT_TRUE(codes.Get(&e, 0));
    EXPECT_EQ(std::memcmp(e.code, "HSI\0\0\0", 6), 0);
    EXPECT_EQ(std::memcmp(e.second_name, "HSI_ENGL\0", 9), 0);
    EXPECT_EQ(std::memcmp(e.short_name, "恒生指数", 8), 0);
    EXPECT_EQ(std::memcmp(e.full_name, "恒生指数\0", 9), 0);
    EXPECT_EQ(V(e.reference2), 1);
    EXPECT_EQ(V(e.category), 0);
    ASSERT_TRUE(codes.Get(&e, 1));
    EXPECT_EQ(V(e.serial), 1);

    // A table that is not empty is left alone, index count included.
    codes.AddIndexEntries(true, defs, 1);
    EXPECT_EQ(codes.Count(), 2u);
    EXPECT_EQ(codes.IndexCount(), 2);

    // Disabled: nothing added, the index count follows the table.
    CodeTable disabled;
    disabled.AddIndexEntries(false, defs, 2);
    EXPECT_EQ(disabled.Count(), 0u);
    EXPECT_EQ(disabled.IndexCount(), 0);
}

TEST(SnapshotTable, SerialOperations) {
    SnapshotTable snapshots;
    for (const char* c : {"00001", "00002", "00003"}) {
        Snapshot s = Snap(c);
        ASSERT_TRUE(snapshots.Append(&s));
    }
    const uint32_t indices = 2;  // serials 2.. map to positions 0..
    struct GetCase {
        uint32_t serial;
        bool result;
        const char* code;
    } gets[] = {{0, false, ""}, {1, false, ""}, {2, true, "00001"}, {4, true, "00003"}, {5, false, ""}};
    for (const GetCase& c : gets) {
        SCOPED_TRACE(c.serial);
        Snapshot out = Snap("xxxxx");
        EXPECT_EQ(snapshots.GetBySerial(&out, c.serial, indices), c.result);
        if (c.result) {
            EXPECT_STREQ(out.code, c.code);
        }
    }
    struct CloseCase {
        uint32_t serial;
        int32_t result;
    } closes[] = {{1, -1}, {2, 1}, {4, 3}, {5, -2}, {65536 + 3, 2}};
    for (const CloseCase& c : closes) {
        SCOPED_TRACE(c.serial);
        EXPECT_EQ(snapshots.SetPreviousClose(c.serial, 1000 + c.serial, indices), c.result);
    }
    Snapshot out;
    ASSERT_TRUE(snapshots.Get(&out, 1));
    EXPECT_EQ(V(out.previous_close), 1000u + 65536 + 3);
    EXPECT_EQ(snapshots.FindCode("00003"), 2);
    ASSERT_TRUE(snapshots.GetByCode(&out, "00002"));
    EXPECT_FALSE(snapshots.GetByCode(&out, "00009"));
}

TEST(SnapshotAndIndexTables, RollCloseSkipsZeroLastPrices) {
    SnapshotTable snapshots;
    Snapshot a = Snap("00001", 1500, 1000), b = Snap("00002", 0, 2000);
    snapshots.Append(&a);
    snapshots.Append(&b);
    snapshots.RollClose();
    Snapshot out;
    snapshots.Get(&out, 0);
    EXPECT_EQ(V(out.previous_close), 1500u);
    snapshots.Get(&out, 1);
    EXPECT_EQ(V(out.previous_close), 2000u);

    IndexTable indices;
    IndexEntry x;
    std::memset(&x, 0, sizeof(x));
    x.last = 7;
    x.previous_close = 3;
    IndexEntry y = x;
    y.last = 0;
    indices.Append(&x);
    indices.Append(&y);
    indices.RollClose();
    IndexEntry got;
    indices.Get(&got, 0);
    EXPECT_EQ(V(got.previous_close), 7u);
    indices.Get(&got, 1);
    EXPECT_EQ(V(got.previous_close), 3u);
}

TEST(IndexTable, BuildFromCodesAndSetVolume) {
    CodeTable codes;
    IndexDefinition defs[2];
    std::memset(defs, 0, sizeof(defs));
    std::memcpy(defs[0].code, "999999", 6);
    std::memcpy(defs[1].code, "999987", 6);
    codes.AddIndexEntries(true, defs, 2);
    CodeEntry share = Code("00700");
    share.reference1 = 5;
    codes.AppendSerial(&share);

    IndexTable indices;
    indices.BuildFromCodes(codes);
    ASSERT_EQ(indices.Count(), 2u);  // only the index entries
    IndexEntry e;
    ASSERT_TRUE(indices.Get(&e, 1));
    EXPECT_EQ(std::memcmp(e.code, "999987", 6), 0);
    EXPECT_EQ(e.high + e.open + e.low + e.previous_close + e.last, 0u);
    EXPECT_EQ(indices.FindCode("999999"), 0);

    EXPECT_EQ(indices.SetVolume(0, 0x89ABCDEFu, 0x01234567u), 1);
    EXPECT_EQ(indices.SetVolume(2, 1, 1), 0);
    ASSERT_TRUE(indices.Get(&e, 0));
    EXPECT_EQ(V(e.volume), 0x0123456789ABCDEFull);
    EXPECT_TRUE(indices.SetAt(&e, 1));
    EXPECT_FALSE(indices.SetAt(&e, 2));

    // No index configured: the table stays empty and the volume has nowhere to go.
    CodeTable none;
    none.AddIndexEntries(false, nullptr, 0);
    IndexTable empty;
    empty.BuildFromCodes(none);
    EXPECT_EQ(empty.Count(), 0u);
    EXPECT_EQ(empty.SetVolume(0, 1, 0), 0);
}

TEST(ExtCodeTable, FindKey) {
    ExtCodeTable ext;
    ExtCodeEntry a{0x0102, {1, 2, 3}}, b{0x0304, {4, 5, 6}}, c{0x0102, {7, 8, 9}};
    ext.Append(&a);
    ext.Append(&b);
    ext.Append(&c);
    ExtCodeEntry out{};
    ASSERT_TRUE(ext.FindKey(0x0102, &out));
    EXPECT_EQ(out.payload[0], 1);  // the first of the duplicates
    ASSERT_TRUE(ext.FindKey(0x0304, &out));
    EXPECT_EQ(out.payload[2], 6);
    EXPECT_FALSE(ext.FindKey(0x0201, &out));
    EXPECT_FALSE(ext.FindKey(0x0102, nullptr));
}

}  // namespace
}  // namespace zephyr
