#include "host/app/StdoutCapture.h"

#include <string>

#include "host/GbkText.h"
#include "host/app/ScreenText.h"
#include "host/app/Terminal.h"

namespace zephyr::hostapp {

FILE* StdoutCapture::Begin(bool json) {
    m_Capturing = m_Capture.Begin();
    FILE* original = m_Capture.Original();
    return json || original == nullptr ? stderr : original;
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
    for (long n; (n = m_Capture.Read(bytes, sizeof bytes)) > 0;) {
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
        m_Capture.End();
        if (m_Catcher.joinable()) m_Catcher.join();
        m_Capturing = false;
    }
}

void StdoutCapture::CloseScreen() { m_Capture.CloseOriginal(); }

}  // namespace zephyr::hostapp
