#include "loaders/MarketWriter.h"

#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MTickCounter.h"
#include "market/CodeTable.h"
#include "market/ProductStatusTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {


// Stores record at its instrument's place in table: 1 changed, 0 identical, -1 not stored.
template <class Table, class Record>
int32_t StoreAtPlace(Table& table, const Record& record, uint32_t position, uint32_t index_count) {
    if (position < index_count) return table.UpdateByKey(&record);
    return table.UpdateAt(&record, position - index_count);
}

}  // namespace

MarketWriter::MarketWriter(CodeTable& codes, SnapshotTable& snapshots, ProductStatusTable& statuses)
    : m_Codes(codes), m_Snapshots(snapshots), m_Statuses(statuses) {}

void MarketWriter::SetPushSink(PushSink sink, void* context) {
    m_PushSink = sink;
    m_PushContext = context;
}

void MarketWriter::SetFramesSink(PushFramesSink sink, void* context) {
    m_FramesSink = sink;
    m_FramesContext = context;
}

void MarketWriter::SetWorkingTest(WorkingTest test, void* context) {
    m_WorkingTest = test;
    m_WorkingContext = context;
}

bool MarketWriter::IsDriverWorking() const {
    return m_WorkingTest != nullptr && m_WorkingTest(m_WorkingContext);
}

bool MarketWriter::UpdateSnapshot(const Snapshot& record) { return UpdateSnapshots(&record, 1) > 0; }

uint32_t MarketWriter::UpdateSnapshots(const Snapshot* records, uint32_t n) {
    if (records == nullptr) return 0;
    uint32_t changed = 0;
    while (n > 0) {
        const uint32_t run = n < kSnapshotRun ? n : kSnapshotRun;
        changed += UpdateSnapshotRun(records, run);
        records += run;
        n -= run;
    }
    return changed;
}

uint32_t MarketWriter::UpdateSnapshotRun(const Snapshot* records, uint32_t n) {
    if (m_SnapshotClock != nullptr) m_SnapshotClock->Start();
    const uint32_t index_count = m_Codes.IndexCount();
    uint16_t places[kSnapshotRun];
    int8_t results[kSnapshotRun];
    m_Codes.FindCodes(records[0].code, sizeof(Snapshot), n, places);
    const uint32_t changed = m_Snapshots.UpdateAtPlaces(records, places, n, index_count, results);
    if (changed == 0 || !IsDriverWorking()) return changed;
    if (changed == n) {
        PushRecords(kSnapshotFrame, records, sizeof(Snapshot), n);
        return changed;
    }
    Snapshot pushed[kSnapshotRun];
    uint32_t k = 0;
    for (uint32_t i = 0; i < n; ++i) {
        if (results[i] > 0) pushed[k++] = records[i];
    }
    PushRecords(kSnapshotFrame, pushed, sizeof(Snapshot), k);
    return changed;
}

void MarketWriter::PushRecords(uint8_t type, const void* records, uint32_t record_size, uint32_t n) {
    if (m_FramesSink != nullptr) {
        m_FramesSink(m_FramesContext, type, records, record_size, n);
        return;
    }
    const uint8_t* record = static_cast<const uint8_t*>(records);
    for (uint32_t i = 0; i < n; ++i, record += record_size) Push(type, record, record_size);
}

bool MarketWriter::UpdateStatus(const ProductStatus& record) {
    const uint32_t index_count = m_Codes.IndexCount();
    if (StoreAtPlace(m_Statuses, record, m_Codes.FindCode(record.code), index_count) <= 0) return false;
    if (IsDriverWorking()) Push(kStatusFrame, &record, sizeof record);
    return true;
}

int32_t MarketWriter::Push(uint8_t type, const void* data, uint32_t length) {
    if ((data == nullptr && length > 0) || length > kMaxPushData) return ERR_BAD_ARGUMENT;
    if (m_PushSink == nullptr) return 0;
    uint8_t frame[kMaxPushData + 1];
    frame[0] = type;
    if (length > 0) memcpy(frame + 1, data, length);
    return m_PushSink(m_PushContext, frame, length + 1);
}

}  // namespace zephyr
