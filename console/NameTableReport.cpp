// "print nametable n m".
#include <cstring>

#include "console/ConsoleReports.h"
#include "console/ConsoleServices.h"
#include "console/ConsoleWriter.h"
#include "console/InstrumentCode.h"
#include "console/ReportText.h"
#include "foundation/MClock.h"
#include "foundation/MText.h"
#include "market/CodeTable.h"
#include "market/Market.h"

namespace zephyr {

namespace {

constexpr uint32_t kBlockLines = 64;
constexpr size_t kBlockBuffer = 8000;
constexpr uint32_t kBlockWaitMs = 100;

// One line of the table (82 bytes for every entry: the fields never exceed their columns).
void AppendLine(char* text, size_t size, const CodeEntry& entry, Market& market) {
    char code[sizeof entry.code + 1];
    char short_name[sizeof entry.short_name + 1];
    char full_name[sizeof entry.full_name + 1];
    char category[sizeof(CategoryInfo::name) + 1] = {};
    FieldText(entry.code, sizeof entry.code, code);
    FieldText(entry.short_name, sizeof entry.short_name, short_name);
    FieldText(entry.full_name, sizeof entry.full_name, full_name);
    char raw[sizeof(CategoryInfo::name)];
    if (market.GetCategoryName(entry.category, raw) == 1) FieldText(raw, sizeof raw, category);

    AppendFormat(text, size, "%-10d%-10s%-20s%-30s%-10s\r\n", static_cast<int>(entry.serial),
                  code, short_name, full_name, category);
}

}  // namespace

void PrintNameTable(ConsoleServices& services, ConsoleWriter& writer, uint16_t start, uint16_t lines) {
    CodeTable& codes = services.Codes();
    Market& market = services.GetMarket();
    const uint32_t count = codes.Count();
    uint32_t total = 0;
    if (start < count) total = lines < count - start ? lines : count - start;

    writer.OutputFormat("%-10s%-10s%-20s%-30s%-10s\r\n", "商品序号", "商品代码", "商品简称", "商品全称", "商品类别");
    writer.Output("------------------------------------------------------------\r\n");

    const uint32_t blocks = (total + kBlockLines - 1) / kBlockLines;
    CodeEntry entries[kBlockLines];
    for (uint32_t block = 0; block < blocks; ++block) {
        const uint32_t first = start + block * kBlockLines;
        const uint32_t wanted = total - block * kBlockLines < kBlockLines ? total - block * kBlockLines : kBlockLines;
        // The table may have shrunk since it was counted (a re-initialisation): print what is left.
        const uint32_t copied = codes.CopyRange(entries, first, wanted);
        char text[kBlockBuffer] = {};
        for (uint32_t i = 0; i < copied; ++i) AppendLine(text, sizeof text, entries[i], market);
        const bool last = block + 1 == blocks || copied < wanted;
        if (last) {
            writer.Reply(text);
        } else {
            writer.Output(text);
        }
        MClock::SleepMs(kBlockWaitMs);
        if (last) break;
    }
    writer.Reply("\n");
}

}  // namespace zephyr
