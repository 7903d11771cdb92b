// Records and pushes for the replica tests, built byte by byte as the driver sends them.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>

#include "host/MarketImage.h"

namespace hosttest {

inline void PutU32(std::string* bytes, size_t at, uint32_t value) {
    zephyr::hostkit::StoreU32(&(*bytes)[at], value);
}

// A 74-byte snapshot of a five-digit code with a last price and a volume.
inline std::string Snapshot(const char* code, uint32_t last, uint64_t volume = 0) {
    std::string record(zephyr::hostkit::kSnapshotSize, '\0');
    std::memcpy(&record[0], code, std::strlen(code));
    PutU32(&record, 18, 1000);  // previous close
    PutU32(&record, 22, last);
    zephyr::hostkit::StoreU64(&record[34], volume);
    return record;
}

inline std::string IndexEntry(const char* code, uint64_t volume) {
    std::string record(zephyr::hostkit::kIndexEntrySize, '\0');
    std::memcpy(&record[0], code, std::strlen(code));
    zephyr::hostkit::StoreU64(&record[34], volume);
    return record;
}

inline std::string MarketInfo(uint32_t date, uint32_t time) {
    std::string record(zephyr::hostkit::kMarketInfoSize, '\0');
    record[0] = 30;
    PutU32(&record, 2, date);
    PutU32(&record, 6, time);
    record[12] = 2;
    return record;
}

// A push: the 4-byte market time, then the frames given as type byte + payload.
inline std::string Push(uint32_t market_time, const std::string& frames) {
    std::string push(4, '\0');
    PutU32(&push, 0, market_time);
    return push + frames;
}

inline std::string Frame(uint8_t type, const std::string& payload) {
    return std::string(1, static_cast<char>(type)) + payload;
}

inline std::string Header(uint32_t date, uint32_t time, uint8_t status) {
    std::string payload(10, '\0');
    payload[0] = 30;
    PutU32(&payload, 1, date);
    PutU32(&payload, 5, time);
    payload[9] = static_cast<char>(status);
    return payload;
}

// A small market: two categories, three codes, snapshots for two shares, an index entry.
inline zephyr::hostkit::MarketImage SmallMarket() {
    using zephyr::hostkit::Table;
    zephyr::hostkit::MarketImage image;
    image.market = MarketInfo(20261210, 100000);
    std::string indexes("\xcf\xe3\xb8\xdb\xd6\xb8\xca\xfd\x03\x00\x00\x01\x00", 13);
    std::string board("\xcf\xe3\xb8\xdb\xd6\xf7\xb0\xe5\x03\x00\x00\x02\x00", 13);
    image.categories = {indexes, board};
    for (const char* code : {"999999", "00001", "00700"}) {
        std::string record(zephyr::hostkit::kCodeEntrySize, '\0');
        std::memcpy(&record[3], code, std::strlen(code));
        image.Of(Table::kCodes).bytes += record;
    }
    image.Of(Table::kSnapshots).bytes = Snapshot("00001", 1010) + Snapshot("00700", 350000);
    image.Of(Table::kIndexes).bytes = IndexEntry("999999", 5);
    image.Of(Table::kPriceTable).bytes.assign(zephyr::hostkit::kPriceTableSize, '\x07');
    return image;
}

}  // namespace hosttest
