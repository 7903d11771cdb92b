// The push frames the driver sends through MPushPool: a type byte and its fixed payload.
//
//   type 0  market header: market number (1), date YYYYMMDD (4), market time (4), status (1)
//   type 1  Snapshot records, 74 bytes each
//   type 3  the MarketQuotaStatus record, 25 bytes
//   type 4  IndexEntry records, 42 bytes each
//   type 5  one ProductStatus record, 22 bytes
//
// Build* write one frame into out and answer its length, or 0 (nothing written) when out is
// null, capacity is too small, a record array is null or n is 0. Put* build and put frames into a
// pool, answering 1 or the pool's (or ERR_BAD_ARGUMENT's) negative result; the record-array forms
// split the records into as many frames as needed, each small enough for the pool's ring.
#pragma once
#include <cstdint>

#include "market/Records.h"
#include "market/StatusRecords.h"

namespace zephyr {

class MPushPool;

enum PushFrameType : uint8_t {
    kPushMarketHeader = 0,
    kPushSnapshot = 1,
    kPushQuotaStatus = 3,
    kPushIndex = 4,
    kPushProductStatus = 5,
};

constexpr uint32_t kMarketHeaderPayload = 10;
constexpr uint32_t kMarketHeaderFrameSize = 1 + kMarketHeaderPayload;
constexpr uint32_t kQuotaStatusFrameSize = 1 + sizeof(MarketQuotaStatus);
constexpr uint32_t kProductStatusFrameSize = 1 + sizeof(ProductStatus);
constexpr uint32_t SnapshotFrameSize(uint32_t n) { return 1 + n * static_cast<uint32_t>(sizeof(Snapshot)); }
constexpr uint32_t IndexFrameSize(uint32_t n) { return 1 + n * static_cast<uint32_t>(sizeof(IndexEntry)); }

// Largest frame the pool can ever hold (its ring keeps one byte free).
constexpr uint32_t kLargestPushFrame = 8000 - 1;
constexpr uint32_t kSnapshotsPerFrame = (kLargestPushFrame - 1) / sizeof(Snapshot);

uint32_t BuildMarketHeaderFrame(const MarketInfo& info, uint8_t* out, uint32_t capacity);
uint32_t BuildSnapshotFrame(const Snapshot* records, uint32_t n, uint8_t* out, uint32_t capacity);
uint32_t BuildQuotaStatusFrame(const MarketQuotaStatus& status, uint8_t* out, uint32_t capacity);
uint32_t BuildIndexFrame(const IndexEntry* records, uint32_t n, uint8_t* out, uint32_t capacity);
uint32_t BuildProductStatusFrame(const ProductStatus& status, uint8_t* out, uint32_t capacity);

int32_t PutSnapshot(MPushPool& pool, const Snapshot& record);
// n records in frames of at most kSnapshotsPerFrame records; stops at
// the first failed put.
int32_t PutSnapshots(MPushPool& pool, const Snapshot* records, uint32_t n);

}  // namespace zephyr
