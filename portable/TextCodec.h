// Text conversion between the encodings the programs around the driver meet: GBK (the driver's
// texts, code page 936), UTF-8 (terminals, JSON, sources) and UTF-16LE (product names in the
// market-data file). One body per system: iconv on POSIX, code pages on Windows.
// Any thread may call these; they keep no state.
#pragma once
#include <string>

namespace zephyr::portable {

enum class Encoding { kGbk, kUtf8, kUtf16le };

// Converts `in` from `from` to `to`. False when the text holds a sequence that is not valid in
// `from` or has no equivalent in `to`; `out` is then unspecified.
bool ConvertText(Encoding to, Encoding from, const std::string& in, std::string* out);

// GBK to UTF-8 for showing: every byte that does not start a valid GBK character becomes '?'.
std::string GbkToUtf8Shown(const std::string& gbk);

// UTF-8 to GBK for typed words: every character GBK lacks (or invalid UTF-8) becomes one '?'.
std::string Utf8ToGbkTyped(const std::string& utf8);

}  // namespace zephyr::portable
