#include <algorithm>

#include "tools/sampleday/Day.h"

namespace zephyr::sampleday {
namespace {

const SpreadLevel* LevelOf(int cls, uint32_t p) {
    const auto& levels = SpreadClasses()[size_t(cls - 1)].levels;
    for (const auto& level : levels)
        if (p < level.upper) return &level;
    return &levels.back();
}

uint32_t Clamp(int cls, uint32_t p) {
    const SpreadClass& c = SpreadClasses()[size_t(cls - 1)];
    return std::min(std::max(p, c.lowest), c.highest);
}

}  // namespace

const std::vector<SpreadClass>& SpreadClasses() {
    static const std::vector<SpreadClass> kClasses = {
        {"01", 10, 9995000,
         {{10, 1, 250}, {250, 5, 500}, {500, 10, 10000}, {10000, 20, 20000},
          {20000, 50, 100000}, {100000, 100, 200000}, {200000, 200, 500000},
          {500000, 500, 1000000}, {1000000, 1000, 2000000}, {2000000, 2000, 5000000},
          {5000000, 5000, 9995000}}},
        {"02", 10, 9998000,
         {{10, 1, 1000}, {1000, 2, 5000}, {5000, 5, 10000}, {10000, 10, 20000},
          {20000, 20, 100000}, {100000, 50, 200000}, {200000, 100, 500000},
          {500000, 200, 1000000}, {1000000, 500, 2000000}, {2000000, 1000, 5000000},
          {5000000, 2000, 9998000}}},
        {"03", 10, 9999990,
         {{10, 1, 1000}, {1000, 5, 10000}, {10000, 10, 9999990}}},
    };
    return kClasses;
}

uint32_t SnapToGrid(int cls, uint32_t p) {
    p = Clamp(cls, p);
    const SpreadLevel* level = LevelOf(cls, p);
    return level->lower + (p - level->lower) / level->spread * level->spread;
}

uint32_t TickUp(int cls, uint32_t p) { return Clamp(cls, p + LevelOf(cls, p)->spread); }

uint32_t TickDown(int cls, uint32_t p) {
    if (p <= SpreadClasses()[size_t(cls - 1)].lowest) return SpreadClasses()[size_t(cls - 1)].lowest;
    return Clamp(cls, p - LevelOf(cls, p - 1)->spread);
}

}  // namespace zephyr::sampleday
