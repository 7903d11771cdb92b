#include "host/app/Terminal.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace zephyr::hostapp {

namespace {

constexpr char kPrompt[] = "zephyr> ";
constexpr size_t kHistory = 200;

termios g_saved;
bool g_saved_valid = false;

size_t Columns(FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 10) return size.ws_col;
    return 80;
}

// Decodes one UTF-8 character at `at`; returns its length (1 for a stray byte).
size_t NextChar(const std::string& text, size_t at, uint32_t* code) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (at + length > text.size()) length = 1;
    uint32_t value = length == 1 ? c : c & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) value = (value << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    *code = value;
    return length;
}

bool Wide(uint32_t code) {
    return (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
           (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
           (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0x20000 && code <= 0x3FFFD);
}

}  // namespace

size_t DisplayWidth(const std::string& utf8) {
    size_t width = 0;
    for (size_t at = 0; at < utf8.size();) {
        uint32_t code = 0;
        at += NextChar(utf8, at, &code);
        if (code >= 0x20) width += Wide(code) ? 2 : 1;
    }
    return width;
}

std::string FitWidth(const std::string& utf8, size_t columns) {
    size_t width = 0;
    size_t at = 0;
    while (at < utf8.size()) {
        uint32_t code = 0;
        const size_t length = NextChar(utf8, at, &code);
        const size_t w = code < 0x20 ? 0 : Wide(code) ? 2 : 1;
        if (width + w > columns) break;
        width += w;
        at += length;
    }
    return utf8.substr(0, at);
}

Terminal::Terminal(FILE* out) : out_(out) {
    status_area_ = isatty(fileno(out_)) != 0;
    editing_ = status_area_ && isatty(STDIN_FILENO) != 0;
    if (editing_ && tcgetattr(STDIN_FILENO, &g_saved) == 0) {
        g_saved_valid = true;
        termios raw = g_saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);  // Ctrl-C still raises SIGINT
        raw.c_cc[VMIN] = 0;
        raw.c_cc[VTIME] = 0;
        raw_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
        if (!raw_) editing_ = false;
    }
    if (status_area_) {
        std::lock_guard<std::mutex> lock(mutex_);
        DrawArea();
    }
}

Terminal::~Terminal() { Close(); }

void Terminal::RestoreFromSignal() {
    if (g_saved_valid) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
}

void Terminal::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return;
    closed_ = true;
    if (!partial_.empty()) {
        EraseArea();
        WriteOut(partial_ + "\n");
        partial_.clear();
    }
    EraseArea();
    if (raw_) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
    raw_ = false;
    fflush(out_);
}

void Terminal::StopEditing() {
    std::lock_guard<std::mutex> lock(mutex_);
    EraseArea();
    editing_ = false;
    DrawArea();
}

void Terminal::WriteOut(const std::string& text) { fwrite(text.data(), 1, text.size(), out_); }

void Terminal::EraseArea() {
    if (!status_area_ || drawn_ == 0) return;
    std::string seq = "\r";
    if (drawn_ > 1) seq += "\x1b[" + std::to_string(drawn_ - 1) + "A";
    seq += "\x1b[J";
    WriteOut(seq);
    drawn_ = 0;
}

void Terminal::DrawArea() {
    if (!status_area_ || closed_) return;
    const size_t columns = Columns(out_);
    std::string text;
    for (const std::string& line : status_) text += "\x1b[7m" + FitWidth(line, columns - 1) + "\x1b[0m\n";
    drawn_ = status_.size() + 1;
    if (editing_) {
        // Show the part of the line around the cursor that fits beside the prompt.
        const size_t room = columns - sizeof kPrompt;
        size_t from = 0;
        while (DisplayWidth(edit_.substr(from, cursor_ - from)) > room) {
            uint32_t code = 0;
            from += NextChar(edit_, from, &code);
        }
        const std::string shown = FitWidth(edit_.substr(from), room);
        text += std::string(kPrompt) + shown + "\x1b[K";
        const size_t column = sizeof kPrompt - 1 + DisplayWidth(edit_.substr(from, cursor_ - from));
        text += "\r";
        if (column > 0) text += "\x1b[" + std::to_string(column) + "C";
    }
    WriteOut(text);
    fflush(out_);
}

void Terminal::Line(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    EraseArea();
    WriteOut(text);
    if (text.empty() || text.back() != '\n') WriteOut("\n");
    DrawArea();
    fflush(out_);
}

void Terminal::Text(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (char c : text) {
        if (c != '\r') partial_ += c;
    }
    const size_t end = partial_.rfind('\n');
    if (end == std::string::npos) return;
    EraseArea();
    WriteOut(partial_.substr(0, end + 1));
    partial_.erase(0, end + 1);
    DrawArea();
    fflush(out_);
}

void Terminal::Flush() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (partial_.empty()) return;
    EraseArea();
    WriteOut(partial_ + "\n");
    partial_.clear();
    DrawArea();
    fflush(out_);
}

void Terminal::SetStatus(const std::vector<std::string>& lines) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!status_area_) return;
    EraseArea();
    status_ = lines;
    DrawArea();
}

void Terminal::EditKey(unsigned char c, std::string* done, bool* finished, bool* eof) {
    auto previous = [&](size_t at) {
        while (at > 0) {
            --at;
            if ((static_cast<unsigned char>(edit_[at]) & 0xC0) != 0x80) break;
        }
        return at;
    };
    auto next = [&](size_t at) {
        uint32_t code = 0;
        return at < edit_.size() ? at + NextChar(edit_, at, &code) : at;
    };
    if (!escape_.empty()) {
        escape_ += static_cast<char>(c);
        if (escape_.size() == 2 && c != '[' && c != 'O') {
            escape_.clear();
            return;
        }
        if (escape_.size() < 3 || (c >= '0' && c <= '9') || c == ';') return;
        const std::string seq = escape_.substr(2);
        escape_.clear();
        if (seq == "A" || seq == "B") {
            if (history_.empty()) return;
            if (seq == "A" && history_at_ > 0) --history_at_;
            if (seq == "B" && history_at_ < history_.size()) ++history_at_;
            edit_ = history_at_ < history_.size() ? history_[history_at_] : std::string();
            cursor_ = edit_.size();
        } else if (seq == "C") {
            cursor_ = next(cursor_);
        } else if (seq == "D") {
            cursor_ = previous(cursor_);
        } else if (seq == "H" || seq == "1~") {
            cursor_ = 0;
        } else if (seq == "F" || seq == "4~") {
            cursor_ = edit_.size();
        } else if (seq == "3~" && cursor_ < edit_.size()) {
            edit_.erase(cursor_, next(cursor_) - cursor_);
        }
        return;
    }
    switch (c) {
        case 0x1B: escape_ = "\x1b"; return;
        case '\r':
        case '\n':
            *done = edit_;
            *finished = true;
            if (!edit_.empty() && (history_.empty() || history_.back() != edit_)) {
                history_.push_back(edit_);
                if (history_.size() > kHistory) history_.erase(history_.begin());
            }
            history_at_ = history_.size();
            // Leave the typed line on the screen above the area, as a terminal would.
            EraseArea();
            WriteOut(std::string(kPrompt) + edit_ + "\n");
            edit_.clear();
            cursor_ = 0;
            return;
        case 0x7F:
        case 0x08:
            if (cursor_ > 0) {
                const size_t from = previous(cursor_);
                edit_.erase(from, cursor_ - from);
                cursor_ = from;
            }
            return;
        case 0x01: cursor_ = 0; return;             // Ctrl-A
        case 0x05: cursor_ = edit_.size(); return;  // Ctrl-E
        case 0x15: edit_.clear(); cursor_ = 0; return;  // Ctrl-U
        case 0x0C: return;                          // Ctrl-L: the redraw follows
        case 0x04:                                  // Ctrl-D
            if (edit_.empty()) *eof = true;
            return;
        default:
            if (c >= 0x20) {
                edit_.insert(cursor_, 1, static_cast<char>(c));
                ++cursor_;
            }
    }
}

bool Terminal::ReadLine(std::string* line, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        if (!editing_) {
            const size_t end = pending_input_.find('\n');
            if (end != std::string::npos) {
                *line = pending_input_.substr(0, end);
                pending_input_.erase(0, end + 1);
                if (!line->empty() && line->back() == '\r') line->pop_back();
                return true;
            }
        }
        char bytes[256];
        ssize_t n = 0;
        if (editing_ && !pending_input_.empty()) {
            // Keys typed (or pasted) behind a finished line.
            n = static_cast<ssize_t>(std::min(pending_input_.size(), sizeof bytes));
            memcpy(bytes, pending_input_.data(), static_cast<size_t>(n));
            pending_input_.erase(0, static_cast<size_t>(n));
        } else {
            pollfd input{STDIN_FILENO, POLLIN, 0};
            if (poll(&input, 1, 100) <= 0) continue;
            n = read(STDIN_FILENO, bytes, sizeof bytes);
            if (n < 0) continue;
            if (n == 0 && editing_) return false;
        }
        if (n == 0 && !editing_) {
            // End of input: a last line without its line end still counts.
            if (pending_input_.empty()) return false;
            *line = pending_input_;
            pending_input_.clear();
            return true;
        }
        if (!editing_) {
            pending_input_.append(bytes, static_cast<size_t>(n));
            continue;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        bool finished = false, eof = false;
        std::string done;
        ssize_t i = 0;
        for (; i < n && !finished && !eof; ++i) {
            EditKey(static_cast<unsigned char>(bytes[i]), &done, &finished, &eof);
        }
        pending_input_.insert(0, bytes + i, static_cast<size_t>(n - i));
        EraseArea();
        DrawArea();
        if (eof) return false;
        if (finished) {
            *line = done;
            return true;
        }
    }
    return false;
}

}  // namespace zephyr::hostapp
