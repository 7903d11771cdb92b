#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

std::string IndexConfigText(const Day& day) {
    std::string out = "代码=英文简称=中文简称=中文全称=指数类型=族内类型\n";
    for (const IndexDef& i : day.indexes)
        out += i.code + "=" + i.english + "=" + i.shortGbk + "=" + i.fullGbk + "=" + i.type + "=" +
               i.family + "\n";
    return out;
}

}  // namespace zephyr::sampleday
