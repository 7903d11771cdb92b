#include "tools/sampleday/Format.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

// Fields: 1 type, 2 class code, 3 lowest lower limit, 4 highest upper limit, 5 currency,
// 6 level count, then per level: lower bound, spread, upper bound.
std::string SpreadText(const Day&) {
    std::string out;
    for (const SpreadClass& c : SpreadClasses()) {
        out += "R0403|" + std::string(c.code) + "|" + Thousandths(c.lowest) + "|" +
               Thousandths(c.highest) + "|HKD|" + Number(c.levels.size());
        for (const SpreadLevel& l : c.levels)
            out += "|" + Thousandths(l.lower) + "|" + Thousandths(l.spread) + "|" + Thousandths(l.upper);
        out += "\n";
    }
    return out + kTrailerLine;
}

}  // namespace zephyr::sampleday
