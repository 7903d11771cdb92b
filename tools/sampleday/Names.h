// Drawing realistic product names: GBK Chinese names of at most 16 bytes (8 characters) with an
// English second name of at most 16 characters, and GBK short names cut on character bounds.
#pragma once
#include <string>

#include "tools/sampleday/Random.h"

namespace zephyr::sampleday {

// An ordinary share's name, e.g. a place or brand, an industry, a corporate suffix and a tag.
void DrawShareName(SplitMix64& r, std::string& gbk, std::string& english);
// An exchange-traded fund's name, ending in "ETF".
void DrawFundName(SplitMix64& r, std::string& gbk, std::string& english);
// The name of a second counter of a share ("-R" appended, cut to fit).
void CounterName(const std::string& gbk, const std::string& english, const char* tag,
                 std::string& counterGbk, std::string& counterEnglish);

// The longest prefix of a GBK text that has at most maxBytes bytes and ends on a character bound.
std::string GbkPrefix(const std::string& gbk, size_t maxBytes);

}  // namespace zephyr::sampleday
