// The level-2 push handler: walks one push of the level-2 module and applies it to the market.
//
// A push is a 4-byte market time (u32, little-endian) followed by records packed back to back,
// each opening with its type byte:
//
//   type  length        handling
//   1     43            skipped
//   2     9 + 2 x n     skipped (n: the byte at record offset 8)
//   3     24            skipped
//   14    11            market time at record offset 6 (u32): the market time becomes the
//                       largest of the current market time, this time and the push's header time;
//                       the last level-2 data time is set to now either way
//   15    255           level-2 snapshot, mapped onto a zeroed 74-byte Snapshot and handed to
//                       UpdateSnapshots; consecutive snapshots go in one call, handed over
//                       before the next market-time record is applied and before the push ends
//   other               the walk stops; the rest of the push is ignored
//
// Nothing is ever read outside [data, data + length): a record cut short by the push length is
// dropped and the walk ends there.
//
// The handler may be closed: a push that arrives while it is closed changes nothing and reaches
// no collaborator. Close waits for a push in progress to finish, so once Close returns, the
// collaborators' tables may be released. A handler starts closed. Close must not be called
// while holding a lock that UpdateSnapshot takes.
//
// Pushes may come from any thread; they are applied one at a time. Per record the work is O(1)
// and allocates nothing: the snapshots of a push are gathered in a member block, which the
// handler's lock guards with the rest of the push.
#pragma once
#include <atomic>
#include <cstdint>

#include "foundation/MCriticalSection.h"
#include "market/Records.h"

namespace zephyr {

class Market;

// Where the handler sends what it found besides the market time. UpdateSnapshot has the
// signature of the loaders' LoaderHost::UpdateSnapshot, so the processing unit's one operation
// serves both.
class Level2PushTarget {
public:
    virtual ~Level2PushTarget() = default;
    // Stores a level-2 snapshot (and pushes it on to the host when the driver works); true when
    // the table changed. The handler does not look at the result.
    virtual bool UpdateSnapshot(const Snapshot& snapshot) = 0;
    // The snapshots of one run of the push, in push order: the same as UpdateSnapshot of each in
    // turn, which is what it does unless a target can store a run more cheaply.
    virtual void UpdateSnapshots(const Snapshot* snapshots, uint32_t n) {
        for (uint32_t i = 0; i < n; ++i) UpdateSnapshot(snapshots[i]);
    }
    // The wall time (seconds since 1970) of the newest level-2 market-time record.
    virtual void SetLastL2Time(int64_t seconds) = 0;
};

class Level2PushHandler {
public:
    static constexpr uint8_t kTypeTrade = 1;
    static constexpr uint8_t kTypeOrderQueue = 2;
    static constexpr uint8_t kTypeStatistics = 3;
    static constexpr uint8_t kTypeMarketTime = 14;
    static constexpr uint8_t kTypeSnapshot = 15;
    static constexpr uint16_t kHeaderLength = 4;
    static constexpr uint16_t kTradeLength = 43;
    static constexpr uint16_t kOrderQueueBase = 9;
    static constexpr uint16_t kStatisticsLength = 24;
    static constexpr uint16_t kMarketTimeLength = 11;
    static constexpr uint16_t kSnapshotLength = 255;
    // The most snapshots one push (at most 65535 bytes) can carry.
    static constexpr uint32_t kMaxSnapshots = (UINT16_MAX - kHeaderLength) / kSnapshotLength;

    // Neither pointer may be null; both must outlive the handler's open periods.
    Level2PushHandler(Market* market, Level2PushTarget* target);
    Level2PushHandler(const Level2PushHandler&) = delete;
    Level2PushHandler& operator=(const Level2PushHandler&) = delete;

    void Open();
    // Refuses every later push; returns once no push is being applied.
    void Close();
    bool IsOpen() const;

    // Applies one push. Main type, sub type and market number are not looked at. Returns the
    // number of records applied (market-time records and snapshots); 0 when closed.
    int32_t OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                         uint8_t market);

    // The driver snapshot of a 255-byte level-2 snapshot record (type byte included).
    static void MapSnapshot(const uint8_t* record, Snapshot* out);

private:
    int32_t Walk(const uint8_t* data, uint16_t length);
    // Hands the gathered snapshots to the target and empties the block.
    void HandOverSnapshots();
    void ApplyMarketTime(uint32_t record_time, uint32_t header_time);

    Market* m_Market;
    Level2PushTarget* m_Target;
    MCriticalSection m_Lock;  // held for a whole push, so Close can wait for one
    std::atomic<bool> m_Open;
    Snapshot m_Snapshots[kMaxSnapshots];  // gathered under m_Lock
    uint32_t m_SnapshotCount = 0;
};

}  // namespace zephyr
