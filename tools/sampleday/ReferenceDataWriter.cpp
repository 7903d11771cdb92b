#include "tools/sampleday/Format.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {
namespace {

// Fields: 0 type, 1 code, 2 ISIN, 3 name (GBK), 4 English name, 5 security type, 6 board,
// 7 status, 8 listing date, 9 currency, 10 par value, 11 reserved, 12 short-sell flag,
// 13 auction flag, 14 board lot, 15 spread class, 16 previous close, 17 reserved,
// 18 link eligibility.
std::string ReferenceLine(const Share& s) {
    const bool fund = s.spreadClass == 2;
    return "R0401|" + s.code + "|" + s.isin + "|" + s.nameGbk + "|" + s.english + "|" +
           (fund ? "ETF " : "EQTY") + "|MAIN|" + (s.suspended ? "S" : "N") + "|" +
           Number(s.listingDate) + "|" + s.currency + "|" + (fund ? "0.000" : "0.100") + "|0|" +
           (s.shortSell ? "Y" : "N") + "|" + (fund ? "N" : "Y") + "|" + Number(s.lot) + "|" +
           Number(uint64_t(s.spreadClass)) + "|" + Thousandths(s.prevClose) + "|0.000|" + s.connect +
           "\n";
}

}  // namespace

std::string ReferenceDataText(const Day& day, uint32_t hhmmss) {
    std::string body;
    for (const Share& s : day.shares) body += ReferenceLine(s);
    for (const Share& s : day.referenceOnly) body += ReferenceLine(s);
    body += "R0402|" + HundredThousandths(day.midRate) + "|HKD|CNY\n";
    const size_t records = day.shares.size() + day.referenceOnly.size() + 1;
    return HeaderLine("REFF04", day.date, hhmmss, records, body.size(), MarketState(day, hhmmss)) +
           body + kTrailerLine;
}

}  // namespace zephyr::sampleday
