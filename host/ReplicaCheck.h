// The replica compared with a fresh pull once nothing the pull saw can still be on its way.
//
// A driver changes a table and then pushes the change: the push pool sends it at its next flush
// (at most 100 ms later), and a market time raised by the level-2 feed alone travels with the
// next push, at the latest the market header that the processing thread sends once a second
// inside the working window. A pull therefore may show what the replica has not received yet.
// The check pulls, then compares again and again, a little later each time, until the replica
// agrees or the longest such delay has passed; only a difference that outlives it is reported.
//
// Outside the working window the driver moves its market time without pushing it (TimeRule).
// The functions run on the caller's thread; pushes reach the replica on the driver's threads.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/MarketImage.h"
#include "host/MarketReplica.h"

namespace zephyr::hostkit {

// How long a change may take from the driver's tables to the replica: a second for the market
// header, its processing pass and a flush, with room for a busy machine.
constexpr uint32_t kInFlightMs = 2500;
// Between two comparisons (two flushes of the push pool and more).
constexpr uint32_t kRecheckMs = 250;

struct CheckHooks {
    std::function<PullResult(MarketImage*)> pull;
    // Lets `ms` pass for the driver: a sleep in the host program, the virtual clock in tests.
    std::function<void(uint32_t ms)> wait;
    // Before every comparison (the host applies the market volume of the status record).
    std::function<void()> refresh;
};

struct CheckOutcome {
    enum Kind {
        kEqual,      // the replica agreed with the pull
        kDiffers,    // it still differed when nothing could be on its way any more
        kNotPulled,  // the pull failed (see `pull`)
        kReset,      // the market was reset meanwhile: nothing to compare
    };
    Kind kind = kNotPulled;
    PullResult pull = PullResult::kNotServing;
    // Nothing changed the replica from just before the pull to the last comparison, the pull
    // equals it exactly, and a second pull after that equals the first: the driver was quiet.
    bool quiet = false;
    // The pulled market time was ahead of the replica's, as TimeRule::kMayLead lets it be.
    bool time_led = false;
    size_t differences = 0;
    std::vector<Difference> samples;
    uint32_t waited_ms = 0;
    MarketImage pulled;
};

// One pull and its comparison with `replica` (at most `limit` differences listed).
CheckOutcome CheckAgainstPull(MarketReplica& replica, const CheckHooks& hooks, TimeRule time_rule, size_t limit);

}  // namespace zephyr::hostkit
