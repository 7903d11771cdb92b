// The packed records of the market model. Each travels unchanged: to the host (GetMarketInfo and
// the data frames), into the market digest, or into the console's printouts, so every size and
// offset below is part of the binary interface and pinned by a static_assert.
// None of them holds an address, so the layouts are the same in the i386 and the 64-bit builds.
// Prices are u32 thousandths of the currency unit; volumes u64 share counts; amounts doubles.
// Encoding to bytes and back goes through PackedCodec.h.
#pragma once
#include <cstddef>
#include <cstdint>

// kMarketNumber comes from the host interface, so the market record and the host agree on it.
#include "zephyr/DriverInterface.h"

namespace zephyr {

constexpr size_t kCodeSize = 6;  // five ASCII digits and a NUL (index codes may use all six)

#pragma pack(push, 1)

// One trading session, bounds in minutes since local midnight (9:30 is 570).
struct TradingSession {
    uint16_t start;
    uint16_t end;
};

struct MarketInfo {
    uint8_t market_number;    // always kMarketNumber
    uint8_t status;           // owned by the processing unit
    uint32_t date;            // YYYYMMDD at initialisation
    uint32_t time;            // HHMMSS of the newest market data accepted
    uint16_t item_count;      // code table entries
    uint8_t category_count;
    TradingSession sessions[4];
    uint8_t session_count;
    uint8_t time_zone;        // always 8
    uint16_t delay;           // always 0
    uint8_t digest[16];       // market digest; only SetDigest and Init write it
};

// Digest bytes start here; SetInfo copies everything before them.
constexpr size_t kMarketInfoDigestOffset = 33;

struct CategoryInfo {
    char name[8];             // GBK, NUL-padded, not terminated when 8 bytes long; the table key
    uint8_t price_scale;
    uint16_t lot_ratio;
    uint16_t count;           // code entries of this category

    static constexpr uint32_t kGrowthStep = 15;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = 8;
};

struct CodeEntry {
    uint16_t serial;          // position in the code table
    uint8_t category;         // index into the category table
    char code[6];
    char second_name[16];
    char full_name[16];       // GBK; never empty after loading
    char short_name[8];
    int32_t reference1;
    int32_t reserved1;
    int32_t reserved2;
    int32_t reference2;
    uint8_t currency;         // 1-based position in the currency list, 0 unknown
    uint8_t reserved3;
    float rate;               // "NRRATE" of the short-name table
    char reference_text[8];

    static constexpr uint32_t kGrowthStep = 6100;
    static constexpr uint32_t kKeyOffset = 3;
    static constexpr uint32_t kKeySize = kCodeSize;
};

struct Snapshot {
    char code[6];
    uint32_t high;
    uint32_t open;
    uint32_t low;
    uint32_t previous_close;
    uint32_t last;
    double amount;
    uint64_t volume;
    uint32_t bid_price;
    uint64_t bid_volume;
    uint16_t bid_orders;
    uint32_t ask_price;
    uint64_t ask_volume;
    uint16_t ask_orders;
    uint32_t voip;            // filled only by level-2 pushes

    static constexpr uint32_t kGrowthStep = 6000;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = kCodeSize;
};

struct ProductStatus {
    char code[6];
    char board_lot_status[8];
    char odd_lot_status[8];

    static constexpr uint32_t kGrowthStep = 9000;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = kCodeSize;
};

struct ExtCodeEntry {
    uint16_t serial;          // the key
    uint8_t payload[3];

    static constexpr uint32_t kGrowthStep = 6100;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = 2;
};

// The first 42 bytes of a Snapshot.
struct IndexEntry {
    char code[6];
    uint32_t high;
    uint32_t open;
    uint32_t low;
    uint32_t previous_close;
    uint32_t last;
    double amount;
    uint64_t volume;

    static constexpr uint32_t kGrowthStep = 50;
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = kCodeSize;
};

// One row of the short-name DBF file.
struct ShortNameRow {
    char code[6];             // "S1"
    char short_name[8];       // "S2"
    char name[50];            // "S26"
    int32_t index_code;       // "INDEXCODE"
    float rate;               // "NRRATE"

    static constexpr uint32_t kGrowthStep = 0;  // one fixed block, never grown
    static constexpr uint32_t kKeyOffset = 0;
    static constexpr uint32_t kKeySize = kCodeSize;
};

struct PriceLevel {
    int32_t lower_bound;      // thousandths; the level applies from here upward
    uint16_t spread;          // tick size, thousandths
};

constexpr size_t kPriceLevels = 52;

struct PriceSection {
    char price_code[2];       // not terminated
    int32_t lowest_limit;
    uint16_t level_count;     // at most kPriceLevels
    PriceLevel levels[kPriceLevels];
};

constexpr size_t kPriceSections = 3;

struct PriceTable {
    PriceSection sections[kPriceSections];
};

#pragma pack(pop)

static_assert(sizeof(TradingSession) == 4, "TradingSession layout");
static_assert(sizeof(MarketInfo) == 49, "MarketInfo layout");
static_assert(offsetof(MarketInfo, status) == 1 && offsetof(MarketInfo, date) == 2 &&
                  offsetof(MarketInfo, time) == 6 && offsetof(MarketInfo, item_count) == 10 &&
                  offsetof(MarketInfo, category_count) == 12 && offsetof(MarketInfo, sessions) == 13 &&
                  offsetof(MarketInfo, session_count) == 29 && offsetof(MarketInfo, time_zone) == 30 &&
                  offsetof(MarketInfo, delay) == 31 &&
                  offsetof(MarketInfo, digest) == kMarketInfoDigestOffset,
              "MarketInfo offsets");

static_assert(sizeof(CategoryInfo) == 13, "CategoryInfo layout");
static_assert(offsetof(CategoryInfo, price_scale) == 8 && offsetof(CategoryInfo, lot_ratio) == 9 &&
                  offsetof(CategoryInfo, count) == 11,
              "CategoryInfo offsets");

static_assert(sizeof(CodeEntry) == 79, "CodeEntry layout");
static_assert(offsetof(CodeEntry, category) == 2 && offsetof(CodeEntry, code) == 3 &&
                  offsetof(CodeEntry, second_name) == 9 && offsetof(CodeEntry, full_name) == 25 &&
                  offsetof(CodeEntry, short_name) == 41 && offsetof(CodeEntry, reference1) == 49 &&
                  offsetof(CodeEntry, reserved1) == 53 && offsetof(CodeEntry, reserved2) == 57 &&
                  offsetof(CodeEntry, reference2) == 61 && offsetof(CodeEntry, currency) == 65 &&
                  offsetof(CodeEntry, reserved3) == 66 && offsetof(CodeEntry, rate) == 67 &&
                  offsetof(CodeEntry, reference_text) == 71,
              "CodeEntry offsets");

static_assert(sizeof(Snapshot) == 74, "Snapshot layout");
static_assert(offsetof(Snapshot, high) == 6 && offsetof(Snapshot, open) == 10 &&
                  offsetof(Snapshot, low) == 14 && offsetof(Snapshot, previous_close) == 18 &&
                  offsetof(Snapshot, last) == 22 && offsetof(Snapshot, amount) == 26 &&
                  offsetof(Snapshot, volume) == 34 && offsetof(Snapshot, bid_price) == 42 &&
                  offsetof(Snapshot, bid_volume) == 46 && offsetof(Snapshot, bid_orders) == 54 &&
                  offsetof(Snapshot, ask_price) == 56 && offsetof(Snapshot, ask_volume) == 60 &&
                  offsetof(Snapshot, ask_orders) == 68 && offsetof(Snapshot, voip) == 70,
              "Snapshot offsets");

static_assert(sizeof(ProductStatus) == 22, "ProductStatus layout");
static_assert(offsetof(ProductStatus, board_lot_status) == 6 &&
                  offsetof(ProductStatus, odd_lot_status) == 14,
              "ProductStatus offsets");

static_assert(sizeof(ExtCodeEntry) == 5 && offsetof(ExtCodeEntry, payload) == 2, "ExtCodeEntry layout");

static_assert(sizeof(IndexEntry) == 42, "IndexEntry layout");
static_assert(offsetof(IndexEntry, high) == offsetof(Snapshot, high) &&
                  offsetof(IndexEntry, open) == offsetof(Snapshot, open) &&
                  offsetof(IndexEntry, low) == offsetof(Snapshot, low) &&
                  offsetof(IndexEntry, previous_close) == offsetof(Snapshot, previous_close) &&
                  offsetof(IndexEntry, last) == offsetof(Snapshot, last) &&
                  offsetof(IndexEntry, amount) == offsetof(Snapshot, amount) &&
                  offsetof(IndexEntry, volume) == offsetof(Snapshot, volume),
              "IndexEntry is the head of a Snapshot");

static_assert(sizeof(ShortNameRow) == 72, "ShortNameRow layout");
static_assert(offsetof(ShortNameRow, short_name) == 6 && offsetof(ShortNameRow, name) == 14 &&
                  offsetof(ShortNameRow, index_code) == 64 && offsetof(ShortNameRow, rate) == 68,
              "ShortNameRow offsets");

static_assert(sizeof(PriceLevel) == 6 && offsetof(PriceLevel, spread) == 4, "PriceLevel layout");
static_assert(sizeof(PriceSection) == 320, "PriceSection layout");
static_assert(offsetof(PriceSection, lowest_limit) == 2 && offsetof(PriceSection, level_count) == 6 &&
                  offsetof(PriceSection, levels) == 8,
              "PriceSection offsets");
static_assert(sizeof(PriceTable) == 960, "PriceTable layout");

}  // namespace zephyr
