// Small exchange files for the loader tests.
#pragma once
#include <cstdint>
#include <string>

namespace zephyr::testing {

// The 32-byte UTF-16LE name field of a market data share line (zero-padded, cut at 32 bytes).
inline std::string NameField(const std::u16string& name) {
    std::string bytes;
    for (char16_t c : name) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    bytes.resize(32, '\0');
    return bytes;
}

// Market data header; stamp is field 6 ("20141208-10:00:00").
inline std::string MdHeader(const std::string& stamp) {
    return "HEADER|MKTDT04|V1.0|0000123|0000000002|0000000000|" + stamp + "|0|T1      \n";
}

struct Quote {
    std::string volume = "1000", amount = "12345.50", prev = "10.000", nominal = "10.100", high = "10.200",
                low = "9.900", last = "10.050", bid = "10.000", bid_volume = "500", ask = "10.100",
                ask_volume = "600";
};

// A share line with all 15 fields (and a line end).
inline std::string MdShare(const std::string& code, const std::u16string& name, const std::string& english,
                           const Quote& q = Quote()) {
    return "MD401|" + code + "|" + NameField(name) + "|" + english + "|" + q.volume + "|" + q.amount + "|" + q.prev +
           "|" + q.nominal + "|" + q.high + "|" + q.low + "|" + q.last + "|" + q.bid + "|" + q.bid_volume + "|" +
           q.ask + "|" + q.ask_volume + "\n";
}

inline const std::string kTrailer = "TRAILER\n";

}  // namespace zephyr::testing
