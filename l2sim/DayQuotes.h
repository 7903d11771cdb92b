// The codes of the day and their quotes, read from the exchange's market data file: a header
// line (record type "EADE", field 6 "YYYYMMDD-HH:MM:SS...") and share lines (record type "D401":
// code, a 32-byte UTF-16LE name that may hold '|', then second name, volume, amount, previous
// close, nominal, high, low, last, bid, bid volume, ask, ask volume). Other lines are skipped.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::l2sim {

struct DayQuote {
    char code[6] = {};             // five digits and a NUL
    uint32_t previous_close = 0;   // thousandths
    uint32_t open = 0;
    uint32_t high = 0;
    uint32_t low = 0;
    uint32_t last = 0;
    uint32_t bid = 0;
    uint32_t ask = 0;
    uint64_t volume = 0;
    uint64_t bid_volume = 0;
    uint64_t ask_volume = 0;
    double amount = 0;
};

struct DayQuotes {
    uint32_t date = 0;             // YYYYMMDD of the header, 0 when none
    uint32_t time = 0;             // HHMMSS of the header, 0 when none
    std::vector<DayQuote> quotes;  // in file order; a repeated code keeps its first line

    // False when the file cannot be opened (the result is then empty).
    static bool Read(const std::string& path, DayQuotes* out);
    // One line without its line end; exposed for tests.
    void ParseLine(const std::string& line);
};

}  // namespace zephyr::l2sim
