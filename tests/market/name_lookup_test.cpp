// NameLookup: the exact bucket function, agreement with the code table's linear FindCode over a
// full-size table, absent codes, and the guard against a looping chain.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "market/CodeTable.h"
#include "market/NameLookup.h"
#include "tests/market/TestCodes.h"

namespace zephyr {
namespace {

TEST(NameLookup, BucketOfSignedCodeBytes) {
    struct Case {
        const char* bytes;  // 6 bytes
        uint32_t bucket;
    } cases[] = {
        {"00700\0", 952},            // 7000 - 48 (the NUL counts -48)
        {"999999", 959},             // 999999 mod 65536 = 16959
        {"\0\0\0\0\0\0", 624},       // -5333328 -> non-negative residue 40624
        {"\xB0\xA1\xB0\xA1\0\0", 92},  // GBK bytes count as negative values
        {"HSI\0\0\0", 160},
        {"00105\0", 2},
        {"00205\0", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.bytes, 6));
        EXPECT_EQ(NameLookup::Bucket(c.bytes), c.bucket);
    }
}

TEST(NameLookup, AgreesWithFindCodeOnAFullTable) {
    std::mt19937 random(20141208);
    std::set<std::string> chosen;
    while (chosen.size() < 6000) {
        char text[8];
        std::snprintf(text, sizeof(text), "%05u", static_cast<unsigned>(random() % 100000));
        chosen.insert(text);
    }
    std::vector<std::string> codes = {"HSI", "HSCEI", "999999", "999987", "999000"};
    std::vector<std::string> shares(chosen.begin(), chosen.end());
    std::shuffle(shares.begin(), shares.end(), random);
    codes.insert(codes.end(), shares.begin(), shares.end());

    CodeTable table;
    ASSERT_TRUE(table.Allocate(6100));
    for (const std::string& c : codes) {
        CodeEntry e{};
        testing::SetCode(e.code, c.c_str());
        ASSERT_TRUE(table.AppendSerial(&e));
    }
    NameLookup lookup;
    ASSERT_EQ(lookup.Build(static_cast<uint16_t>(table.Count())), 1);
    std::map<uint32_t, int> chain_lengths;
    for (uint32_t serial = 0; serial < table.Count(); ++serial) {
        CodeEntry e;
        ASSERT_TRUE(table.Get(&e, serial));
        ASSERT_EQ(lookup.Insert(serial, e.code), 1);
        ++chain_lengths[NameLookup::Bucket(e.code)];
    }
    EXPECT_EQ(lookup.InsertedCount(), codes.size());
    const int longest = std::max_element(chain_lengths.begin(), chain_lengths.end(),
                                         [](auto& a, auto& b) { return a.second < b.second; })->second;
    EXPECT_GE(longest, 5) << "buckets must collide for the test to mean something";

    for (const std::string& c : codes) {
        char key[6];
        testing::SetCode(key, c.c_str());
        SCOPED_TRACE(c);
        ASSERT_EQ(lookup.Find(key), static_cast<int32_t>(table.FindCode(key)));
    }
    // Absent codes: nearly all land in occupied buckets, so each is a chain walk without a match.
    int absent_checked = 0;
    for (unsigned v = 0; v < 100000 && absent_checked < 300; v += 37) {
        char text[8];
        std::snprintf(text, sizeof(text), "%05u", v);
        if (chosen.count(text) != 0) continue;
        char key[6];
        testing::SetCode(key, text);
        ASSERT_EQ(lookup.Find(key), -2) << text;
        ASSERT_EQ(table.FindCode(key), 0xFFFF);
        ++absent_checked;
    }
}

TEST(NameLookup, InsertBoundsAndRebuild) {
    NameLookup lookup;
    EXPECT_EQ(lookup.Find("00001"), -2);  // never built
    EXPECT_EQ(lookup.Insert(0, "00001"), -1);
    ASSERT_EQ(lookup.Build(2), 1);
    EXPECT_EQ(lookup.Insert(1, "00001"), 1);
    EXPECT_EQ(lookup.Insert(2, "00002"), -1);
    EXPECT_EQ(lookup.Insert(65536, "00002"), -1);
    EXPECT_EQ(lookup.Find("00001"), 1);
    // Build discards what was there.
    ASSERT_EQ(lookup.Build(5), 1);
    EXPECT_EQ(lookup.Find("00001"), -2);
    EXPECT_EQ(lookup.InsertedCount(), 0u);
    EXPECT_EQ(lookup.Capacity(), 5);
    lookup.Release();
    EXPECT_EQ(lookup.Find("00001"), -2);
    EXPECT_EQ(lookup.Insert(0, "00001"), -1);
}

TEST(NameLookup, CollidingCodesChainToTheFront) {
    NameLookup lookup;
    ASSERT_EQ(lookup.Build(4), 1);
    ASSERT_EQ(lookup.Insert(0, "00105"), 1);
    ASSERT_EQ(lookup.Insert(3, "00205"), 1);  // same bucket, goes in front
    EXPECT_EQ(lookup.Find("00105"), 0);
    EXPECT_EQ(lookup.Find("00205"), 3);
    EXPECT_EQ(lookup.Find("00305"), -2);  // same bucket (3050-48 = 3002), not there
}

TEST(NameLookup, LoopingChainIsCutOff) {
    NameLookup lookup;
    ASSERT_EQ(lookup.Build(3), 1);
    // Inserting a serial twice into its own bucket makes it point at itself.
    ASSERT_EQ(lookup.Insert(1, "00105"), 1);
    ASSERT_EQ(lookup.Insert(1, "00105"), 1);
    EXPECT_EQ(lookup.Find("00105"), 1);
    EXPECT_EQ(lookup.Find("00205"), -1);  // same bucket, would walk the loop for ever
}

}  // namespace
}  // namespace zephyr
