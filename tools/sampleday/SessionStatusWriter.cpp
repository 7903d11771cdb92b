#include "tools/sampleday/Format.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

// The header comes first: its market state is part of the quota record the driver compares.
std::string SessionStatusText(const Day& day, uint32_t hhmmss) {
    std::string body = "MD402|" + Number(day.dailyQuota) + "|" + Number(RemainingQuota(day, hhmmss)) +
                       "|Y\n";
    for (const Share& s : day.shares)
        body += "MD403|" + s.code + "|" + BoardLotState(day, s, hhmmss) + "|" +
                OddLotState(day, s, hhmmss) + "\n";
    // Instruments that are not trading today stand in the file too; the driver skips them.
    for (const Share& s : day.referenceOnly)
        body += "MD403|" + s.code + "|SUSP    |SUSP    \n";
    const size_t records = 1 + day.shares.size() + day.referenceOnly.size();
    return HeaderLine("TRDSES04", day.date, hhmmss, records, body.size(), MarketState(day, hhmmss)) +
           body + kTrailerLine;
}

}  // namespace zephyr::sampleday
