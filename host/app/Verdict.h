// How a session ended, in words: the exit statuses of zephyr-host and what each one means.
#pragma once
#include "host/app/HostSession.h"

namespace zephyr::hostapp {

// One line per exit status, for the usage text and the summary.
const char* VerdictText(Verdict verdict);
// The table of every exit status, as the usage text prints it.
const char* ExitStatusTable();

}  // namespace zephyr::hostapp
