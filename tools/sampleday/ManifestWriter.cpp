#include "tools/sampleday/Format.h"
#include "tools/sampleday/Text.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

// One header comment line, one line of column names, then one line per share in file order.
// Prices are thousandths (the driver's units), volumes shares, turnover the decimal text of the
// market data file. short_name_gbk_hex is empty for shares the short-name file leaves out.
bool ManifestText(const Day& day, uint32_t hhmmss, std::string& out, std::string& error) {
    out = "# zephyr-sampleday date=" + Number(day.date) + " seed=" + Number(day.seed) +
          " time=" + Number(hhmmss) + " shares=" + Number(day.shares.size()) + "\n";
    out += "code\tname_gbk_hex\tname_utf8\tenglish\tcurrency\tlot\tspread_class\tshort_name_gbk_hex"
           "\tprev_close\tnominal\tlast\thigh\tlow\tvolume\tturnover\tbid\tbid_volume\task"
           "\task_volume\n";
    for (const Share& s : day.shares) {
        std::string utf8;
        if (!GbkToUtf8(s.nameGbk, utf8)) {
            error = "name of " + s.code + " does not convert to UTF-8";
            return false;
        }
        const Quote q = QuoteAt(day, s, hhmmss);
        out += s.code + "\t" + Hex(s.nameGbk) + "\t" + utf8 + "\t" + s.english + "\t" + s.currency +
               "\t" + Number(s.lot) + "\t" + Number(uint64_t(s.spreadClass)) + "\t" + Hex(s.shortGbk) +
               "\t" + Number(q.prevClose) + "\t" + Number(q.nominal) + "\t" + Number(q.last) + "\t" +
               Number(q.high) + "\t" + Number(q.low) + "\t" + Number(q.volume) + "\t" +
               Thousandths(q.amountMilli) + "\t" + Number(q.bid) + "\t" + Number(q.bidVolume) + "\t" +
               Number(q.ask) + "\t" + Number(q.askVolume) + "\n";
    }
    return true;
}

}  // namespace zephyr::sampleday
