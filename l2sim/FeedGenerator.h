// Builds the level-2 pushes of the stand-in module: each push is a 4-byte market time followed by
// a market-time record (type 14), one record of the kinds the driver skips (types 1, 2 and 3 in
// turn) and a batch of level-2 snapshots (type 15) of the day's codes, round-robin. Prices move
// by a seeded random walk, so the same settings give the same pushes byte for byte.
//
// The market time starts at the given HHMMSS and advances with the nominal pace of the feed:
// one second per `rate` snapshots sent.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "l2sim/DayQuotes.h"

namespace zephyr::l2sim {

class FeedGenerator {
public:
    static constexpr size_t kTradeLength = 43;
    static constexpr size_t kStatisticsLength = 24;
    static constexpr size_t kMarketTimeLength = 11;
    static constexpr size_t kSnapshotLength = 255;
    static constexpr size_t kLargestQueue = 4;  // order-queue entries of a type 2 record
    // Largest push: header, market time, the longest skipped record and 30 snapshots.
    static constexpr size_t kLargestPush = 4 + kMarketTimeLength + kTradeLength + 30 * kSnapshotLength;

    FeedGenerator(std::vector<DayQuote> quotes, uint32_t start_time, uint64_t seed);

    // Writes the next push of `batch` snapshots (1..30) into out (kLargestPush bytes) and returns
    // its length. `rate` (snapshots per second, above 0) sets how far the market time moves.
    size_t Next(uint32_t batch, uint32_t rate, uint8_t* out);

    uint32_t MarketTime() const;
    uint64_t SnapshotsBuilt() const { return m_Snapshots; }

    // A 255-byte level-2 snapshot record of a quote (type byte included).
    static void EncodeSnapshot(const DayQuote& quote, uint32_t voip, uint8_t* out);

private:
    uint64_t Random();
    void Move(DayQuote* quote);

    std::vector<DayQuote> m_Quotes;
    uint32_t m_StartSeconds;   // seconds since midnight
    uint64_t m_FeedMicros;     // nominal feed time since the start
    uint64_t m_State;
    size_t m_Next;             // next quote, round-robin
    uint64_t m_Pushes;
    uint64_t m_Snapshots;
};

}  // namespace zephyr::l2sim
