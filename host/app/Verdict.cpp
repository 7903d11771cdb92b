#include "host/app/Verdict.h"

#include <string>

#include "host/GbkText.h"
#include "host/MarketDigest.h"

namespace zephyr::hostapp {

Verdict SessionResult::Judge(const SessionOptions& options, std::vector<std::string>* why) const {
    std::vector<std::string> ignored;
    std::vector<std::string>& said = why != nullptr ? *why : ignored;
    if (begin_result != 1 || !load_error.empty()) {
        said.push_back(load_error.empty() ? "the driver did not start" : load_error);
        return Verdict::kSetUp;
    }
    // Faults of the driver's data come first: they are what the host is there to find.
    const size_t before = said.size();
    if (live_check_failures > 0) said.push_back(std::to_string(live_check_failures) + " live check(s) found differences");
    if (final_check.done && !final_check.replica_equals_pull) said.push_back("the replica differs from the final pull");
    if (final_check.done && !hostkit::DigestOk(final_check.replica_digest)) said.push_back("the market digest does not check");
    if (final_check.pull_broken) said.push_back(final_check.note);
    if (counters.bad_pushes > 0) said.push_back(std::to_string(counters.bad_pushes) + " push(es) not understood");
    if (said.size() > before) return Verdict::kDifference;

    if (!record_problem.empty()) said.push_back(record_problem);
    // A run may leave TransModule empty: the module is optional, and the driver serves without it.
    const bool no_module_asked = !options.demo && level2.state == Level2Report::kNoneNamed;
    const auto noted = [&](Verdict verdict) {
        if (no_module_asked) said.push_back("note: no level-2 module is configured (TransModule is empty; it is optional)");
        return verdict;
    };
    if (level2.state != Level2Report::kUnknown && !level2.Loaded() && !no_module_asked) {
        said.push_back("no level-2 module: " + hostkit::GbkToUtf8(level2.path) + " " + Level2StateText(level2.state) +
                       " (" + level2.why + ")");
    } else if (options.demo && served && counters.snapshot_records == 0) {
        said.push_back("the demo's level-2 feed delivered no snapshot update");
    }
    if (said.size() > before) return Verdict::kSetUp;

    if (!served) {
        if (!ever_live && !not_live.empty()) {
            said.push_back("the driver did not serve: " + not_live + " (not a fault of the driver)");
            return noted(Verdict::kNotLive);
        }
        said.push_back("the driver started but never served inside its working window (see its log)");
        return Verdict::kSetUp;
    }
    if (!final_check.done) {
        said.push_back("the final check could not be done: " + final_check.note);
        return Verdict::kSetUp;
    }
    if (!ever_live) {
        said.push_back(not_live + " all along: the driver served the day's market as it stood, with no live "
                       "updates to check (not a fault of the driver)");
        return noted(Verdict::kNotLive);
    }
    return noted(Verdict::kOk);
}

const char* VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::kOk: return "OK";
        case Verdict::kSetUp: return "SET-UP PROBLEM";
        case Verdict::kUsage: return "USAGE";
        case Verdict::kDifference: return "DRIVER FAULT: what was pushed differs from what is pulled";
        case Verdict::kNotLive: return "NOT LIVE: outside the working window or a holiday";
    }
    return "?";
}

const char* ExitStatusTable() {
    return "Exit status:\n"
           "  0  the driver served and every check passed\n"
           "  1  the set-up is wrong (the driver, its start, its level-2 module, the record file): the\n"
           "     summary says why\n"
           "  2  usage error\n"
           "  3  a fault of the driver: the replica differs from a pull after pushes still on their way\n"
           "     were waited for, the market digest does not check, or a push or frame made no sense\n"
           "  4  the driver served no live market: outside its working window (KPTime..SPTime of its\n"
           "     Zephyr.ini) or a holiday for the whole run; nothing wrong was found\n";
}

}  // namespace zephyr::hostapp
