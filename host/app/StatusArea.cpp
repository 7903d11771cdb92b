#include "host/app/StatusArea.h"

#include "host/app/ScreenText.h"
#include "portable/Process.h"

namespace zephyr::hostapp {

std::vector<std::string> StatusLines(const StatusFigures& f) {
    const bool working = f.status.working == 1;
    const uint32_t snapshot_age = f.status.snapshot_age_s;
    // Outside its window a driver may still answer pulls with the day's market as it stood.
    const std::string serving = !f.not_live.empty() ? f.not_live + (working ? ", no live updates" : ", not serving")
                                : working          ? "SERVING"
                                                   : "not serving yet";
    std::vector<std::string> lines;
    lines.push_back(" " + f.description + " | market " + std::to_string(f.status.market_date) + " " +
                    TimeText(f.status.market_time) + " | " + serving +
                    " | replica " + (f.replica_loaded ? "loaded" : "waiting") + " | up " +
                    std::to_string(f.second) + " s ");
    lines.push_back(" instruments " + std::to_string(f.status.instrument_count) + ": " + f.categories + " ");
    lines.push_back(" pushes " + Thousands(f.pushes_per_s) + "/s | snapshot updates " + Thousands(f.snapshots_per_s) +
                    "/s | total " + Thousands(f.totals.snapshot_records) + " updates, " +
                    Thousands(f.totals.pushes) + " pushes | RSS " + std::to_string(f.rss_kb / 1024) + " MB ");
    const std::string feed = snapshot_age <= 3 ? "alive" : "SILENT for " + std::to_string(snapshot_age) + " s";
    lines.push_back(" level-2 feed " + feed + " | live checks " + std::to_string(f.live_checks) + " (" +
                    std::to_string(f.live_check_failures) + " failed) | type a command, help, or quit ");
    lines.push_back(" last log: " + (f.last_log.empty() ? std::string("-") : f.last_log) + " ");
    return lines;
}

uint64_t ReadRssKb() { return portable::ResidentKb(); }

}  // namespace zephyr::hostapp
