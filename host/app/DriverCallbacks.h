// The five host callbacks the session hands the driver, and the one state they reach: C
// callbacks carry no context of their own, so the state is process-wide while attached.
//
// The callbacks run on the driver's threads. They hold the state shared while they use it;
// DetachCallbacks takes it alone, so a late callback never finds the screen gone under it.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "host/MarketReplica.h"
#include "host/PushRecordFile.h"
#include "host/app/Level2Status.h"
#include "zephyr/DriverInterface.h"

namespace zephyr::hostapp {

class Terminal;

struct CallbackState {
    Terminal* terminal = nullptr;
    hostkit::MarketReplica replica;
    hostkit::PushRecordWriter record;
    std::atomic<bool> record_failed{false};
    std::atomic<uint64_t> pushes{0};
    std::atomic<uint64_t> push_bytes{0};
    std::atomic<uint64_t> logs[4] = {};
    std::atomic<uint64_t> bad_push_lines{0};
    std::atomic<bool> reset_seen{false};
    // Set while the operator's "print pricetbl" runs: its reply is shown a table a line.
    std::atomic<bool> price_tables_on_lines{false};
    std::mutex last_log_mutex;     // guards the three below
    std::string last_log;
    std::string last_error;        // the driver's last error line (UTF-8)
    Level2Report level2;
};

// From now on the callbacks use `state` (which must outlive DetachCallbacks).
void AttachCallbacks(CallbackState* state);
// The callbacks do nothing from now on; waits for those in progress.
void DetachCallbacks();
// Puts the five callbacks into the host's record.
void SetHostCallbacks(DriverWorkParams* params);
// A line of the host's own on the attached screen. From the session, or from a callback
// that already holds the state.
void HostLine(const std::string& text);

}  // namespace zephyr::hostapp
