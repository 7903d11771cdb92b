// What the host's console adds around the driver's own answers, so that an operator finds every
// command: the driver's help lists seven of its commands, and "print", "show" and "l2cmd" typed
// alone it only refuses. The driver's bytes are never changed; only the host's display is.
//
// Plain functions of the operator's words (UTF-8, as typed); any thread.
#pragma once
#include <string>
#include <vector>

namespace zephyr::hostkit {

// Lines shown before the words go to the driver: for "print", "show" or "l2cmd" typed alone
// (letter case aside), what may follow them; none for anything else.
std::vector<std::string> GuideBefore(const std::vector<std::string>& words);
// Lines shown after the driver answered: after "help" alone, the commands its list leaves out
// (l2help, l2cmd) and the host's own quit; none for anything else.
std::vector<std::string> GuideAfter(const std::vector<std::string>& words);
// Whether the words ask for the price tables ("print pricetbl", letter case aside).
bool AsksPriceTables(const std::vector<std::string>& words);
// The driver's price-table report (UTF-8) as the host shows it: each table from a line of its
// own, where the driver runs them together.
std::string PriceTablesOnLines(const std::string& report);

}  // namespace zephyr::hostkit
