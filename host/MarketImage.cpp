#include "host/MarketImage.h"

#include <cstring>

#include "host/DriverLibrary.h"

namespace zephyr::hostkit {

namespace {

constexpr uint8_t kMainType = 2;
constexpr uint16_t kRequestVersion = 3;
constexpr uint16_t kCategoryCapacity = 64;
// A table of more than 65535 records cannot be addressed; more series than that is a loop.
constexpr int kLargestSeriesCount = 65536;

std::string Describe(Table table, const char* what, long value) {
    return std::string(TableName(table)) + ": " + what + " (" + std::to_string(value) + ")";
}

PullResult PullTable(const DriverLibrary& driver, uint16_t buffer_size, Table table,
                     RecordBlock* block, std::string* error) {
    const size_t size = RecordSize(table);
    const uint8_t sub = static_cast<uint8_t>(table);
    block->record_size = size;
    block->bytes.clear();
    std::vector<uint8_t> buffer(buffer_size);
    uint16_t start = 0;
    for (int series = 0; series < kLargestSeriesCount; ++series) {
        uint8_t last = 0xFF;
        const int32_t frames = driver.FrameCount(kMainType, sub, start, kRequestVersion, &last);
        if (frames == -1) return PullResult::kNotServing;
        if (frames <= 0) {
            *error = Describe(table, "the frame count is not positive", frames);
            return PullResult::kBroken;
        }
        uint32_t next = start;
        for (int32_t f = 0; f < frames; ++f) {
            buffer.assign(buffer_size, 0);
            const int32_t length = driver.OneFrame(kMainType, sub, start, kRequestVersion,
                                                   static_cast<uint16_t>(f), &buffer);
            if (length == -1) return PullResult::kNotServing;
            if (length < 2 || length > buffer_size) {
                *error = Describe(table, "frame length out of range", length);
                return PullResult::kBroken;
            }
            const size_t body = static_cast<size_t>(length) - 2;
            if (body % size != 0) {
                *error = Describe(table, "frame body is not whole records", length);
                return PullResult::kBroken;
            }
            const uint32_t records = static_cast<uint32_t>(body / size);
            const uint16_t said = LoadU16(reinterpret_cast<const char*>(buffer.data()));
            if (said != next + records) {
                *error = Describe(table, "a frame's next index does not follow its records", said);
                return PullResult::kBroken;
            }
            block->bytes.append(reinterpret_cast<const char*>(buffer.data()) + 2, body);
            next = said;
            if (records == 0) break;
        }
        if (last == 1) return PullResult::kPulled;
        if (last != 0) {
            *error = Describe(table, "the last-frame flag is neither 0 nor 1", last);
            return PullResult::kBroken;
        }
        if (next <= start) {
            *error = Describe(table, "a frame series made no progress", start);
            return PullResult::kBroken;
        }
        start = static_cast<uint16_t>(next);
    }
    *error = Describe(table, "too many frame series", kLargestSeriesCount);
    return PullResult::kBroken;
}

}  // namespace

size_t RecordSize(Table table) {
    switch (table) {
        case Table::kCodes: return kCodeEntrySize;
        case Table::kSnapshots: return kSnapshotSize;
        case Table::kExchangeRate: return kExchangeRateSize;
        case Table::kQuotaStatus: return kQuotaStatusSize;
        case Table::kIndexes: return kIndexEntrySize;
        case Table::kPriceTable: return kPriceSectionSize;
        case Table::kShortNames: return kShortNameSize;
        case Table::kProductStatus: return kProductStatusSize;
    }
    return 1;
}

const char* TableName(Table table) {
    switch (table) {
        case Table::kCodes: return "codes";
        case Table::kSnapshots: return "snapshots";
        case Table::kExchangeRate: return "exchange rate";
        case Table::kQuotaStatus: return "quota status";
        case Table::kIndexes: return "indexes";
        case Table::kPriceTable: return "price table";
        case Table::kShortNames: return "short names";
        case Table::kProductStatus: return "product status";
    }
    return "?";
}

size_t TableSlot(Table table) {
    for (size_t i = 0; i < 8; ++i) {
        if (kAllTables[i] == table) return i;
    }
    return 0;
}

MarketImage::MarketImage() {
    for (Table table : kAllTables) Of(table).record_size = RecordSize(table);
}

uint32_t MarketImage::MarketDate() const { return market.size() == kMarketInfoSize ? LoadU32(&market[2]) : 0; }
uint32_t MarketImage::MarketTime() const {
    return market.size() == kMarketInfoSize ? LoadU32(&market[kMarketTimeOffset]) : 0;
}
uint16_t MarketImage::ItemCount() const { return market.size() == kMarketInfoSize ? LoadU16(&market[10]) : 0; }

PullResult PullMarketImage(const DriverLibrary& driver, uint16_t buffer_size, MarketImage* image,
                           std::string* error) {
    MarketImage fresh;
    std::vector<uint8_t> market, categories;
    int32_t count = driver.MarketInfo(kCategoryCapacity, &market, &categories);
    if (count == -1) return PullResult::kNotServing;
    if (count < 0 || count > kCategoryCapacity) {
        *error = "market info: unexpected result (" + std::to_string(count) + ")";
        return PullResult::kBroken;
    }
    fresh.market.assign(market.begin(), market.end());
    for (int32_t i = 0; i < count; ++i) {
        fresh.categories.emplace_back(reinterpret_cast<const char*>(categories.data()) + i * kCategorySize,
                                      kCategorySize);
    }
    for (Table table : kAllTables) {
        PullResult result = PullTable(driver, buffer_size, table, &fresh.Of(table), error);
        if (result != PullResult::kPulled) return result;
    }
    *image = std::move(fresh);
    return PullResult::kPulled;
}

uint16_t LoadU16(const char* p) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t LoadU32(const char* p) {
    const auto* b = reinterpret_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

uint64_t LoadU64(const char* p) {
    return static_cast<uint64_t>(LoadU32(p)) | (static_cast<uint64_t>(LoadU32(p + 4)) << 32);
}

void StoreU32(char* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void StoreU64(char* p, uint64_t value) {
    StoreU32(p, static_cast<uint32_t>(value));
    StoreU32(p + 4, static_cast<uint32_t>(value >> 32));
}

double LoadF64(const char* p) {
    const uint64_t bits = LoadU64(p);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace zephyr::hostkit
