#include "tools/sampleday/Day.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "tools/sampleday/Calendar.h"
#include "tools/sampleday/Names.h"
#include "tools/sampleday/Random.h"

namespace zephyr::sampleday {
namespace {

uint32_t SecondsOfDay(uint32_t hhmmss) {
    return hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100;
}
uint32_t MinutesToSeconds(uint16_t hhmm) { return uint32_t(hhmm / 100 * 3600 + hhmm % 100 * 60); }

// Board lot that makes one lot worth roughly `value` thousandths at price p.
uint32_t LotFor(uint32_t p, uint64_t value) {
    static const uint32_t kLots[] = {50,   100,  200,  250,   400,   500,   1000,
                                     2000, 2500, 4000, 5000,  6000,  10000, 20000};
    const uint64_t wanted = value / (p ? p : 1);
    uint32_t best = kLots[0];
    for (uint32_t lot : kLots)
        if (lot <= wanted || lot == kLots[0]) best = lot;
    return best;
}

void SampleCodes(SplitMix64& r, std::vector<uint32_t>& pool, uint32_t n, std::vector<uint32_t>& out) {
    n = std::min<uint32_t>(n, uint32_t(pool.size()));
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t j = i + r.Below(uint32_t(pool.size()) - i);
        std::swap(pool[i], pool[j]);
        out.push_back(pool[i]);
    }
    pool.erase(pool.begin(), pool.begin() + n);
}

std::string Code5(uint32_t n) {
    char buf[8];
    snprintf(buf, sizeof buf, "%05u", n % 100000);
    return buf;
}

// Previous close in thousandths: spread over five decades, most shares between 0.10 and 10.
uint32_t DrawPrice(SplitMix64& r, int cls) {
    const uint32_t d = r.Below(100);
    uint32_t lo, hi;
    if (d < 8) lo = 10, hi = 100;
    else if (d < 43) lo = 100, hi = 1000;
    else if (d < 78) lo = 1000, hi = 10000;
    else if (d < 96) lo = 10000, hi = 100000;
    else lo = 100000, hi = 700000;
    const uint32_t span = hi - lo;
    const uint32_t p = lo + std::min(r.Below(span), r.Below(span));  // leans to the low end
    return SnapToGrid(cls, p);
}

// Reference data come from the share's own stream, so a code keeps its name and listing from day
// to day; the day's price and trading come from a stream of the date.
void FillCommon(SplitMix64& r, uint64_t seed, uint32_t date, uint32_t code, Share& s) {
    s.code = Code5(code);
    // One draw per statement: the order in which arguments are evaluated is unspecified.
    const uint32_t issuer = r.Below(10000);
    const uint32_t check = r.Below(10);
    char isin[16];
    snprintf(isin, sizeof isin, "HK%04u%05u%u", issuer, code % 100000, check);
    s.isin = isin;
    s.listingDate = DateOf(DaysOf(date) - 30 - int64_t(r.Below(9000)));
    s.shortSell = r.Chance(300);
    const uint32_t c = r.Below(100);
    s.connect = c < 50 ? "SHSZ" : c < 75 ? "SH" : "SZ";
    s.rate = r.Below(7001);

    SplitMix64 d(StreamSeed(seed ^ (uint64_t(date) << 20), code, 2));
    s.prevClose = DrawPrice(d, s.spreadClass);
    s.lot = LotFor(s.prevClose, 1000ull * d.Between(2000, 20000));
    s.suspended = d.Chance(12);
    const uint32_t a = d.Below(1000);
    s.activity = a < 80 ? 0 : a < 770 ? d.Between(3, 45) : a < 970 ? d.Between(45, 200) : d.Between(200, 600);
    s.drift = int(d.Below(13)) - 6;
    s.stream = d.Next();
}

}  // namespace

TradingHours HoursForDate(uint32_t date) {
    if (date < 20110307) return {1000, 1230, 1430, 1600};
    if (date < 20120305) return {930, 1200, 1330, 1600};
    return {930, 1200, 1300, 1600};
}

Day BuildDay(uint32_t date, uint64_t seed, uint32_t shareCount) {
    Day day;
    day.date = date;
    day.seed = seed;
    day.hours = HoursForDate(date);
    if (shareCount < 1) shareCount = 1;
    SplitMix64 r(StreamSeed(seed, date, 1));

    // Codes: ordinary shares, funds in 02800..03199, second counters in CNY (8xxxx, the code of
    // the first counter plus 80000) and a few in USD (9xxxx).
    // A market larger than the four-digit codes hold takes ordinary shares from the rest of the
    // five-digit space too, below the second counters' 8xxxx.
    std::vector<uint32_t> equityPool, fundPool, usdPool;
    for (uint32_t c = 1; c <= 9999; ++c) (c >= 2800 && c < 3200 ? fundPool : equityPool).push_back(c);
    if (shareCount > 9000)
        for (uint32_t c = 10000; c < 80000; ++c) equityPool.push_back(c);
    for (uint32_t c = 90000; c < 99000; ++c) usdPool.push_back(c);
    const uint32_t funds = std::min<uint32_t>(shareCount * 6 / 100, 300);
    const uint32_t usd = shareCount / 500;
    const uint32_t rmb = shareCount / 100;
    const uint32_t equities = shareCount - funds - usd - rmb;
    std::vector<uint32_t> equityCodes, fundCodes, usdCodes, extraCodes;
    SampleCodes(r, equityPool, equities, equityCodes);
    SampleCodes(r, fundPool, funds, fundCodes);
    SampleCodes(r, usdPool, usd, usdCodes);
    SampleCodes(r, equityPool, 3, extraCodes);
    std::sort(equityCodes.begin(), equityCodes.end());

    std::set<std::string> names;
    auto uniqueName = [&](SplitMix64& sr, bool fund, Share& s) {
        for (int attempt = 0; attempt < 64; ++attempt) {
            if (fund) DrawFundName(sr, s.nameGbk, s.english);
            else DrawShareName(sr, s.nameGbk, s.english);
            if (names.insert(s.nameGbk).second) return;
        }
    };
    auto makeShare = [&](uint32_t code, bool fund, const char* currency) {
        Share s;
        SplitMix64 sr(StreamSeed(seed, code, 1));
        s.spreadClass = fund ? 2 : 1;
        s.currency = currency;
        uniqueName(sr, fund, s);
        FillCommon(sr, seed, date, code, s);
        return s;
    };

    for (uint32_t c : equityCodes) day.shares.push_back(makeShare(c, false, "HKD"));
    for (uint32_t c : fundCodes) day.shares.push_back(makeShare(c, true, "HKD"));
    for (uint32_t c : usdCodes) {
        Share s = makeShare(c, false, "USD");
        s.spreadClass = 3;
        s.prevClose = SnapToGrid(3, s.prevClose);
        day.shares.push_back(s);
    }
    // Second counters of the first `rmb` shares of a shuffled order.
    std::vector<size_t> order(equityCodes.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    // Only four-digit codes have one (80000 + the first counter's code).
    uint32_t counters = 0;
    for (size_t i = 0; i < order.size() && counters < rmb; ++i) {
        std::swap(order[i], order[i + r.Below(uint32_t(order.size() - i))]);
        const Share& first = day.shares[order[i]];
        const uint32_t firstCode = uint32_t(std::stoul(first.code));
        if (firstCode >= 10000) continue;
        ++counters;
        Share s = makeShare(80000 + firstCode, false, "CNY");
        CounterName(first.nameGbk, first.english, "-R", s.nameGbk, s.english);
        day.shares.push_back(s);
    }
    for (uint32_t c : extraCodes) day.referenceOnly.push_back(makeShare(c, false, "HKD"));

    std::sort(day.shares.begin(), day.shares.end(),
              [](const Share& a, const Share& b) { return a.code < b.code; });

    // Short names: most shares are in the short-name file; the main index holds about fifty.
    for (Share& s : day.shares) {
        SplitMix64 sr(StreamSeed(seed, std::stoul(s.code), 3));
        if (!sr.Chance(960)) continue;
        s.shortGbk = GbkPrefix(s.nameGbk, 8);
        if (s.activity >= 200 && sr.Chance(600)) s.indexCode = 999001;
    }

    day.indexes = {
        {"999001", "HSI", "恒生指数", "恒生指数", "HSI00", "01"},
        {"999002", "HSCEI", "国企指数", "恒生中国企业指数", "HSI00", "02"},
        {"999003", "HSTECH", "恒生科技", "恒生科技指数", "HSI00", "03"},
        {"999004", "HSCCI", "红筹指数", "恒生中资企业指数", "HSI00", "04"},
        {"999010", "HSCI", "综合指数", "恒生综合指数", "HSCI0", "01"},
        {"999987", "HKCNSZ", "港股通深", "深港通港股成交", "HKCN0", "02"},
        {"999999", "HKCNALL", "港股通", "港股通全市场成交", "HKCN0", "01"},
    };

    day.midRate = 88000 + r.Below(5000);
    day.buyRate = day.midRate * 97 / 100;
    day.sellRate = day.midRate * 103 / 100;
    day.dailyQuota = 42000000000ull;

    const int year = int(date / 10000);
    for (int y = year - 1; y <= year + 1; ++y)
        for (uint32_t h : YearHolidays(y))
            if (h != date) day.holidays.push_back(h);
    return day;
}

Quote QuoteAt(const Day& day, const Share& share, uint32_t hhmmss) {
    Quote q;
    q.prevClose = share.prevClose;
    q.nominal = share.prevClose;
    const uint32_t now = SecondsOfDay(hhmmss);
    const TradingHours& h = day.hours;
    const uint32_t open1 = MinutesToSeconds(h.open1), open2 = MinutesToSeconds(h.open2);
    const uint32_t morning = MinutesToSeconds(h.close1) - open1;
    const uint32_t afternoon = MinutesToSeconds(h.close2) - open2;
    const uint32_t auction = open1 - 600;
    if (share.suspended) return q;

    // The whole day's trade times are drawn first, so stopping early only cuts the sequence.
    SplitMix64 r(share.stream);
    std::vector<uint32_t> times(share.activity);
    for (uint32_t& t : times) {
        const uint32_t u = r.Below(morning + afternoon);
        t = u < morning ? open1 + u : open2 + (u - morning);
    }
    std::sort(times.begin(), times.end());

    const int cls = share.spreadClass;
    const uint32_t ceiling = uint32_t(uint64_t(share.prevClose) * 13 / 10);
    const uint32_t floor = uint32_t(uint64_t(share.prevClose) * 7 / 10);
    uint32_t price = share.prevClose;
    int lastMove = 0;
    auto trade = [&](uint64_t lots) {
        const uint64_t volume = lots * share.lot;
        q.volume += volume;
        q.amountMilli += volume * price;
        q.last = price;
        q.high = q.trades == 0 ? price : std::max(q.high, price);
        q.low = q.trades == 0 ? price : std::min(q.low, price);
        ++q.trades;
    };
    if (!times.empty() && now >= auction) {
        // Opening auction: the first price of the day, up to three ticks from the previous close.
        const int ticks = int(r.Below(7)) - 3;
        for (int k = 0; k < ticks; ++k) price = TickUp(cls, price);
        for (int k = 0; k > ticks; --k) price = TickDown(cls, price);
        lastMove = ticks;
        trade(5 + r.Below(200));
    }
    for (uint32_t t : times) {
        if (t > now) break;
        const uint32_t d = r.Below(100);
        // A tick is a large step for a low-priced share: such prices move less often.
        const int tickBp = int(uint64_t(TickUp(cls, price) - price) * 10000 / price);
        const int damp = tickBp > 50 ? tickBp : 50;
        const int up = std::max(1, (25 + share.drift) * 50 / damp);
        const int down = std::max(1, (25 - share.drift) * 50 / damp);
        if (int(d) < up && price < ceiling) price = TickUp(cls, price), lastMove = 1;
        else if (int(d) >= 100 - down && price > floor) price = TickDown(cls, price), lastMove = -1;
        uint64_t lots = 1 + r.Below(share.activity >= 200 ? 120 : 40);
        if (r.Below(50) == 0) lots *= 20;  // the odd block trade
        trade(lots);
    }

    if (now < auction) return q;
    const uint32_t ref = q.trades ? q.last : share.prevClose;
    if (q.trades) q.nominal = q.last;
    if (lastMove > 0) q.ask = ref, q.bid = TickDown(cls, ref);
    else q.bid = ref, q.ask = TickUp(cls, ref);
    // Book volumes depend only on the state reached, not on the time asked.
    SplitMix64 book(share.stream ^ (uint64_t(q.trades) * 0x9E3779B97F4A7C15ull));
    q.bidVolume = uint64_t(1 + book.Below(40)) * share.lot;
    q.askVolume = uint64_t(1 + book.Below(40)) * share.lot;
    return q;
}

std::string MarketState(const Day& day, uint32_t hhmmss) {
    const uint32_t now = SecondsOfDay(hhmmss);
    const TradingHours& h = day.hours;
    const uint32_t open1 = MinutesToSeconds(h.open1);
    if (now < open1 - 1800) return "START   ";
    if (now < open1) return "POS     ";
    if (now < MinutesToSeconds(h.close1)) return "CT      ";
    if (now < MinutesToSeconds(h.open2)) return "BL      ";
    if (now < MinutesToSeconds(h.close2)) return "CT      ";
    if (now < MinutesToSeconds(h.close2) + 600) return "CAS     ";
    return "CLOSE   ";
}

std::string BoardLotState(const Day& day, const Share& share, uint32_t hhmmss) {
    return share.suspended ? "SUSP    " : MarketState(day, hhmmss);
}

std::string OddLotState(const Day& day, const Share& share, uint32_t hhmmss) {
    if (share.suspended) return "SUSP    ";
    std::string state = MarketState(day, hhmmss);
    return state == "POS     " || state == "CAS     " ? "BL      " : state;  // no odd lots in auctions
}

uint64_t RemainingQuota(const Day& day, uint32_t hhmmss) {
    const uint32_t now = SecondsOfDay(hhmmss);
    const TradingHours& h = day.hours;
    const uint32_t open1 = MinutesToSeconds(h.open1), open2 = MinutesToSeconds(h.open2);
    const uint32_t morning = MinutesToSeconds(h.close1) - open1;
    const uint32_t afternoon = MinutesToSeconds(h.close2) - open2;
    uint32_t elapsed = 0;
    if (now > open1) elapsed += std::min(now - open1, morning);
    if (now > open2) elapsed += std::min(now - open2, afternoon);
    // Up to about a third of the quota is used over the day.
    const uint64_t usedPerMille = 100 + StreamSeed(day.seed, day.date, 4) % 250;
    const uint64_t used = day.dailyQuota / 1000 * usedPerMille * elapsed / (morning + afternoon);
    return day.dailyQuota - used;
}

}  // namespace zephyr::sampleday
