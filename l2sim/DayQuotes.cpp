#include "l2sim/DayQuotes.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <unordered_set>

namespace zephyr::l2sim {

namespace {

constexpr size_t kNameBytes = 32;

uint32_t Price(const std::string& text) {
    const double value = atof(text.c_str());
    return value <= 0 ? 0 : static_cast<uint32_t>((value + 0.0005) * 1000);
}

uint64_t Count(const std::string& text) { return strtoull(text.c_str(), nullptr, 10); }

// Splits from `from` on '|' (the last field runs to the end).
std::vector<std::string> Fields(const std::string& line, size_t from) {
    std::vector<std::string> fields;
    while (from <= line.size()) {
        const size_t bar = line.find('|', from);
        if (bar == std::string::npos) {
            if (from < line.size()) fields.push_back(line.substr(from));
            break;
        }
        fields.push_back(line.substr(from, bar - from));
        from = bar + 1;
    }
    return fields;
}

}  // namespace

bool DayQuotes::Read(const std::string& path, DayQuotes* out) {
    *out = DayQuotes();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out->ParseLine(line);
    }
    std::unordered_set<std::string> seen;
    std::vector<DayQuote> unique;
    for (const DayQuote& quote : out->quotes) {
        if (seen.insert(quote.code).second) unique.push_back(quote);
    }
    out->quotes.swap(unique);
    return true;
}

void DayQuotes::ParseLine(const std::string& line) {
    if (line.size() < 5) return;
    const std::string type = line.substr(1, 4);
    if (type == "EADE") {
        const std::vector<std::string> f = Fields(line, 0);
        if (f.size() <= 6) return;
        const std::string& stamp = f[6];
        const size_t dash = stamp.find('-');
        if (dash == std::string::npos || stamp.size() < dash + 9) return;
        date = static_cast<uint32_t>(strtoul(stamp.substr(0, dash).c_str(), nullptr, 10));
        time = static_cast<uint32_t>(atol(stamp.substr(dash + 1, 2).c_str()) * 10000 +
                                     atol(stamp.substr(dash + 4, 2).c_str()) * 100 +
                                     atol(stamp.substr(dash + 7, 2).c_str()));
        return;
    }
    if (type != "D401") return;
    const size_t code_start = line.find('|');
    if (code_start == std::string::npos) return;
    const size_t code_end = line.find('|', code_start + 1);
    if (code_end == std::string::npos || code_end - code_start - 1 < 5) return;
    DayQuote quote;
    memcpy(quote.code, line.data() + code_start + 1, 5);
    if (atol(quote.code) < 1) return;
    // The name is exactly 32 bytes and may hold '|'; fields 3 onward follow its separator.
    const size_t after_name = code_end + 1 + kNameBytes + 1;
    if (after_name <= line.size()) {
        const std::vector<std::string> f = Fields(line, after_name);  // f[0] is field 3
        auto field = [&f](size_t n) -> std::string { return n - 3 < f.size() ? f[n - 3] : ""; };
        quote.volume = Count(field(4));
        quote.amount = atof(field(5).c_str());
        quote.previous_close = Price(field(6));
        quote.high = Price(field(8));
        quote.low = Price(field(9));
        quote.last = Price(field(10));
        quote.bid = Price(field(11));
        quote.bid_volume = Count(field(12));
        quote.ask = Price(field(13));
        quote.ask_volume = Count(field(14));
    }
    if (quote.last == 0) quote.last = quote.previous_close;
    quote.open = quote.previous_close != 0 ? quote.previous_close : quote.last;
    quotes.push_back(quote);
}

}  // namespace zephyr::l2sim
