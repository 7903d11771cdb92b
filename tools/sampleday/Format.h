// Text pieces shared by the exchange file writers: decimals from integer units, padded fields and
// the header line that opens the market data and trading-session status files.
#pragma once
#include <cstdint>
#include <string>

namespace zephyr::sampleday {

// 12340 -> "12.340": a value in thousandths as a decimal with three places.
std::string Thousandths(uint64_t value);
// 90008 -> "0.90008": a value in hundred-thousandths as a decimal with five places.
std::string HundredThousandths(uint64_t value);
// Right-aligns (numbers) or left-aligns (texts) to width with blanks; longer texts are kept whole.
std::string Right(const std::string& text, size_t width);
std::string Left(const std::string& text, size_t width);
std::string Number(uint64_t value);
// "20261210-10:00:00.000"
std::string Timestamp(uint32_t date, uint32_t hhmmss);

// The header line (record type "HEADER", so its characters 2..5 read "EADE"): fields 0 type,
// 1 version, 2 body length in bytes, 3 record count, 4 file kind, 5 sender, 6 timestamp,
// 7 end-of-day flag, 8 market trading state (eight characters). Ends with "\n".
std::string HeaderLine(const char* kind, uint32_t date, uint32_t hhmmss, size_t records,
                       size_t bodyBytes, const std::string& state);

inline constexpr char kTrailerLine[] = "TRAILER\n";

}  // namespace zephyr::sampleday
