#include "host/app/StopSignals.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "host/app/Terminal.h"

namespace zephyr::hostapp {

namespace {

std::atomic<bool> g_stop{false};
std::atomic<int> g_signals{0};
std::atomic<int> g_first_signal{0};

void OnSignal(int number) {
    int none = 0;
    g_first_signal.compare_exchange_strong(none, number);
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
    g_first_signal = 0;
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

const char* StopSignalName() {
    switch (g_first_signal.load()) {
        case 0: return nullptr;
        case SIGINT: return "Ctrl-C (SIGINT)";
        case SIGTERM: return "SIGTERM";
        default: return "a signal";
    }
}

}  // namespace zephyr::hostapp
