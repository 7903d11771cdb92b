#include "push/PushFrames.h"

#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/PackedCodec.h"
#include "push/MPushPool.h"

namespace zephyr {

static_assert(kLargestPushFrame == MPushPool::kRingSize - 1, "frames fit the pool's ring");

namespace {

template <class Record>
uint32_t BuildRecords(uint8_t type, const Record* records, uint32_t n, uint8_t* out, uint32_t capacity) {
    if (out == nullptr || records == nullptr || n == 0) return 0;
    const uint64_t size = 1 + static_cast<uint64_t>(n) * sizeof(Record);
    if (size > capacity) return 0;
    out[0] = type;
    for (uint32_t i = 0; i < n; ++i) EncodeRecord(records[i], out + 1 + static_cast<size_t>(i) * sizeof(Record));
    return static_cast<uint32_t>(size);
}

template <class Record, uint32_t kPerFrame>
int32_t PutRecords(MPushPool& pool, uint8_t type, const Record* records, uint32_t n) {
    if (records == nullptr || n == 0) return ERR_BAD_ARGUMENT;
    uint8_t frame[1 + kPerFrame * sizeof(Record)];
    while (n > 0) {
        const uint32_t take = n < kPerFrame ? n : kPerFrame;
        const uint32_t size = BuildRecords(type, records, take, frame, sizeof frame);
        const int32_t put = pool.PutData(frame, size);
        if (put < 0) return put;
        records += take;
        n -= take;
    }
    return 1;
}

}  // namespace

uint32_t BuildMarketHeaderFrame(const MarketInfo& info, uint8_t* out, uint32_t capacity) {
    if (out == nullptr || capacity < kMarketHeaderFrameSize) return 0;
    out[0] = kPushMarketHeader;
    out[1] = info.market_number;
    StoreLe<uint32_t>(out + 2, info.date);
    StoreLe<uint32_t>(out + 6, info.time);
    out[10] = info.status;
    return kMarketHeaderFrameSize;
}

uint32_t BuildSnapshotFrame(const Snapshot* records, uint32_t n, uint8_t* out, uint32_t capacity) {
    return BuildRecords(kPushSnapshot, records, n, out, capacity);
}

uint32_t BuildQuotaStatusFrame(const MarketQuotaStatus& status, uint8_t* out, uint32_t capacity) {
    return BuildRecords(kPushQuotaStatus, &status, 1, out, capacity);
}

uint32_t BuildIndexFrame(const IndexEntry* records, uint32_t n, uint8_t* out, uint32_t capacity) {
    return BuildRecords(kPushIndex, records, n, out, capacity);
}

uint32_t BuildProductStatusFrame(const ProductStatus& status, uint8_t* out, uint32_t capacity) {
    return BuildRecords(kPushProductStatus, &status, 1, out, capacity);
}

int32_t PutSnapshot(MPushPool& pool, const Snapshot& record) {
    return PutRecords<Snapshot, 1>(pool, kPushSnapshot, &record, 1);
}

int32_t PutSnapshots(MPushPool& pool, const Snapshot* records, uint32_t n) {
    return PutRecords<Snapshot, kSnapshotsPerFrame>(pool, kPushSnapshot, records, n);
}

}  // namespace zephyr
