// "print data code".
#include <cinttypes>
#include <cstring>

#include "console/ConsoleReports.h"
#include "console/ConsoleServices.h"
#include "console/ConsoleWriter.h"
#include "console/InstrumentCode.h"
#include "console/ReportText.h"
#include "foundation/MText.h"
#include "market/CodeTable.h"
#include "market/IndexTable.h"
#include "market/ProductStatusTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {

namespace {

constexpr size_t kReportBuffer = 4096;
constexpr uint16_t kAbsent = 0xFFFF;

// The index quote of the code: the index table's entry at the code's position when it holds the
// code there, else the first entry with the code.
bool ReadIndex(IndexTable& indexes, uint16_t position, const char* code, IndexEntry* out) {
    if (indexes.Get(out, position) && memcmp(out->code, code, kCodeSize) == 0) return true;
    const uint16_t at = indexes.FindCode(code);
    return at != kAbsent && indexes.Get(out, at) && memcmp(out->code, code, kCodeSize) == 0;
}

// The snapshot of the code: at its place beside the code table, else the first with the code.
bool ReadSnapshot(SnapshotTable& snapshots, uint16_t position, uint32_t index_count, const char* code,
                  Snapshot* out) {
    if (snapshots.GetBySerial(out, position, index_count) && memcmp(out->code, code, kCodeSize) == 0) {
        return true;
    }
    return snapshots.GetByCode(out, code);
}

void AppendNameLine(char* text, size_t size, const char* typed, const char* name) {
    AppendFormat(text, size, "%-9s%-31s%-9s%-30s\n", "商品代码:", typed, "商品名称:", name);
}

void AppendPriceLine(char* text, size_t size, uint32_t last, uint32_t open, uint32_t high, uint32_t low) {
    AppendFormat(text, size, "%-7s%-13u%-7s%-13u%-7s%-13u%-7s%-12u\n", "最新:", static_cast<unsigned>(last),
                 "今开:", static_cast<unsigned>(open), "最高:", static_cast<unsigned>(high), "最低:",
                 static_cast<unsigned>(low));
}

void PrintIndex(ConsoleWriter& writer, const char* typed, const char* name, const IndexEntry& entry) {
    char text[kReportBuffer] = {};
    AppendNameLine(text, sizeof text, typed, name);
    AppendPriceLine(text, sizeof text, entry.last, entry.open, entry.high, entry.low);
    AppendFormat(text, sizeof text, "%-7s%-13u\n", "昨收:", static_cast<unsigned>(entry.previous_close));
    AppendFormat(text, sizeof text, "%-10s%-30f%-10s%-29" PRIu64 "\n", "成交金额:", entry.amount, "成交总量:",
                 entry.volume);
    writer.Reply(text);
}

void PrintStock(ConsoleWriter& writer, const char* typed, const char* name, const Snapshot& quote,
                const ProductStatus& status) {
    char status_code[sizeof status.code + 1];
    char board_lot[sizeof status.board_lot_status + 1];
    char odd_lot[sizeof status.odd_lot_status + 1];
    FieldText(status.code, sizeof status.code, status_code);
    FieldText(status.board_lot_status, sizeof status.board_lot_status, board_lot);
    FieldText(status.odd_lot_status, sizeof status.odd_lot_status, odd_lot);

    char text[kReportBuffer] = {};
    AppendNameLine(text, sizeof text, typed, name);
    AppendFormat(text, sizeof text, "(%s) 整股交易状态1:%s\t\t零股交易状态2:%s\n", status_code, board_lot, odd_lot);
    AppendPriceLine(text, sizeof text, quote.last, quote.open, quote.high, quote.low);
    AppendFormat(text, sizeof text, "%-7s%-13u%-10s%-30f%-10s%-29" PRIu64 "\n", "Voip:",
                 static_cast<unsigned>(quote.voip), "成交金额:", quote.amount, "成交总量:", quote.volume);
    AppendFormat(text, sizeof text, "%-7s%-13u%-7s%-13u%-7s%-13u\n", "昨收:",
                 static_cast<unsigned>(quote.previous_close), "基买价:", static_cast<unsigned>(quote.bid_price),
                 "基卖价", static_cast<unsigned>(quote.ask_price));
    AppendFormat(text, sizeof text, "%-9s%-11" PRIu64 "%-9s%-11u%-9s%-11" PRIu64 "%-9s%-10u\n", "买一量:",
                 quote.bid_volume, "买一笔数:", static_cast<unsigned>(quote.bid_orders), "卖一量:",
                 quote.ask_volume, "卖一笔数:", static_cast<unsigned>(quote.ask_orders));
    writer.Reply(text);
}

}  // namespace

int32_t PrintInstrument(ConsoleServices& services, ConsoleWriter& writer, const char* code) {
    const int32_t checked = CheckInstrumentCode(code);
    if (checked < 0) {
        writer.Reply("无效的股票代码\n");
        return -1;
    }
    CodeTable& codes = services.Codes();
    const uint16_t position = codes.FindNumber(ReadNumber(code));
    CodeEntry entry;
    if (position == kAbsent || !codes.Get(&entry, position)) {
        writer.Reply("未找到该股票信息\n");
        return -2;
    }
    char raw_name[sizeof entry.short_name];
    char name[sizeof entry.short_name + 1];
    if (codes.GetShortName(position, raw_name) == 1) {
        FieldText(raw_name, sizeof raw_name, name);
    } else {
        MText::Copy(name, sizeof name, "未知商品");
    }

    int32_t result = 1;
    if (checked == 2) {
        IndexEntry index;
        if (ReadIndex(services.Indexes(), position, entry.code, &index)) {
            PrintIndex(writer, code, name, index);
        } else {
            writer.Reply("未找到该指数信息\n");
            result = -3;
        }
    } else {
        const uint32_t index_count = codes.IndexCount();
        Snapshot quote;
        if (ReadSnapshot(services.Snapshots(), position, index_count, entry.code, &quote)) {
            ProductStatus status;
            memset(&status, 0, sizeof status);
            if (position >= index_count) services.Statuses().Get(&status, position - index_count);
            PrintStock(writer, code, name, quote, status);
        } else {
            result = -3;
        }
    }
    writer.Reply("\n");
    return result;
}

}  // namespace zephyr
