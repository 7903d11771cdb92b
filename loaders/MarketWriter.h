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
// Whether the driver is working (serving the host).
using WorkingTest = bool (*)(void* context);

class MarketWriter {
public:
    // Longest data part of one push frame.
    static constexpr uint32_t kMaxPushData = 8191;
    static constexpr uint8_t kSnapshotFrame = 1;
    static constexpr uint8_t kStatusFrame = 5;

    MarketWriter(CodeTable& codes, SnapshotTable& snapshots, ProductStatusTable& statuses);
    MarketWriter(const MarketWriter&) = delete;
    MarketWriter& operator=(const MarketWriter&) = delete;

    // Optional collaborators; null removes them. Without a push sink nothing is pushed; without
    // a working test the driver counts as not working.
    void SetPushSink(PushSink sink, void* context);
    void SetWorkingTest(WorkingTest test, void* context);
    // Restarted by every UpdateSnapshot, before anything else.
    void SetSnapshotClock(MTickCounter* clock) { m_SnapshotClock = clock; }

    bool IsDriverWorking() const;
    // True when the snapshot table changed; a change is pushed as a type-1 frame of 74 bytes
    // while the driver is working.
    bool UpdateSnapshot(const Snapshot& record);
    // True when the product status table changed; a change is pushed as a type-5 frame of
    // 22 bytes while the driver is working.
    bool UpdateStatus(const ProductStatus& record);
    // One frame of length + 1 bytes to the push sink. ERR_BAD_ARGUMENT when data is null with a
    // length, or length exceeds kMaxPushData; 0 without a sink; else the sink's result.
    int32_t Push(uint8_t type, const void* data, uint32_t length);

private:

    CodeTable& m_Codes;
    SnapshotTable& m_Snapshots;
    ProductStatusTable& m_Statuses;
    MTickCounter* m_SnapshotClock = nullptr;
    PushSink m_PushSink = nullptr;
    void* m_PushContext = nullptr;
    WorkingTest m_WorkingTest = nullptr;
    void* m_WorkingContext = nullptr;
};

}  // namespace zephyr
