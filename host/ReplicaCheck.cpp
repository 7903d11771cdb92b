#include "host/ReplicaCheck.h"

namespace zephyr::hostkit {

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
            outcome.quiet = unchanged && !outcome.time_led;
            break;
        }
    }
    replica.CloseWitness();
    return outcome;
}

}  // namespace zephyr::hostkit
