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
    : codes_(codes), snapshots_(snapshots), statuses_(statuses) {}

void MarketWriter::SetPushSink(PushSink sink, void* context) {
    push_sink_ = sink;
    push_context_ = context;
}

void MarketWriter::SetWorkingTest(WorkingTest test, void* context) {
    working_test_ = test;
    working_context_ = context;
}

bool MarketWriter::IsDriverWorking() const {
    return working_test_ != nullptr && working_test_(working_context_);
}

bool MarketWriter::UpdateSnapshot(const Snapshot& record) {
    if (snapshot_clock_ != nullptr) snapshot_clock_->Start();
    const uint32_t index_count = codes_.IndexCount();
    if (StoreAtPlace(snapshots_, record, codes_.FindCode(record.code), index_count) <= 0) return false;
    if (IsDriverWorking()) Push(kSnapshotFrame, &record, sizeof record);
    return true;
}

bool MarketWriter::UpdateStatus(const ProductStatus& record) {
    const uint32_t index_count = codes_.IndexCount();
    if (StoreAtPlace(statuses_, record, codes_.FindCode(record.code), index_count) <= 0) return false;
    if (IsDriverWorking()) Push(kStatusFrame, &record, sizeof record);
    return true;
}

int32_t MarketWriter::Push(uint8_t type, const void* data, uint32_t length) {
    if ((data == nullptr && length > 0) || length > kMaxPushData) return ERR_BAD_ARGUMENT;
    if (push_sink_ == nullptr) return 0;
    uint8_t frame[kMaxPushData + 1];
    frame[0] = type;
    if (length > 0) memcpy(frame + 1, data, length);
    return push_sink_(push_context_, frame, length + 1);
}

}  // namespace zephyr
