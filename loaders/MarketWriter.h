// The write path from a loader (or a level-2 record) into the market: a snapshot or a product
// status record is stored at its instrument's place and, when the table changed and the driver is
// working, handed on as a push frame. The processing unit owns one and plugs in its push pool
// and its working test; tests plug in recorders.
//
// An instrument's place: its position p in the code table, less the code table's index count n;
// the record is stored there when the stored record has the same code. An index code (p < n)
// is placed by its code instead. The code table finds p through its own key index, in constant
// time at any market size (the name lookup's fixed chains grow long in a full market).
#pragma once
#include <cstdint>

namespace zephyr {

class CodeTable;
class SnapshotTable;
class ProductStatusTable;
class MTickCounter;
struct Snapshot;
struct ProductStatus;

// Receives one whole push frame (type byte and data). 1, or a negative result.
using PushSink = int32_t (*)(void* context, const void* frame, uint32_t length);
// Receives n push frames of one type at once, each the type byte and one record of record_size
// bytes (the records lie back to back). 1, or a negative result.
using PushFramesSink = int32_t (*)(void* context, uint8_t type, const void* records, uint32_t record_size,
                                   uint32_t n);
// Whether the driver is working (serving the host).
using WorkingTest = bool (*)(void* context);

class MarketWriter {
public:
    // Longest data part of one push frame.
    static constexpr uint32_t kMaxPushData = 8191;
    static constexpr uint8_t kSnapshotFrame = 1;
    static constexpr uint8_t kStatusFrame = 5;
    // Snapshots UpdateSnapshots applies per hold of the tables' locks.
    static constexpr uint32_t kSnapshotRun = 64;

    MarketWriter(CodeTable& codes, SnapshotTable& snapshots, ProductStatusTable& statuses);
    MarketWriter(const MarketWriter&) = delete;
    MarketWriter& operator=(const MarketWriter&) = delete;

    // Optional collaborators; null removes them. Without a push sink nothing is pushed; without
    // a working test the driver counts as not working.
    void SetPushSink(PushSink sink, void* context);
    // Optional: where runs of frames go in one call; without it they go one by one to the push
    // sink.
    void SetFramesSink(PushFramesSink sink, void* context);
    void SetWorkingTest(WorkingTest test, void* context);
    // Restarted by every UpdateSnapshot (and every run of UpdateSnapshots), before anything else.
    void SetSnapshotClock(MTickCounter* clock) { m_SnapshotClock = clock; }

    bool IsDriverWorking() const;
    // True when the snapshot table changed; a change is pushed as a type-1 frame of 74 bytes
    // while the driver is working.
    bool UpdateSnapshot(const Snapshot& record);
    // UpdateSnapshot for n records in order, with the same stores and pushes, but in runs of up
    // to kSnapshotRun: per run the clock is restarted once, the code table's and the snapshot
    // table's locks are each taken once (one after the other, never both), the working test is
    // asked once, and the changed records go on as one run of frames after both locks are left.
    // The number of records that changed the table. Allocates nothing.
    uint32_t UpdateSnapshots(const Snapshot* records, uint32_t n);
    // True when the product status table changed; a change is pushed as a type-5 frame of
    // 22 bytes while the driver is working.
    bool UpdateStatus(const ProductStatus& record);
    // One frame of length + 1 bytes to the push sink. ERR_BAD_ARGUMENT when data is null with a
    // length, or length exceeds kMaxPushData; 0 without a sink; else the sink's result.
    int32_t Push(uint8_t type, const void* data, uint32_t length);

private:
    uint32_t UpdateSnapshotRun(const Snapshot* records, uint32_t n);
    // n frames of one type, one record each: to the frames sink, else one by one to Push.
    void PushRecords(uint8_t type, const void* records, uint32_t record_size, uint32_t n);

    CodeTable& m_Codes;
    SnapshotTable& m_Snapshots;
    ProductStatusTable& m_Statuses;
    MTickCounter* m_SnapshotClock = nullptr;
    PushSink m_PushSink = nullptr;
    void* m_PushContext = nullptr;
    PushFramesSink m_FramesSink = nullptr;
    void* m_FramesContext = nullptr;
    WorkingTest m_WorkingTest = nullptr;
    void* m_WorkingContext = nullptr;
};

}  // namespace zephyr
