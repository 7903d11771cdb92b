// What a host holds of one market: the market record, the categories and every table the driver
// serves, as the raw packed records the driver sent. A full pull fills one; the replica keeps one
// up to date from the pushes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::hostkit {

class DriverLibrary;

// Record sizes and offsets of the records a host receives.
constexpr size_t kMarketInfoSize = 49;
constexpr size_t kCategorySize = 13;
constexpr size_t kCodeEntrySize = 79;
constexpr size_t kSnapshotSize = 74;
constexpr size_t kIndexEntrySize = 42;
constexpr size_t kProductStatusSize = 22;
constexpr size_t kShortNameSize = 72;
constexpr size_t kPriceSectionSize = 320;
constexpr size_t kPriceTableSize = 960;
constexpr size_t kExchangeRateSize = 12;
constexpr size_t kQuotaStatusSize = 25;
constexpr size_t kMarketTimeOffset = 6;   // u32 in MarketInfo
constexpr size_t kDigestOffset = 33;      // 16 bytes in MarketInfo
constexpr size_t kDigestSize = 16;

// The pulled tables, in the order a host loads them.
enum class Table : uint8_t {
    kCodes = 0x54,
    kSnapshots = 0x55,
    kExchangeRate = 0x57,
    kQuotaStatus = 0x58,
    kIndexes = 0x59,
    kPriceTable = 0x5A,
    kShortNames = 0x5B,
    kProductStatus = 0x5C,
};
constexpr Table kAllTables[] = {Table::kCodes,      Table::kSnapshots,    Table::kIndexes,
                                Table::kProductStatus, Table::kShortNames, Table::kPriceTable,
                                Table::kExchangeRate, Table::kQuotaStatus};
size_t RecordSize(Table table);
const char* TableName(Table table);
size_t TableSlot(Table table);  // 0..7, the position in kAllTables

// Fixed-size records back to back.
struct RecordBlock {
    size_t record_size = 0;
    std::string bytes;
    size_t Count() const { return record_size == 0 ? 0 : bytes.size() / record_size; }
    const char* At(size_t i) const { return bytes.data() + i * record_size; }
    char* At(size_t i) { return &bytes[i * record_size]; }
};

struct MarketImage {
    std::string market;                   // 49 bytes, empty before the first pull
    std::vector<std::string> categories;  // 13 bytes each
    RecordBlock tables[8];                // indexed by TableSlot

    MarketImage();
    RecordBlock& Of(Table table) { return tables[TableSlot(table)]; }
    const RecordBlock& Of(Table table) const { return tables[TableSlot(table)]; }
    bool Empty() const { return market.empty(); }
    uint32_t MarketDate() const;
    uint32_t MarketTime() const;
    uint16_t ItemCount() const;
};

enum class PullResult {
    kPulled,      // every table read
    kNotServing,  // the driver answered -1 somewhere: try again later
    kBroken,      // a frame did not make sense (see the error text)
};

// Reads the market record, the categories and every table, each table frame series after
// frame series, following the next index that leads every frame. `buffer_size` is the frame
// buffer offered to the driver (the host's frame size).
PullResult PullMarketImage(const DriverLibrary& driver, uint16_t buffer_size, MarketImage* image,
                           std::string* error);

// Little-endian helpers over raw record bytes.
uint16_t LoadU16(const char* p);
uint32_t LoadU32(const char* p);
uint64_t LoadU64(const char* p);
void StoreU32(char* p, uint32_t value);
void StoreU64(char* p, uint64_t value);
double LoadF64(const char* p);

}  // namespace zephyr::hostkit
