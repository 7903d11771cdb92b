// What the driver prints on the process's standard output is caught and shown like its log
// lines, so that it neither breaks the status area nor mixes with a JSON summary.
// Begin and End on the session's thread; the catching runs on a thread of its own.
#pragma once
#include <cstdio>
#include <thread>

#include "portable/OutputCapture.h"

namespace zephyr::hostapp {

class Terminal;

class StdoutCapture {
public:
    // Moves standard output into a pipe. Answers where the screen goes: stderr for a JSON
    // summary (standard output then holds only the summary), otherwise the real standard output.
    FILE* Begin(bool json);
    // Lines caught from now on go to `terminal` (which must outlive End).
    void Show(Terminal* terminal);
    // Standard output back, the last lines shown.
    void End();
    // Closes the screen stream from Begin, once nothing writes to it any more.
    void CloseScreen();

private:
    void Catch();

    Terminal* m_Terminal = nullptr;
    portable::OutputCapture m_Capture;
    bool m_Capturing = false;
    std::thread m_Catcher;
};

}  // namespace zephyr::hostapp
