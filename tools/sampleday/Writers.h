// One builder per file of the sample day. Each returns the file's exact bytes; SampleDay.h writes
// them into place.
#pragma once
#include <cstdint>
#include <string>

#include "tools/sampleday/Day.h"

namespace zephyr::sampleday {

// Market data file: the header line, one share line per share ("MD401", 15 fields of fixed
// width), then "TRAILER". Widths of the share line fields after the record type:
inline constexpr size_t kShareFieldCount = 15;
inline constexpr size_t kCodeWidth = 5;
inline constexpr size_t kNameBytes = 32;        // UTF-16LE, 0x0000-padded; not searched for '|'
inline constexpr size_t kEnglishWidth = 16;
inline constexpr size_t kVolumeWidth = 16;
inline constexpr size_t kAmountWidth = 18;
inline constexpr size_t kPriceWidth = 11;
inline constexpr size_t kBookVolumeWidth = 12;
// Bytes of one share line, line end included.
inline constexpr size_t kShareLineBytes = 5 + 1 + kCodeWidth + 1 + kNameBytes + 1 + kEnglishWidth +
                                          1 + kVolumeWidth + 1 + kAmountWidth + 7 * (1 + kPriceWidth) +
                                          2 * (1 + kBookVolumeWidth) + 1;

// False when a name does not convert to UTF-16LE.
bool MarketDataText(const Day& day, uint32_t hhmmss, std::string& out, std::string& error);
// Fixed-width share line of one share (without the line end).
bool ShareLine(const Share& share, const Quote& q, std::string& out, std::string& error);

// Reference data file: "R0401" lines of 19 fields per share (also shares not trading today) and
// one "R0402" reference rate line, between a header and "TRAILER".
std::string ReferenceDataText(const Day& day, uint32_t hhmmss);
// Trading-session and quota status file: header with the market state, "MD402" quota line,
// "MD403" line per instrument, "TRAILER".
std::string SessionStatusText(const Day& day, uint32_t hhmmss);
// Exchange-rate file: "R0402" buying, selling and middle rate.
std::string RateText(const Day& day, uint32_t hhmmss);
// Price-spread file: one "R0403" line per spread class, then "TRAILER" (no header: every line
// longer than nine bytes must be a spread line).
std::string SpreadText(const Day& day);
// Binary trading-hours file of 6160 bytes with the four HHMM values at offsets 4122..4129.
std::string TradingHoursFile(const TradingHours& hours);
// Holiday file: one [zephyr.YYYY] section per year, keys "01".."12" with day lists.
std::string HolidayText(const Day& day);
// Index configuration: a header naming the six columns, then one '='-separated line per index.
std::string IndexConfigText(const Day& day);
// Short-name DBF (dBASE III): fields S1, S2, S26, INDEXCODE, NRRATE; one row per listed share.
std::string ShortNameDbf(const Day& day);
// Tab-separated manifest of the shares at a time, in the driver's units (see ManifestWriter.cpp).
bool ManifestText(const Day& day, uint32_t hhmmss, std::string& out, std::string& error);
// A driver ini naming the two files that have no default name, with the index source enabled.
std::string DriverIniText();

}  // namespace zephyr::sampleday
