// One run of a driver inside the stand-in host: load it by path, start it with the host's record,
// keep a replica of its market, show what happens, take operator commands, stop it cleanly, and
// check the replica at the end.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "host/MarketDigest.h"
#include "host/MarketReplica.h"

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
};

struct FinalCheck {
    bool done = false;
    bool exact = false;            // taken while the driver was quiet
    bool replica_equals_pull = false;
    size_t differences = 0;
    std::vector<hostkit::Difference> samples;
    hostkit::DigestCheck replica_digest = hostkit::DigestCheck::kNoImage;
    hostkit::DigestCheck pull_digest = hostkit::DigestCheck::kNoImage;
    std::string digest_hex;
    std::string note;              // why the check could not be done, or how it was done
};

struct SessionResult {
    int32_t begin_result = 0;
    std::string load_error;
    std::string description;       // UTF-8
    bool served = false;           // the driver served and the replica was loaded at least once
    double seconds = 0;
    hostkit::ReplicaCounters counters;
    uint64_t push_bytes = 0;
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
    bool Ok() const;
};

// Runs the session; returns when it is over (time, Ctrl-C, or the driver failed to start).
SessionResult RunSession(const SessionOptions& options);

}  // namespace zephyr::hostapp
