#include "host/app/StdoutCapture.h"

#include <unistd.h>

#include <string>

#include "host/GbkText.h"
#include "host/app/ScreenText.h"
#include "host/app/Terminal.h"

namespace zephyr::hostapp {

FILE* StdoutCapture::Begin(bool json) {
    fflush(stdout);
    m_Original = dup(STDOUT_FILENO);
    m_Screen = json || m_Original < 0 ? stderr : fdopen(m_Original, "w");
    if (m_Screen == nullptr) m_Screen = stderr;
    m_Capturing = m_Original >= 0 && pipe(m_Pipe) == 0;
    if (m_Capturing) {
        dup2(m_Pipe[1], STDOUT_FILENO);
        close(m_Pipe[1]);
    }
    return m_Screen;
}

void StdoutCapture::Show(Terminal* terminal) {
    m_Terminal = terminal;
    if (m_Capturing) m_Catcher = std::thread(&StdoutCapture::Catch, this);
}

void StdoutCapture::Catch() {
    std::string pending;
    char bytes[1024];
    auto show = [&](const std::string& line) {
        m_Terminal->Line(ClockText(true) + " OUT   stdout: " + TrimEnd(hostkit::GbkToUtf8(line)));
    };
    for (;;) {
        const ssize_t n = read(m_Pipe[0], bytes, sizeof bytes);
        if (n <= 0) break;
        pending.append(bytes, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            show(pending.substr(0, end));
        }
    }
    if (!pending.empty()) show(pending);
}

void StdoutCapture::End() {
    if (m_Capturing) {
        // Back to the real standard output; the catcher sees the pipe end and finishes.
        fflush(stdout);
        dup2(m_Original, STDOUT_FILENO);
        if (m_Catcher.joinable()) m_Catcher.join();
        close(m_Pipe[0]);
        m_Capturing = false;
    }
}

void StdoutCapture::CloseScreen() {
    if (m_Screen != nullptr && m_Screen != stderr) {
        fclose(m_Screen);  // closes m_Original too
    } else if (m_Original >= 0) {
        close(m_Original);
    }
    m_Screen = nullptr;
    m_Original = -1;
}

}  // namespace zephyr::hostapp
