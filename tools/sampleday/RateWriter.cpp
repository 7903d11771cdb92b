#include "tools/sampleday/Format.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

std::string RateText(const Day& day, uint32_t hhmmss) {
    const std::string body = "R0402|" + HundredThousandths(day.buyRate) + "|" +
                             HundredThousandths(day.sellRate) + "|" + HundredThousandths(day.midRate) +
                             "|HKD|CNY\n";
    return HeaderLine("EXRA04", day.date, hhmmss, 1, body.size(), MarketState(day, hhmmss)) + body +
           kTrailerLine;
}

}  // namespace zephyr::sampleday
