// The slot operations of RecordTable, as tables of cases over a small table holding duplicate
// keys, plus growth from an owner's pre-allocation and the fixed-size (never growing) variant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/market/TestCodes.h"
#include "foundation/MLocalSection.h"
#include "market/CodeTable.h"
#include "market/ProductStatusTable.h"
#include "market/RecordStore.h"
#include "market/RecordTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {
namespace {

using testing::V;

#pragma pack(push, 1)
struct Rec {
    char key[2];
    uint8_t value;
    static constexpr uint32_t kGrowthStep = 3;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = 2;
};
struct FixedRec {
    char key[2];
    uint8_t value;
    static constexpr uint32_t kGrowthStep = 0;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = 2;
};
#pragma pack(pop)

Rec R(const char* text) {  // "A1": key 'A',0 value '1'
    Rec r{{text[0], 0}, static_cast<uint8_t>(text[1])};
    return r;
}

std::string Dump(RecordTable<Rec>& t) {
    std::string out;
    Rec r;
    for (uint32_t i = 0; i < t.Count(); ++i) {
        t.Get(&r, i);
        if (!out.empty()) out += ',';
        out += r.key[0];
        out += static_cast<char>(r.value);
    }
    return out;
}

void Fill(RecordTable<Rec>& t, std::initializer_list<const char*> items) {
    for (const char* item : items) {
        Rec r = R(item);
        ASSERT_TRUE(t.Append(&r));
    }
}

TEST(RecordTable, AppendGrowsByTheRecordsStep) {
    RecordTable<Rec> t;
    EXPECT_EQ(t.Capacity(), 0u);
    EXPECT_FALSE(t.Append(nullptr));
    Fill(t, {"A1"});
    EXPECT_EQ(t.Capacity(), 3u);  // first allocation from capacity 0 by one step
    Fill(t, {"B1", "C1", "D1"});
    EXPECT_EQ(t.Capacity(), 6u);
    EXPECT_EQ(Dump(t), "A1,B1,C1,D1");
}

TEST(RecordTable, FixedTableRefusesAppendWhenFull) {
    RecordTable<FixedRec> t;
    FixedRec r{{'A', 0}, 1};
    EXPECT_FALSE(t.Append(&r));  // no block, no growth
    ASSERT_TRUE(t.Allocate(2));
    EXPECT_TRUE(t.Append(&r));
    EXPECT_TRUE(t.Append(&r));
    EXPECT_FALSE(t.Append(&r));
    EXPECT_EQ(t.Count(), 2u);
    EXPECT_EQ(t.Capacity(), 2u);
}

TEST(RecordTable, PutAndAddIfAbsentActOnTheFirstMatch) {
    struct Case {
        const char* name;
        bool put;  // else AddIfAbsent
        const char* record;
        bool result;
        const char* after;
    } cases[] = {
        {"put replaces only the first duplicate", true, "A9", true, "A9,B1,A2"},
        {"put appends an absent key", true, "C9", true, "A1,B1,A2,C9"},
        {"put of an identical record", true, "B1", true, "A1,B1,A2"},
        {"add-if-absent keeps an existing key", false, "A9", true, "A1,B1,A2"},
        {"add-if-absent appends an absent key", false, "C9", true, "A1,B1,A2,C9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordTable<Rec> t;
        Fill(t, {"A1", "B1", "A2"});
        Rec r = R(c.record);
        EXPECT_EQ(c.put ? t.Put(&r) : t.AddIfAbsent(&r), c.result);
        EXPECT_EQ(Dump(t), c.after);
    }
    RecordTable<Rec> t;
    EXPECT_FALSE(t.Put(nullptr));
    EXPECT_FALSE(t.AddIfAbsent(nullptr));
    EXPECT_EQ(t.Count(), 0u);
}

TEST(RecordTable, GetAndCopyRangeTakeIndexesModulo65536) {
    RecordTable<Rec> t;
    Fill(t, {"A1", "B1", "C1"});
    struct GetCase {
        uint32_t index;
        bool result;
        char key;
    } gets[] = {{0, true, 'A'}, {2, true, 'C'}, {3, false, 0}, {65536, true, 'A'},
                {65538, true, 'C'}, {65539, false, 0}, {0xFFFFFFFFu, false, 0}};
    for (const GetCase& c : gets) {
        SCOPED_TRACE(c.index);
        Rec r{{'x', 'x'}, 'x'};
        EXPECT_EQ(t.Get(&r, c.index), c.result);
        EXPECT_EQ(r.key[0], c.result ? c.key : 'x');
    }
    EXPECT_FALSE(t.Get(nullptr, 0));

    struct CopyCase {
        uint32_t start, n, copied;
        const char* keys;
    } copies[] = {{0, 3, 3, "ABC"}, {1, 10, 2, "BC"}, {2, 1, 1, "C"}, {3, 1, 0, ""},
                  {0, 0, 0, ""}, {65537, 5, 2, "BC"}, {100, 1, 0, ""}};
    for (const CopyCase& c : copies) {
        SCOPED_TRACE(std::to_string(c.start) + "," + std::to_string(c.n));
        Rec out[4];
        std::memset(out, 0, sizeof(out));
        EXPECT_EQ(t.CopyRange(out, c.start, c.n), c.copied);
        std::string keys;
        for (uint32_t i = 0; i < c.copied; ++i) keys += out[i].key[0];
        EXPECT_EQ(keys, c.keys);
        EXPECT_EQ(out[c.copied].key[0], 0) << "nothing copied past the range";
    }
}

TEST(RecordTable, ClearKeepsTheStorage) {
    RecordTable<Rec> t;
    Fill(t, {"A1", "B1", "C1", "D1"});
    t.Clear();
    EXPECT_EQ(t.Count(), 0u);
    EXPECT_EQ(t.Capacity(), 6u);
    Rec r;
    EXPECT_FALSE(t.Get(&r, 0));
    Fill(t, {"Z1"});
    EXPECT_EQ(Dump(t), "Z1");
}

TEST(RecordTable, UpdateAtAndUpdateByKey) {
    struct Case {
        const char* name;
        bool by_key;
        const char* record;
        uint32_t index;
        int32_t result;
        const char* after;
    } cases[] = {
        {"overwrite at index", false, "Q7", 1, 1, "A1,Q7,A2"},
        {"identical at index", false, "B1", 1, 0, "A1,B1,A2"},
        {"index equal to count", false, "Q7", 3, -1, "A1,B1,A2"},
        {"index modulo 65536", false, "Q7", 65536 + 2, 1, "A1,B1,Q7"},
        {"key update changes the first duplicate", true, "A7", 0, 1, "A7,B1,A2"},
        {"key update identical", true, "A1", 0, 0, "A1,B1,A2"},
        {"key update of an absent key", true, "Z7", 0, -1, "A1,B1,A2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordTable<Rec> t;
        Fill(t, {"A1", "B1", "A2"});
        Rec r = R(c.record);
        EXPECT_EQ(c.by_key ? t.UpdateByKey(&r) : t.UpdateAt(&r, c.index), c.result);
        EXPECT_EQ(Dump(t), c.after);
    }
    RecordTable<Rec> t;
    Fill(t, {"A1"});
    EXPECT_EQ(t.UpdateAt(nullptr, 0), -1);
    EXPECT_EQ(t.UpdateByKey(nullptr), 0);
    EXPECT_EQ(Dump(t), "A1");
}

TEST(RecordTable, CodeCheckedUpdateAtOfSnapshotsAndStatuses) {
    SnapshotTable snapshots;
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    std::memcpy(s.code, "00001", 6);
    ASSERT_TRUE(snapshots.Append(&s));
    s.last = 5;
    EXPECT_EQ(snapshots.UpdateAt(&s, 0), 1);
    EXPECT_EQ(snapshots.UpdateAt(&s, 0), 0);
    Snapshot other = s;
    std::memcpy(other.code, "00002", 6);
    EXPECT_EQ(snapshots.UpdateAt(&other, 0), -1);
    Snapshot stored;
    ASSERT_TRUE(snapshots.Get(&stored, 0));
    EXPECT_EQ(std::memcmp(stored.code, "00001", 6), 0);

    ProductStatusTable statuses;
    ProductStatus p;
    std::memset(&p, 0, sizeof(p));
    std::memcpy(p.code, "00001", 6);
    ASSERT_TRUE(statuses.Append(&p));
    std::memcpy(p.board_lot_status, "OPEN", 4);
    EXPECT_EQ(statuses.UpdateAt(&p, 0), 1);
    std::memcpy(p.code, "00009", 6);
    EXPECT_EQ(statuses.UpdateAt(&p, 0), -1);
    // Through the base type the override still applies.
    RecordTable<ProductStatus>& base = statuses;
    EXPECT_EQ(base.UpdateAt(&p, 0), -1);
}

TEST(RecordTable, FrameCount) {
    RecordTable<Rec> t;
    Fill(t, {"A1", "B1", "C1", "D1", "E1"});
    struct Case {
        uint32_t start, frame_size, frames;
    } cases[] = {{0, 6, 3}, {0, 7, 3}, {0, 15, 1}, {4, 6, 1}, {5, 6, 0}, {9, 6, 0},
                 {0, 2, 0}, {0, 0, 0}, {65536, 3, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + "," + std::to_string(c.frame_size));
        EXPECT_EQ(t.FrameCount(c.start, c.frame_size), c.frames);
    }
}

TEST(RecordTable, GrowthPastThePreallocatedCapacity) {
    CodeTable codes;
    ASSERT_TRUE(codes.Allocate(6100));
    CodeEntry e;
    std::memset(&e, 0, sizeof(e));
    for (uint32_t i = 0; i < 6101; ++i) {
        std::snprintf(e.code, sizeof(e.code), "%05u", i);
        e.reference1 = static_cast<int32_t>(i);
        ASSERT_TRUE(codes.Append(&e));
    }
    EXPECT_EQ(codes.Count(), 6101u);
    EXPECT_EQ(codes.Capacity(), 12200u);
    // Records survive the move into the larger block, and the new slots start zeroed.
    for (uint32_t i : {0u, 6099u, 6100u}) {
        ASSERT_TRUE(codes.Get(&e, i));
        EXPECT_EQ(V(e.reference1), static_cast<int32_t>(i));
    }
    // Allocate replaces the storage with an empty zeroed block; Release frees it.
    ASSERT_TRUE(codes.Allocate(50));
    EXPECT_EQ(codes.Count(), 0u);
    EXPECT_EQ(codes.Capacity(), 50u);
    codes.Release();
    EXPECT_EQ(codes.Capacity(), 0u);
    EXPECT_TRUE(codes.Append(&e));
    EXPECT_EQ(codes.Capacity(), 6100u);
}

}  // namespace
}  // namespace zephyr

namespace zephyr {
namespace {

// Searches by key go through a hash kept beside the rows. Whatever happens to the rows (appends
// past several growths, overwrites that change keys, clearing, new storage), a search must give
// what a scan in table order gives: the first row with the key, or with its first five bytes.
TEST(RecordStoreKeys, SearchesAgreeWithAScanThroughEveryChange) {
    constexpr uint32_t kSize = 9;
    RecordStore store(RecordLayout{kSize, 5, 2, 6});
    std::mt19937 random(65535);
    // Few distinct keys, so that duplicates and shared five-byte prefixes are common.
    auto make = [&](uint8_t* record) {
        std::memset(record, 0, kSize);
        std::snprintf(reinterpret_cast<char*>(record + 2), 7, "%05u", static_cast<unsigned>(random() % 40));
        record[7] = random() % 4 == 0 ? 'x' : 0;
        record[8] = static_cast<uint8_t>(random());
    };
    auto scan = [&](const uint8_t* key, uint32_t compare) {
        uint8_t row[kSize];
        for (uint32_t i = 0; i < store.Count(); ++i) {
            store.Get(row, i);
            if (std::memcmp(row + 2, key, compare) == 0) return static_cast<int32_t>(i);
        }
        return -1;
    };
    uint8_t record[kSize];
    uint32_t most = 0;
    for (int step = 0; step < 6000; ++step) {
        make(record);
        const uint32_t count = store.Count();
        switch (random() % 20) {
            case 0: if (random() % 10 == 0) store.Clear(); break;
            case 1: if (random() % 30 == 0) store.Allocate(7); break;
            case 2: case 3: if (count > 0) store.SetAt(record, random() % count); break;
            case 4: if (count > 0) store.UpdateAt(record, random() % count, false); break;
            case 5: store.Put(record); break;
            case 6: store.AddIfAbsent(record); break;
            default: store.Append(record); break;
        }
        most = std::max(most, store.Count());
        make(record);
        SCOPED_TRACE(step);
        ASSERT_EQ(store.IndexOfKey(record + 2), scan(record + 2, 6));
        MLocalSection guard(store.Section());
        ASSERT_EQ(store.IndexOfKeyPrefixLocked(record + 2, 5), scan(record + 2, 5));
    }
    EXPECT_GT(most, 60u) << "the table must have grown for the test to mean something";
}

}  // namespace
}  // namespace zephyr
