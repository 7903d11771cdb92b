#include "console/ConsoleActions.h"

#include <cstring>

#include "console/ConsoleServices.h"
#include "console/ConsoleWriter.h"
#include "console/InstrumentCode.h"
#include "foundation/MClock.h"
#include "market/CodeTable.h"
#include "market/IndexTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {

constexpr uint8_t kSnapshotFrame = 1;
constexpr uint8_t kIndexFrame = 4;
constexpr uint32_t kBatch = 100;
constexpr uint32_t kTableWaitMs = 200;
constexpr uint16_t kAbsent = 0xFFFF;

// Pushes the whole table in entries of up to kBatch records; waits after a non-empty table.
template <class Table, class Record>
void PushTable(ConsoleServices& services, Table& table, uint8_t type) {
    const uint32_t count = table.Count();
    if (count == 0) return;
    Record batch[kBatch];
    for (uint32_t start = 0; start < count; start += kBatch) {
        const uint32_t copied = table.CopyRange(batch, start, kBatch);
        if (copied == 0) break;
        services.Push(type, batch, copied * sizeof(Record));
    }
    MClock::SleepMs(kTableWaitMs);
}

}  // namespace

void PushTables(ConsoleServices& services, ConsoleWriter& writer, uint32_t kinds) {
    if ((kinds & kPushIndexes) != 0) PushTable<IndexTable, IndexEntry>(services, services.Indexes(), kIndexFrame);
    if ((kinds & kPushStocks) != 0) PushTable<SnapshotTable, Snapshot>(services, services.Snapshots(), kSnapshotFrame);
    services.FlushPushes();
    writer.Reply("执行推送完毕。");
}

int32_t PushInstrument(ConsoleServices& services, ConsoleWriter& writer, const char* code) {
    if (CheckInstrumentCode(code) < 0) {
        writer.Reply("无效的股票代码。");
        return -1;
    }
    char field[kCodeSize];
    CodeField(code, field);
    if (services.Codes().FindCode(field) == kAbsent) {
        writer.Reply("找不到该股票信息");
        return -1;
    }
    bool found = false;
    if (IsIndexPushCode(code)) {
        IndexTable& indexes = services.Indexes();
        const uint16_t at = indexes.FindCode(field);
        IndexEntry entry;
        found = at != kAbsent && indexes.Get(&entry, at) && memcmp(entry.code, field, kCodeSize) == 0;
        if (found) services.Push(kIndexFrame, &entry, sizeof entry);
    } else {
        Snapshot quote;
        found = services.Snapshots().GetByCode(&quote, field);
        if (found) services.Push(kSnapshotFrame, &quote, sizeof quote);
    }
    int32_t result = 1;
    if (found) {
        services.FlushPushes();
        writer.Reply("执行推送完毕。");
    } else {
        // The same text whether an index or a share has no record.
        writer.Output("未找到该指数的数据。\n");
        result = -2;
    }
    writer.Reply("\n");
    return result;
}

void Reinstance(ConsoleServices& services, ConsoleWriter& writer) {
    services.ForceReinitialise();
    writer.Reply("执行重新初始化命令完毕。");
}

void UpdateAllCloses(ConsoleServices& services, ConsoleWriter& writer) {
    services.CorrectClosePrices();
    writer.Reply("调整全市场昨收价完毕");
}

int32_t UpdateClose(ConsoleServices& services, ConsoleWriter& writer, const char* code, const char* price) {
    // A price that is not above 0 (no digits, or a sign) would store a nonsense close.
    const int32_t value = ReadNumber(price);
    if (value <= 0) {
        writer.Reply("昨收价错误\n");
        return -1;
    }
    if (CheckInstrumentCode(code) < 0) {
        writer.Reply("无效的股票代码\n");
        return -2;
    }
    CodeTable& codes = services.Codes();
    const uint16_t position = codes.FindNumber(ReadNumber(code));
    // An index has no snapshot whose close could be set: say so rather than report success.
    if (position == kAbsent ||
        services.Snapshots().SetPreviousClose(position, static_cast<uint32_t>(value), codes.IndexCount()) <= 0) {
        writer.Reply("未找到该股票信息\n");
        return -3;
    }
    writer.ReplyFormat("调整%s昨收价完毕", code);
    return 1;
}

}  // namespace zephyr
