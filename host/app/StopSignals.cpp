#include "host/app/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "host/app/Terminal.h"

namespace zephyr::hostapp {

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_signals{0};

void OnSignal(int) {
    g_stop.store(true);
    if (g_signals.fetch_add(1) >= 1) {
        // A second Ctrl-C: the driver does not stop; leave at once.
        Terminal::RestoreFromSignal();
        _exit(130);
    }
}

}  // namespace

void InstallStopSignals() {
    g_stop = false;
    g_signals = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void RestoreDefaultSignals() {
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
}

std::atomic<bool>& StopFlag() { return g_stop; }

}  // namespace zephyr::hostapp
