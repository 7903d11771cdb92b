// One run of a driver inside the stand-in host: load it by path, start it with the host's record,
// keep a replica of its market, show what happens, take operator commands, stop it cleanly, and
// check the replica at the end.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/DriverSchedule.h"
#include "host/MarketDigest.h"
#include "host/MarketReplica.h"
#include "host/app/Level2Status.h"

namespace zephyr::hostapp {

struct SessionOptions {
    std::string driver_path;       // the driver library
    std::string work_dir;          // made the working directory first ("": stay)
    double seconds = 0;            // run time; 0: until Ctrl-C
    std::string record_path;       // --record
    bool json = false;             // the summary as JSON on stdout, everything else on stderr
    unsigned check_every = 0;      // seconds between live replica checks; 0: none
    bool pause_feed = false;       // pause the level-2 feed ("l2cmd rate 0") before the final check
    bool read_console = true;      // operator lines from stdin
    uint16_t frame_size = 8192;
    uint32_t request_budget = 819200;
    uint16_t driver_id = 1;
    std::vector<std::string> ini_notes;  // shown at start (what the demo prepared)
    bool demo = false;             // the demo: a level-2 feed that delivers nothing is a fault of its set-up
};

struct FinalCheck {
    bool done = false;
    bool exact = false;            // nothing changed the replica from before the pull to the comparison
    bool replica_equals_pull = false;
    size_t differences = 0;
    std::vector<hostkit::Difference> samples;
    hostkit::DigestCheck replica_digest = hostkit::DigestCheck::kNoImage;
    hostkit::DigestCheck pull_digest = hostkit::DigestCheck::kNoImage;
    std::string digest_hex;
    std::string note;              // why the check could not be done, or how it was done
    bool pull_broken = false;      // a frame of the pull made no sense: a fault of the driver
};

// How a session ended, as the exit status tells it.
enum class Verdict {
    kOk = 0,          // served, and every check passed
    kSetUp = 1,       // the set-up is wrong (the driver, its start, its module, the record file)
    kUsage = 2,
    kDifference = 3,  // what was pushed differs from what is pulled (pushes in flight ruled out)
    kNotLive = 4,     // outside the working window or a holiday all along: no live market to check
};

struct SessionResult {
    int32_t begin_result = 0;
    std::string load_error;        // why the driver could not be loaded or started
    std::string description;       // UTF-8
    bool served = false;           // the driver served and the replica was loaded at least once
    double seconds = 0;
    std::string stopped_by;        // "quit", or the signal; "" when the time was up
    hostkit::DriverSchedule schedule;
    bool ever_live = false;        // a working day inside the window at some moment of the run
    std::string not_live;          // why not, when it never was
    Level2Report level2;
    hostkit::ReplicaCounters counters;
    uint64_t pushes_received = 0;  // every push callback, whatever it carried
    uint64_t push_bytes = 0;
    bool recorded = false;         // --record: the file was written whole
    std::string record_problem;
    uint64_t pulls = 0;
    uint64_t pull_failures = 0;
    uint64_t live_checks = 0;
    uint64_t live_check_failures = 0;
    uint64_t logs[4] = {};         // by level 0..3 (0: other)
    uint64_t commands = 0;
    std::vector<std::pair<uint32_t, uint64_t>> rss_kb;  // (second, VmRSS)
    uint64_t rss_kb_before_driver = 0;  // VmRSS just before the driver was loaded: the host's own
    FinalCheck final_check;
    hostkit::MarketImage image;    // the replica at the end
    // The verdict, with the reasons behind it in `why` (one line each).
    Verdict Judge(const SessionOptions& options, std::vector<std::string>* why) const;
};

// Runs the session; returns when it is over (time, Ctrl-C, or the driver failed to start).
SessionResult RunSession(const SessionOptions& options);

}  // namespace zephyr::hostapp
