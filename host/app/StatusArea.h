// The lines of the live status area at the bottom of a terminal, from one second's figures.
// Pure text; the session's thread calls it once a second.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "host/MarketReplica.h"
#include "zephyr/DriverInterface.h"

namespace zephyr::hostapp {

struct StatusFigures {
    std::string description;        // the driver's, UTF-8
    DriverStatusInfo status;        // read this second
    bool replica_loaded = false;
    uint32_t second = 0;            // since the session started
    std::string categories;         // "name count, ..."
    uint64_t pushes_per_s = 0, snapshots_per_s = 0;
    hostkit::ReplicaCounters totals;
    uint64_t rss_kb = 0;
    uint64_t live_checks = 0, live_check_failures = 0;
    std::string last_log;
    std::string not_live;           // why the driver serves no live market now ("" when it does)
};

std::vector<std::string> StatusLines(const StatusFigures& figures);

// The process's resident memory (VmRSS; the working set on Windows) in kB, 0 if unknown.
uint64_t ReadRssKb();

}  // namespace zephyr::hostapp
