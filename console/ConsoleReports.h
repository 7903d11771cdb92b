// The reports behind "print" and "show". Each copies what it needs out of the tables through
// their own operations (which take the table locks), formats from the copies and writes through
// the console's callbacks; none holds a lock while it formats or writes.
#pragma once
#include <cstdint>

namespace zephyr {

class ConsoleServices;
class ConsoleWriter;

// Category n when 0 <= n < the market's category count, else the market report (with the
// trading periods and the market digest).
void PrintMarketInfo(ConsoleServices& services, ConsoleWriter& writer, int32_t category);
// The three price-spread sections, at most 52 levels each, as one text.
void PrintPriceTable(ConsoleServices& services, ConsoleWriter& writer);
// Header and dash line (output callback), then min(m, count - n) code entries from position n in
// blocks of 64 lines (output callback, the last block through the reply callback), 100 ms after
// each block, then "\n" (reply).
void PrintNameTable(ConsoleServices& services, ConsoleWriter& writer, uint16_t start, uint16_t lines);
// The snapshot (or index quote) of a typed code. 1 printed; -1 invalid code; -2 not in the code
// table; -3 no quote found.
int32_t PrintInstrument(ConsoleServices& services, ConsoleWriter& writer, const char* code);

void ShowStat(ConsoleWriter& writer);
void ShowConfig(ConsoleServices& services, ConsoleWriter& writer);

}  // namespace zephyr
