#include "host/app/StdoutCapture.h"

#include <unistd.h>

#include <string>

#include "host/GbkText.h"
#include "host/app/ScreenText.h"
#include "host/app/Terminal.h"

namespace zephyr::hostapp {

FILE* StdoutCapture::Begin(bool json) {
    fflush(stdout);
    original_ = dup(STDOUT_FILENO);
    screen_ = json || original_ < 0 ? stderr : fdopen(original_, "w");
    if (screen_ == nullptr) screen_ = stderr;
    capturing_ = original_ >= 0 && pipe(pipe_) == 0;
    if (capturing_) {
        dup2(pipe_[1], STDOUT_FILENO);
        close(pipe_[1]);
    }
    return screen_;
}

void StdoutCapture::Show(Terminal* terminal) {
    terminal_ = terminal;
    if (capturing_) catcher_ = std::thread(&StdoutCapture::Catch, this);
}

void StdoutCapture::Catch() {
    std::string pending;
    char bytes[1024];
    auto show = [&](const std::string& line) {
        terminal_->Line(ClockText(true) + " OUT   stdout: " + TrimEnd(hostkit::GbkToUtf8(line)));
    };
    for (;;) {
        const ssize_t n = read(pipe_[0], bytes, sizeof bytes);
        if (n <= 0) break;
        pending.append(bytes, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            show(pending.substr(0, end));
        }
    }
    if (!pending.empty()) show(pending);
}

void StdoutCapture::End() {
    if (capturing_) {
        // Back to the real standard output; the catcher sees the pipe end and finishes.
        fflush(stdout);
        dup2(original_, STDOUT_FILENO);
        if (catcher_.joinable()) catcher_.join();
        close(pipe_[0]);
        capturing_ = false;
    }
}

void StdoutCapture::CloseScreen() {
    if (screen_ != nullptr && screen_ != stderr) {
        fclose(screen_);  // closes original_ too
    } else if (original_ >= 0) {
        close(original_);
    }
    screen_ = nullptr;
    original_ = -1;
}

}  // namespace zephyr::hostapp
