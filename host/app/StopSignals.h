// Ctrl-C and SIGTERM (on Windows: Ctrl-C, Ctrl-Break, the console closing) ask the session to
// stop; a second one leaves the process at once (the driver may be the one that does not stop).
// Used by the session's main and input threads.
#pragma once
#include <atomic>

namespace zephyr::hostapp {

// Installs the handlers and clears an earlier request.
void InstallStopSignals();
// Back to the default handlers.
void RestoreDefaultSignals();
// Set by a signal, by the operator's quit or by the session itself; read by every loop.
std::atomic<bool>& StopFlag();
// What asked first ("Ctrl-C (SIGINT)", "SIGTERM", "Ctrl-Break", ...), or null when nothing did.
const char* StopSignalName();

}  // namespace zephyr::hostapp
