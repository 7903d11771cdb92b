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

void MarketWriter::SetWorkingTest(WorkingTest test, void* context) {
    m_WorkingTest = test;
    m_WorkingContext = context;
}

bool MarketWriter::IsDriverWorking() const {
    return m_WorkingTest != nullptr && m_WorkingTest(m_WorkingContext);
}

bool MarketWriter::UpdateSnapshot(const Snapshot& record) {
    if (m_SnapshotClock != nullptr) m_SnapshotClock->Start();
    const uint32_t index_count = m_Codes.IndexCount();
    if (StoreAtPlace(m_Snapshots, record, m_Codes.FindCode(record.code), index_count) <= 0) return false;
    if (IsDriverWorking()) Push(kSnapshotFrame, &record, sizeof record);
    return true;
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
