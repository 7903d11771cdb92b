#include "host/ReplicaCheck.h"

namespace zephyr::hostkit {

namespace {

bool SameImage(const MarketImage& a, const MarketImage& b) {
    if (a.market != b.market || a.categories != b.categories) return false;
    for (Table table : kAllTables) {
        if (a.Of(table).bytes != b.Of(table).bytes) return false;
    }
    return true;
}

}  // namespace

CheckOutcome CheckAgainstPull(MarketReplica& replica, const CheckHooks& hooks, TimeRule time_rule, size_t limit) {
    CheckOutcome outcome;
    const uint64_t generation = replica.Generation();
    replica.OpenWitness();
    if (hooks.refresh) hooks.refresh();
    const uint64_t changes = replica.Counters().changes;
    outcome.pull = hooks.pull(&outcome.pulled);
    if (outcome.pull != PullResult::kPulled) {
        replica.CloseWitness();
        outcome.kind = CheckOutcome::kNotPulled;
        return outcome;
    }
    for (;;) {
        hooks.wait(kRecheckMs);
        outcome.waited_ms += kRecheckMs;
        if (!replica.Loaded() || replica.Generation() != generation) {
            outcome.kind = CheckOutcome::kReset;
            break;
        }
        if (hooks.refresh) hooks.refresh();
        const bool unchanged = replica.Counters().changes == changes;
        // Unchanged, the witness holds only what the replica holds: the comparison is exact but
        // for a market time the rule lets lead.
        outcome.samples = replica.Compare(outcome.pulled, CompareMode::kWitnessed, limit, &outcome.differences,
                                          time_rule);
        if (outcome.differences == 0 || outcome.waited_ms >= kInFlightMs) {
            outcome.kind = outcome.differences == 0 ? CheckOutcome::kEqual : CheckOutcome::kDiffers;
            outcome.time_led = outcome.differences == 0 && outcome.pulled.MarketTime() > replica.MarketTime();
            // Quiet only when the driver, pulled again, still holds what it held.
            MarketImage again;
            outcome.quiet = outcome.differences == 0 && unchanged && !outcome.time_led &&
                            hooks.pull(&again) == PullResult::kPulled && SameImage(again, outcome.pulled);
            break;
        }
    }
    replica.CloseWitness();
    return outcome;
}

}  // namespace zephyr::hostkit
