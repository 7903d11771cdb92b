// The sample trading day: a market of shares with their reference data, the indexes, the rates,
// the price-spread classes and the trading hours, all drawn from one seed, plus the quote of every
// share at any time of the day. Everything is a pure function of (date, seed, share count), so the
// files written from it are identical on every platform and every run.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::sampleday {

// Trading hours of the day as HHMM numbers: a morning and an afternoon session.
struct TradingHours {
    uint16_t open1, close1, open2, close2;
};

// The hours that apply on a date, with the driver's default cut-over dates
// (before 20110307, before 20120305, from then on).
TradingHours HoursForDate(uint32_t date);

struct SpreadLevel {
    uint32_t lower;   // lower bound price, thousandths
    uint32_t spread;  // tick size, thousandths
    uint32_t upper;   // upper bound price, thousandths
};

// One of the exchange's three price-spread classes.
struct SpreadClass {
    const char* code;  // two characters; the second is the class number 1..3
    uint32_t lowest;   // lowest lower-limit price, thousandths
    uint32_t highest;  // highest upper-limit price, thousandths
    std::vector<SpreadLevel> levels;
};

// The three classes, class 1 first.
const std::vector<SpreadClass>& SpreadClasses();

// Price one tick above / below p in spread class cls (1..3); prices stay within the class range.
uint32_t TickUp(int cls, uint32_t p);
uint32_t TickDown(int cls, uint32_t p);
// The nearest valid price at or below p in class cls (at least the lowest price).
uint32_t SnapToGrid(int cls, uint32_t p);

struct Share {
    std::string code;       // five digits
    std::string nameGbk;    // GBK, at most 16 bytes
    std::string english;    // ASCII, at most 16 characters
    std::string shortGbk;   // GBK short name for the short-name file, at most 8 bytes; empty: not listed
    std::string isin;
    std::string currency;   // "HKD", "CNY" or "USD"
    std::string connect;    // link eligibility text, at most 8 bytes
    uint32_t lot = 0;       // board lot, shares
    int spreadClass = 1;    // 1..3
    uint32_t prevClose = 0; // thousandths
    uint32_t listingDate = 0;
    bool shortSell = false;
    bool suspended = false;
    uint32_t activity = 0;  // trades in a whole day
    int drift = 0;          // bias of the day's moves, -6..6 per cent of the draws
    int32_t indexCode = 0;  // index the share belongs to (short-name file), 0 for none
    uint32_t rate = 0;      // short-name file rate, ten-thousandths
    uint64_t stream = 0;    // seed of the share's own trade stream
};

// The quote of one share at a moment, in the driver's units: prices in thousandths,
// volumes in shares, the amount in thousandths of the currency unit.
struct Quote {
    uint32_t prevClose = 0, nominal = 0, high = 0, low = 0, last = 0, bid = 0, ask = 0;
    uint64_t volume = 0, bidVolume = 0, askVolume = 0, amountMilli = 0;
    uint32_t trades = 0;  // trades up to the moment (the opening auction counts as one)
};

struct IndexDef {
    std::string code;      // six digits, 999000..999999
    std::string english;   // at most 8 characters
    std::string shortGbk;  // at most 16 bytes
    std::string fullGbk;   // at most 16 bytes
    std::string type;      // index type, five characters
    std::string family;    // type within the family, two characters
};

struct Day {
    uint32_t date = 0;
    uint64_t seed = 0;
    TradingHours hours{};
    std::vector<Share> shares;          // ascending by code
    std::vector<Share> referenceOnly;   // listed in the reference data file but not trading today
    std::vector<IndexDef> indexes;
    uint32_t midRate = 0;               // HKD -> CNY reference rate, hundred-thousandths
    uint32_t buyRate = 0, sellRate = 0; // hundred-thousandths
    uint64_t dailyQuota = 0;
    std::vector<uint32_t> holidays;     // YYYYMMDD, several years around the date, never the date itself
};

// True for a real calendar date between 19900101 and 20991231.
bool ValidDate(uint32_t yyyymmdd);
// True for a time of day HHMMSS.
bool ValidTime(uint32_t hhmmss);
// Day of week of a date, 0 Sunday .. 6 Saturday.
int Weekday(uint32_t yyyymmdd);

// Builds the day. shareCount is the number of shares trading (at least 1).
Day BuildDay(uint32_t date, uint64_t seed, uint32_t shareCount);

// Quote of a share at a time of day (HHMMSS). Later times only add trades: volumes and amounts
// never fall, and the quote at a time is the same whichever time was asked before.
Quote QuoteAt(const Day& day, const Share& share, uint32_t hhmmss);

// Market trading state at a time: eight characters.
std::string MarketState(const Day& day, uint32_t hhmmss);
// Board-lot and odd-lot trading states of a share at a time: eight characters each.
std::string BoardLotState(const Day& day, const Share& share, uint32_t hhmmss);
std::string OddLotState(const Day& day, const Share& share, uint32_t hhmmss);
// Remaining daily quota at a time.
uint64_t RemainingQuota(const Day& day, uint32_t hhmmss);

}  // namespace zephyr::sampleday
