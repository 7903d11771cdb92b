// The sample trading-day generator as a library: writes a complete day of exchange and driver
// files into a folder (see Layout.h for the names), and writes the market data file again for a
// later time of the same day. The same options always give the same bytes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::sampleday {

// Most shares a day can have: the five-digit code space holds them, and with the indexes they
// stay below the 65,535 records a table position can address.
inline constexpr uint32_t kMaxShares = 60000;

struct Options {
    uint32_t date = 0;        // YYYYMMDD
    uint64_t seed = 1;
    uint32_t shares = 2600;   // 1..kMaxShares
    uint32_t time = 100000;   // HHMMSS of the market data, status and header lines
    bool driverIni = false;   // also write Zephyr.ini naming the market data and status files
};

// Checks the options; false with a message when one is out of range.
bool CheckOptions(const Options& options, std::string& error);

// Writes every file of the day into dir (created when missing). The paths written, relative to
// dir, are appended to `written` when given.
bool WriteSampleDay(const Options& options, const std::string& dir, std::string& error,
                    std::vector<std::string>* written = nullptr);

// Writes the market data file and the manifest again for `hhmmss`, a later time of the same day:
// the shares that traded since then show their new quotes, the others keep their lines. Refused
// when dir holds no market data file written with the same options, or one whose time is not
// earlier.
bool RefreshMarketData(const Options& options, const std::string& dir, uint32_t hhmmss,
                       std::string& error);

// Date and time (HHMMSS) in the header of a market data file's text; false when there is none.
bool MarketDataStamp(const std::string& text, uint32_t& date, uint32_t& hhmmss);

}  // namespace zephyr::sampleday
