#include "process/Level2PushHandler.h"

#include <cstddef>
#include <cstring>
#include <utility>

#include "foundation/MClock.h"
#include "foundation/MLocalSection.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

// Byte ranges of a level-2 snapshot record that make up the driver snapshot, in order.
struct SnapshotRange {
    uint8_t to;     // offset in Snapshot
    uint8_t size;
    uint8_t from;   // offset in the record
};

constexpr SnapshotRange kSnapshotRanges[] = {
    {0, 6, 1},      // code
    {6, 4, 7},      // high
    {10, 4, 11},    // open
    {14, 4, 15},    // low
    {18, 4, 19},    // previous close
    {22, 4, 23},    // last
    {26, 8, 27},    // amount
    {34, 8, 35},    // volume
    {42, 4, 43},    // bid price
    {46, 8, 47},    // bid volume
    {54, 2, 55},    // bid orders
    {56, 4, 147},   // ask price
    {60, 8, 151},   // ask volume
    {68, 2, 159},   // ask orders
    {70, 4, 251},   // voip
};

// Every range copied with its size known to the compiler: a few moves per record, no loop.
template <size_t... I>
void CopyRanges(const uint8_t* record, uint8_t* bytes, std::index_sequence<I...>) {
    (memcpy(bytes + kSnapshotRanges[I].to, record + kSnapshotRanges[I].from, kSnapshotRanges[I].size), ...);
}

constexpr uint32_t kMarketTimeOffset = 6;
constexpr uint32_t kOrderQueueCountOffset = 8;

}  // namespace

Level2PushHandler::Level2PushHandler(Market* market, Level2PushTarget* target)
    : m_Market(market), m_Target(target), m_Open(false) {}

void Level2PushHandler::Open() {
    MLocalSection lock(m_Lock);
    m_Open = true;
}

void Level2PushHandler::Close() {
    MLocalSection lock(m_Lock);
    m_Open = false;
}

bool Level2PushHandler::IsOpen() const { return m_Open.load(); }

int32_t Level2PushHandler::OnLevel2Push(uint8_t, uint8_t, const uint8_t* data, uint16_t length,
                                        uint8_t) {
    if (data == nullptr || length <= kHeaderLength) return 0;
    MLocalSection lock(m_Lock);
    if (!m_Open) return 0;
    const int32_t applied = Walk(data, length);
    HandOverSnapshots();
    return applied;
}

void Level2PushHandler::HandOverSnapshots() {
    if (m_SnapshotCount == 0) return;
    m_Target->UpdateSnapshots(m_Snapshots, m_SnapshotCount);
    m_SnapshotCount = 0;
}

int32_t Level2PushHandler::Walk(const uint8_t* data, uint16_t length) {
    const uint32_t header_time = LoadLe<uint32_t>(data);
    int32_t applied = 0;
    uint32_t offset = kHeaderLength;
    while (offset < length) {
        const uint8_t* record = data + offset;
        const uint32_t left = length - offset;
        uint32_t size;
        switch (record[0]) {
        case kTypeTrade:
            size = kTradeLength;
            break;
        case kTypeOrderQueue:
            if (left <= kOrderQueueCountOffset) return applied;
            size = kOrderQueueBase + 2u * record[kOrderQueueCountOffset];
            break;
        case kTypeStatistics:
            size = kStatisticsLength;
            break;
        case kTypeMarketTime:
            size = kMarketTimeLength;
            if (size > left) return applied;
            HandOverSnapshots();
            ApplyMarketTime(LoadLe<uint32_t>(record + kMarketTimeOffset), header_time);
            ++applied;
            break;
        case kTypeSnapshot: {
            size = kSnapshotLength;
            if (size > left) return applied;
            if (m_SnapshotCount == kMaxSnapshots) HandOverSnapshots();
            MapSnapshot(record, &m_Snapshots[m_SnapshotCount++]);
            ++applied;
            break;
        }
        default:
            return applied;
        }
        // A skipped record cut short by the push ends the walk just as an applied one does.
        if (size > left) return applied;
        offset += size;
    }
    return applied;
}

void Level2PushHandler::ApplyMarketTime(uint32_t record_time, uint32_t header_time) {
    MarketInfo info;
    m_Market->GetInfo(&info);
    uint32_t time = info.time;
    if (time < record_time) time = record_time;
    if (time < header_time) time = header_time;
    info.time = time;
    m_Market->SetInfo(&info);
    // Refreshed even when the market time stays: the feed is alive.
    m_Target->SetLastL2Time(MClock::NowSeconds());
}

void Level2PushHandler::MapSnapshot(const uint8_t* record, Snapshot* out) {
    uint8_t bytes[sizeof(Snapshot)] = {};
    CopyRanges(record, bytes, std::make_index_sequence<sizeof kSnapshotRanges / sizeof kSnapshotRanges[0]>());
    DecodeRecord(bytes, *out);
}

}  // namespace zephyr
