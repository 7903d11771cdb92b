// The operator's actions: pushing snapshots to the host, the forced re-initialisation and the
// previous-close adjustments. Failed actions print one line and change nothing.
#pragma once
#include <cstdint>

namespace zephyr {

class ConsoleServices;
class ConsoleWriter;

enum PushKind : uint32_t { kPushIndexes = 1, kPushStocks = 2, kPushBoth = 3 };

// Index records (type 4) and/or snapshots (type 1), 100 records per entry, 200 ms after each
// non-empty table; then a flush and "执行推送完毕。".
void PushTables(ConsoleServices& services, ConsoleWriter& writer, uint32_t kinds);
// One instrument: its index record or its snapshot, then a flush. 1 pushed; -1 invalid or
// unknown code; -2 no record to push.
int32_t PushInstrument(ConsoleServices& services, ConsoleWriter& writer, const char* code);
// Forced re-initialisation, then "执行重新初始化命令完毕。".
void Reinstance(ConsoleServices& services, ConsoleWriter& writer);
// The whole market's previous close from the current price, then "调整全市场昨收价完毕".
void UpdateAllCloses(ConsoleServices& services, ConsoleWriter& writer);
// One share's previous close: 1; -1 price not above 0; -2 invalid code; -3 unknown code or no
// snapshot for it. Nothing is pushed.
int32_t UpdateClose(ConsoleServices& services, ConsoleWriter& writer, const char* code, const char* price);

}  // namespace zephyr
