// The routines every initialisation runs over the tables: the code table adjustment with the
// name lookup, the per-category counts, the market totals and the market digest.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/MMd5.h"
#include "market/CodeTable.h"
#include "market/ExtCodeTable.h"
#include "market/IndexTable.h"
#include "market/Market.h"
#include "market/NameLookup.h"
#include "market/ProductStatusTable.h"
#include "market/SnapshotTable.h"
#include "process/CodeTableAdjuster.h"
#include "process/MarketChecksum.h"
#include "process/MarketCounts.h"

namespace zephyr {
namespace {

CodeEntry Code(const char* code, uint8_t category) {
    CodeEntry entry;
    memset(&entry, 0, sizeof entry);
    memcpy(entry.code, code, strnlen(code, 6));
    entry.category = category;
    snprintf(entry.short_name, sizeof entry.short_name, "n%s", code);
    return entry;
}

Snapshot Quote(const char* code, uint32_t last, uint64_t volume) {
    Snapshot s;
    memset(&s, 0, sizeof s);
    memcpy(s.code, code, strnlen(code, 6));
    s.last = last;
    s.previous_close = last - 1;
    s.volume = volume;
    return s;
}

std::string CodeText(const char* code) { return std::string(code, strnlen(code, 6)); }

class MarketRoutinesTest : public ::testing::Test {
protected:
    void SetUp() override {
        market.Configure(MarketSetup{"/nonexistent/", 0, 0, nullptr});
        ASSERT_EQ(market.Init(0), 1);
        ASSERT_TRUE(codes.Allocate(16));
        ASSERT_TRUE(ext.Allocate(16));
        ASSERT_TRUE(indexes.Allocate(8));
        ASSERT_TRUE(snapshots.Allocate(16));
        ASSERT_TRUE(statuses.Allocate(16));
    }
    MarketTables Tables() {
        return MarketTables{&market, &codes, &ext, &indexes, &snapshots, &statuses, &lookup, nullptr};
    }
    void AddCodes(const std::vector<CodeEntry>& entries) {
        for (const CodeEntry& e : entries) ASSERT_TRUE(codes.AppendSerial(&e));
    }
    std::vector<std::string> CodeOrder() {
        std::vector<std::string> order;
        for (uint32_t i = 0; i < codes.Count(); ++i) {
            CodeEntry e;
            codes.Get(&e, i);
            EXPECT_EQ(+e.serial, i);
            order.push_back(CodeText(e.code));
        }
        return order;
    }
    template <class Table, class Record>
    std::vector<std::string> Order(Table& table) {
        std::vector<std::string> order;
        for (uint32_t i = 0; i < table.Count(); ++i) {
            Record r;
            table.Get(&r, i);
            order.push_back(CodeText(r.code));
        }
        return order;
    }

    Market market;
    CodeTable codes;
    ExtCodeTable ext;
    IndexTable indexes;
    SnapshotTable snapshots;
    ProductStatusTable statuses;
    NameLookup lookup;
};

TEST_F(MarketRoutinesTest, AdjustmentGroupsByCategoryAndEveryTableFollows) {
    // Loaded order: an index among the shares, snapshots in yet another order.
    AddCodes({Code("999001", 0), Code("00005", 1), Code("999999", 0), Code("00001", 1), Code("00700", 1)});
    for (uint16_t j = 0; j < 5; ++j) {
        ExtCodeEntry e{j, {static_cast<uint8_t>('a' + j), 0, 0}};
        ASSERT_TRUE(ext.Append(&e));
    }
    for (const char* code : {"999999", "999001"}) {
        IndexEntry e;
        memset(&e, 0, sizeof e);
        memcpy(e.code, code, 6);
        ASSERT_TRUE(indexes.Append(&e));
    }
    for (const char* code : {"00700", "00005", "00001"}) {
        const Snapshot s = Quote(code, 1000, 10);
        ASSERT_TRUE(snapshots.Append(&s));
        ProductStatus status;
        memset(&status, 'x', sizeof status);
        memcpy(status.code, code, 6);
        ASSERT_TRUE(statuses.Append(&status));
    }

    RefreshMarketCounts(Tables());
    MarketInfo info;
    market.GetInfo(&info);
    EXPECT_EQ(+info.item_count, 5);
    CategoryInfo category;
    ASSERT_EQ(market.GetCategory(&category, 0), 1);
    EXPECT_EQ(+category.count, 2);
    ASSERT_EQ(market.GetCategory(&category, 1), 1);
    EXPECT_EQ(+category.count, 3);

    testing::internal::CaptureStdout();
    AdjustCodeTable(Tables());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "adjust name table\n");

    const std::vector<std::string> expected{"999001", "999999", "00005", "00001", "00700"};
    EXPECT_EQ(CodeOrder(), expected);
    for (uint16_t p = 0; p < expected.size(); ++p) {
        EXPECT_EQ(FindPosition(lookup, codes, expected[p].c_str()), p) << expected[p];
        EXPECT_EQ(lookup.Find(expected[p].c_str()), p) << expected[p];
    }
    EXPECT_EQ(FindPosition(lookup, codes, "00002"), kNoPosition);
    EXPECT_EQ((Order<IndexTable, IndexEntry>(indexes)), (std::vector<std::string>{"999001", "999999"}));
    EXPECT_EQ((Order<SnapshotTable, Snapshot>(snapshots)), (std::vector<std::string>{"00005", "00001", "00700"}));
    // Status records beside their snapshots, carrying nothing but the code.
    for (uint32_t i = 0; i < statuses.Count(); ++i) {
        ProductStatus status;
        statuses.Get(&status, i);
        EXPECT_EQ(CodeText(status.code), expected[i + 2]);
        EXPECT_EQ(status.board_lot_status[0], 0);
    }
    // An extension record follows its code record: it named the old position, now the new one.
    const char payloads[] = {'a', 'c', 'b', 'd', 'e'};  // old positions 0, 2, 1, 3, 4
    for (uint16_t p = 0; p < 5; ++p) {
        ExtCodeEntry e;
        ASSERT_TRUE(ext.Get(&e, p));
        EXPECT_EQ(+e.serial, p);
        EXPECT_EQ(e.payload[0], static_cast<uint8_t>(payloads[p])) << p;
    }
}

TEST_F(MarketRoutinesTest, CountsThatDoNotDescribeTheTableLeaveItInItsLoadedOrder) {
    // Category 5 has no place among the market's two categories.
    AddCodes({Code("00005", 1), Code("999001", 0), Code("00009", 5)});
    RefreshMarketCounts(Tables());
    testing::internal::CaptureStdout();
    AdjustCodeTable(Tables());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(CodeOrder(), (std::vector<std::string>{"00005", "999001", "00009"}));
    EXPECT_EQ(FindPosition(lookup, codes, "00009"), 2);
    EXPECT_EQ(lookup.Find("999001"), 1);
}

TEST_F(MarketRoutinesTest, TotalsGoToTheTwoIndexEntries) {
    AddCodes({Code("999987", 0), Code("999999", 0), Code("00001", 1), Code("00002", 1), Code("00003", 4),
              Code("00004", 2)});
    for (const char* code : {"999987", "999999"}) {
        IndexEntry e;
        memset(&e, 0, sizeof e);
        memcpy(e.code, code, 6);
        ASSERT_TRUE(indexes.Append(&e));
    }
    const uint64_t big = 0x100000005ull;  // crosses 32 bits
    for (const Snapshot& s : {Quote("00001", 10, big), Quote("00002", 10, 7), Quote("00003", 10, 11),
                              Quote("00004", 10, 1000), Quote("00099", 10, 5000)}) {
        ASSERT_TRUE(snapshots.Append(&s));
    }
    WriteMarketTotals(Tables());
    IndexEntry e;
    ASSERT_TRUE(indexes.Get(&e, 1));
    EXPECT_EQ(uint64_t{e.volume}, big + 7);
    ASSERT_TRUE(indexes.Get(&e, 0));
    EXPECT_EQ(uint64_t{e.volume}, 11u);
}

// MD5 over the bytes as the host receives them, built here by hand.
std::string HandDigest(Market& market, CodeTable& codes, const PriceTable& prices) {
    std::string bytes;
    MarketInfo info;
    market.GetInfo(&info);
    std::string record(reinterpret_cast<const char*>(&info), sizeof info);
    record[1] = 0;
    for (int i = 6; i < 10; ++i) record[i] = 0;
    bytes += record;
    for (int i = 0; i < info.category_count; ++i) {
        CategoryInfo c;
        market.GetCategory(&c, i);
        bytes.append(reinterpret_cast<const char*>(&c), sizeof c);
    }
    for (uint32_t j = 0; j < codes.Count(); ++j) {
        CodeEntry e;
        codes.Get(&e, j);
        bytes.append(reinterpret_cast<const char*>(&e), sizeof e);
    }
    bytes.append(reinterpret_cast<const char*>(&prices), sizeof prices);
    uint8_t digest[MMd5::kSize];
    MMd5 md5;
    md5.Update(bytes.data(), bytes.size());
    md5.Final(digest);
    return std::string(reinterpret_cast<char*>(digest), sizeof digest);
}

TEST_F(MarketRoutinesTest, DigestCoversTheMarketButNotItsStatusOrTime) {
    AddCodes({Code("999001", 0), Code("00005", 1)});
    PriceTable prices;
    memset(&prices, 0, sizeof prices);
    prices.sections[1].lowest_limit = 10;

    const std::string expected = HandDigest(market, codes, prices);
    ComputeMarketChecksum(market, codes, prices);
    MarketInfo info;
    market.GetInfo(&info);
    const std::string first(reinterpret_cast<const char*>(info.digest), 16);
    EXPECT_EQ(first, expected);

    // Status and market time do not count; the digest field itself does, as it stands.
    info.status = 1;
    info.time = 101010;
    market.SetInfo(&info);
    uint8_t again[16];
    ComputeMarketDigest(market, codes, prices, again);
    EXPECT_NE(std::string(reinterpret_cast<char*>(again), 16), first);  // over the stored digest
    EXPECT_EQ(std::string(reinterpret_cast<char*>(again), 16), HandDigest(market, codes, prices));
    const uint8_t zero[16] = {};
    market.SetDigest(zero);
    ComputeMarketDigest(market, codes, prices, again);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(again), 16), first);

    // A code record or the price table changes it.
    const CodeEntry renamed = Code("00006", 1);
    codes.SetAt(&renamed, 1);
    ComputeMarketDigest(market, codes, prices, again);
    EXPECT_NE(std::string(reinterpret_cast<char*>(again), 16), first);
}

}  // namespace
}  // namespace zephyr
