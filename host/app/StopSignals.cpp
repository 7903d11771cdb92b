#include "host/app/StopSignals.h"

#include "host/app/Terminal.h"
#include "portable/Console.h"

namespace zephyr::hostapp {

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_signals{0};
std::atomic<const char*> g_first{nullptr};

void OnStopRequest(const char* what) {
    const char* none = nullptr;
    g_first.compare_exchange_strong(none, what);
    g_stop.store(true);
    if (g_signals.fetch_add(1) >= 1) {
        // A second Ctrl-C: the driver does not stop; leave at once.
        Terminal::RestoreFromSignal();
        portable::LeaveNow(130);
    }
}

}  // namespace

void InstallStopSignals() {
    g_stop = false;
    g_signals = 0;
    g_first = nullptr;
    portable::CatchStopRequests(&OnStopRequest);
}

void RestoreDefaultSignals() { portable::ReleaseStopRequests(); }

std::atomic<bool>& StopFlag() { return g_stop; }

const char* StopSignalName() { return g_first.load(); }

}  // namespace zephyr::hostapp
