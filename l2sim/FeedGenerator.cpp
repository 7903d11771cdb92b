#include "l2sim/FeedGenerator.h"

#include <cstring>
#include <utility>

namespace zephyr::l2sim {

namespace {

constexpr uint32_t kDaySeconds = 24 * 3600;
constexpr size_t kBookLevelSize = 14;  // price u32, volume u64, orders u16
constexpr size_t kDeeperLevels = 6;    // in record bytes 57-146 and 161-250

template <class T>
void Put(uint8_t* out, size_t offset, T value) {
    memcpy(out + offset, &value, sizeof value);
}

uint32_t Tick(uint32_t price) {
    if (price < 1000) return 1;
    if (price < 10000) return 10;
    if (price < 100000) return 50;
    return 100;
}

}  // namespace

FeedGenerator::FeedGenerator(std::vector<DayQuote> quotes, uint32_t start_time, uint64_t seed)
    : m_Quotes(std::move(quotes)),
      m_StartSeconds(start_time / 10000 * 3600 + start_time / 100 % 100 * 60 + start_time % 100),
      m_FeedMicros(0),
      m_State(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull),
      m_Next(0),
      m_Pushes(0),
      m_Snapshots(0) {
    if (m_State == 0) m_State = 1;
}

uint64_t FeedGenerator::Random() {
    // xorshift64*
    m_State ^= m_State >> 12;
    m_State ^= m_State << 25;
    m_State ^= m_State >> 27;
    return m_State * 0x2545F4914F6CDD1Dull;
}

uint32_t FeedGenerator::MarketTime() const {
    const uint32_t s = static_cast<uint32_t>((m_StartSeconds + m_FeedMicros / 1000000) % kDaySeconds);
    return s / 3600 * 10000 + s / 60 % 60 * 100 + s % 60;
}

void FeedGenerator::Move(DayQuote* q) {
    if (q->last == 0) q->last = 1000;
    const uint32_t tick = Tick(q->last);
    const int steps = static_cast<int>(Random() % 5) - 2;
    int64_t last = static_cast<int64_t>(q->last) + steps * static_cast<int64_t>(tick);
    if (last < tick) last = tick;
    q->last = static_cast<uint32_t>(last);
    if (q->high < q->last) q->high = q->last;
    if (q->low == 0 || q->low > q->last) q->low = q->last;
    const uint64_t traded = (Random() % 20 + 1) * 100;
    q->volume += traded;
    q->amount += static_cast<double>(traded) * q->last / 1000.0;
    q->bid = q->last > tick ? q->last - tick : q->last;
    q->ask = q->last + tick;
    q->bid_volume = (Random() % 50 + 1) * 100;
    q->ask_volume = (Random() % 50 + 1) * 100;
}

void FeedGenerator::EncodeSnapshot(const DayQuote& q, uint32_t voip, uint8_t* out) {
    memset(out, 0, kSnapshotLength);
    out[0] = 15;
    memcpy(out + 1, q.code, 6);
    Put<uint32_t>(out, 7, q.high);
    Put<uint32_t>(out, 11, q.open);
    Put<uint32_t>(out, 15, q.low);
    Put<uint32_t>(out, 19, q.previous_close);
    Put<uint32_t>(out, 23, q.last);
    Put<double>(out, 27, q.amount);
    Put<uint64_t>(out, 35, q.volume);
    Put<uint32_t>(out, 43, q.bid);
    Put<uint64_t>(out, 47, q.bid_volume);
    Put<uint16_t>(out, 55, static_cast<uint16_t>(q.bid_volume / 1000 + 1));
    Put<uint32_t>(out, 147, q.ask);
    Put<uint64_t>(out, 151, q.ask_volume);
    Put<uint16_t>(out, 159, static_cast<uint16_t>(q.ask_volume / 1000 + 1));
    // Deeper book levels, one tick apart, in the bytes the driver does not read.
    const uint32_t tick = Tick(q.last);
    for (size_t level = 0; level < kDeeperLevels; ++level) {
        const uint32_t away = tick * static_cast<uint32_t>(level + 1);
        const size_t bid_at = 57 + level * kBookLevelSize;
        const size_t ask_at = 161 + level * kBookLevelSize;
        Put<uint32_t>(out, bid_at, q.bid > away ? q.bid - away : 0);
        Put<uint64_t>(out, bid_at + 4, q.bid_volume + 100 * (level + 1));
        Put<uint16_t>(out, bid_at + 12, static_cast<uint16_t>(level + 2));
        Put<uint32_t>(out, ask_at, q.ask + away);
        Put<uint64_t>(out, ask_at + 4, q.ask_volume + 100 * (level + 1));
        Put<uint16_t>(out, ask_at + 12, static_cast<uint16_t>(level + 2));
    }
    Put<uint32_t>(out, 251, voip);
}

size_t FeedGenerator::Next(uint32_t batch, uint32_t rate, uint8_t* out) {
    if (batch < 1) batch = 1;
    if (batch > 30) batch = 30;
    if (rate < 1) rate = 1;
    const uint32_t time = MarketTime();
    size_t at = 0;
    Put<uint32_t>(out, at, time);
    at += 4;

    memset(out + at, 0, kMarketTimeLength);
    out[at] = 14;
    Put<uint32_t>(out, at + 6, time);
    at += kMarketTimeLength;

    const DayQuote* some = m_Quotes.empty() ? nullptr : &m_Quotes[m_Next % m_Quotes.size()];
    switch (m_Pushes % 3) {
    case 0:  // a trade
        memset(out + at, 0, kTradeLength);
        out[at] = 1;
        if (some != nullptr) {
            memcpy(out + at + 1, some->code, 6);
            Put<uint32_t>(out, at + 7, some->last);
            Put<uint64_t>(out, at + 11, 100 * (Random() % 10 + 1));
        }
        Put<uint32_t>(out, at + 19, time);
        at += kTradeLength;
        break;
    case 1: {  // an order queue of 0..4 entries
        const uint8_t n = static_cast<uint8_t>(Random() % (kLargestQueue + 1));
        memset(out + at, 0, 9 + 2 * n);
        out[at] = 2;
        if (some != nullptr) memcpy(out + at + 1, some->code, 6);
        out[at + 7] = static_cast<uint8_t>(Random() % 2);
        out[at + 8] = n;
        for (uint8_t i = 0; i < n; ++i) Put<uint16_t>(out, at + 9 + 2 * i, static_cast<uint16_t>(Random() % 100 + 1));
        at += 9 + 2 * n;
        break;
    }
    default:  // statistics
        memset(out + at, 0, kStatisticsLength);
        out[at] = 3;
        if (some != nullptr) memcpy(out + at + 1, some->code, 6);
        Put<uint32_t>(out, at + 7, static_cast<uint32_t>(m_Pushes));
        at += kStatisticsLength;
        break;
    }

    if (!m_Quotes.empty()) {
        for (uint32_t i = 0; i < batch; ++i) {
            DayQuote& quote = m_Quotes[m_Next];
            m_Next = (m_Next + 1) % m_Quotes.size();
            Move(&quote);
            EncodeSnapshot(quote, quote.last, out + at);
            at += kSnapshotLength;
            ++m_Snapshots;
        }
    }
    ++m_Pushes;
    m_FeedMicros += 1000000ull * batch / rate;
    return at;
}

}  // namespace zephyr::l2sim
