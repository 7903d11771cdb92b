#include "host/app/Terminal.h"

#include <algorithm>
#include <cstring>

#include "portable/Console.h"

namespace zephyr::hostapp {

namespace {

constexpr char kPrompt[] = "zephyr> ";
constexpr size_t kHistory = 200;

size_t Columns(FILE* out) {
    const size_t columns = portable::TerminalColumns(out);
    return columns > 10 ? columns : 80;
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

Terminal::Terminal(FILE* out) : m_Out(out) {
    // A console that takes no cursor sequences (or output to a file or pipe) gets plain lines.
    m_StatusArea = portable::PrepareTerminalOutput(m_Out);
    m_Editing = m_StatusArea && portable::InputIsTerminal();
    if (m_Editing) {
        m_Raw = portable::BeginKeyInput();
        if (!m_Raw) m_Editing = false;
    }
    if (m_StatusArea) {
        std::lock_guard<std::mutex> lock(m_Mutex);
        DrawArea();
    }
}

Terminal::~Terminal() { Close(); }

void Terminal::RestoreFromSignal() { portable::RestoreTerminal(); }

void Terminal::Close() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Closed) return;
    m_Closed = true;
    if (!m_Partial.empty()) {
        EraseArea();
        WriteOut(m_Partial + "\n");
        m_Partial.clear();
    }
    EraseArea();
    fflush(m_Out);
    portable::RestoreTerminal();
    m_Raw = false;
}

void Terminal::StopEditing() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    EraseArea();
    m_Editing = false;
    DrawArea();
}

void Terminal::WriteOut(const std::string& text) { fwrite(text.data(), 1, text.size(), m_Out); }

void Terminal::EraseArea() {
    if (!m_StatusArea || m_Drawn == 0) return;
    std::string seq = "\r";
    if (m_Drawn > 1) seq += "\x1b[" + std::to_string(m_Drawn - 1) + "A";
    seq += "\x1b[J";
    WriteOut(seq);
    m_Drawn = 0;
}

void Terminal::DrawArea() {
    if (!m_StatusArea || m_Closed) return;
    const size_t columns = Columns(m_Out);
    std::string text;
    for (const std::string& line : m_Status) text += "\x1b[7m" + FitWidth(line, columns - 1) + "\x1b[0m\n";
    m_Drawn = m_Status.size() + 1;
    if (m_Editing) {
        // Show the part of the line around the cursor that fits beside the prompt.
        const size_t room = columns - sizeof kPrompt;
        size_t from = 0;
        while (DisplayWidth(m_Edit.substr(from, m_Cursor - from)) > room) {
            uint32_t code = 0;
            from += NextChar(m_Edit, from, &code);
        }
        const std::string shown = FitWidth(m_Edit.substr(from), room);
        text += std::string(kPrompt) + shown + "\x1b[K";
        const size_t column = sizeof kPrompt - 1 + DisplayWidth(m_Edit.substr(from, m_Cursor - from));
        text += "\r";
        if (column > 0) text += "\x1b[" + std::to_string(column) + "C";
    }
    WriteOut(text);
    fflush(m_Out);
}

void Terminal::Line(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    EraseArea();
    WriteOut(text);
    if (text.empty() || text.back() != '\n') WriteOut("\n");
    DrawArea();
    fflush(m_Out);
}

void Terminal::Text(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (char c : text) {
        if (c != '\r') m_Partial += c;
    }
    const size_t end = m_Partial.rfind('\n');
    if (end == std::string::npos) return;
    EraseArea();
    WriteOut(m_Partial.substr(0, end + 1));
    m_Partial.erase(0, end + 1);
    DrawArea();
    fflush(m_Out);
}

void Terminal::Flush() {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Partial.empty()) return;
    EraseArea();
    WriteOut(m_Partial + "\n");
    m_Partial.clear();
    DrawArea();
    fflush(m_Out);
}

void Terminal::SetStatus(const std::vector<std::string>& lines) {
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_StatusArea) return;
    EraseArea();
    m_Status = lines;
    DrawArea();
}

void Terminal::EditKey(unsigned char c, std::string* done, bool* finished, bool* eof) {
    auto previous = [&](size_t at) {
        while (at > 0) {
            --at;
            if ((static_cast<unsigned char>(m_Edit[at]) & 0xC0) != 0x80) break;
        }
        return at;
    };
    auto next = [&](size_t at) {
        uint32_t code = 0;
        return at < m_Edit.size() ? at + NextChar(m_Edit, at, &code) : at;
    };
    if (!m_Escape.empty()) {
        m_Escape += static_cast<char>(c);
        if (m_Escape.size() == 2 && c != '[' && c != 'O') {
            m_Escape.clear();
            return;
        }
        if (m_Escape.size() < 3 || (c >= '0' && c <= '9') || c == ';') return;
        const std::string seq = m_Escape.substr(2);
        m_Escape.clear();
        if (seq == "A" || seq == "B") {
            if (m_History.empty()) return;
            if (seq == "A" && m_HistoryAt > 0) --m_HistoryAt;
            if (seq == "B" && m_HistoryAt < m_History.size()) ++m_HistoryAt;
            m_Edit = m_HistoryAt < m_History.size() ? m_History[m_HistoryAt] : std::string();
            m_Cursor = m_Edit.size();
        } else if (seq == "C") {
            m_Cursor = next(m_Cursor);
        } else if (seq == "D") {
            m_Cursor = previous(m_Cursor);
        } else if (seq == "H" || seq == "1~") {
            m_Cursor = 0;
        } else if (seq == "F" || seq == "4~") {
            m_Cursor = m_Edit.size();
        } else if (seq == "3~" && m_Cursor < m_Edit.size()) {
            m_Edit.erase(m_Cursor, next(m_Cursor) - m_Cursor);
        }
        return;
    }
    switch (c) {
        case 0x1B: m_Escape = "\x1b"; return;
        case '\r':
        case '\n':
            *done = m_Edit;
            *finished = true;
            if (!m_Edit.empty() && (m_History.empty() || m_History.back() != m_Edit)) {
                m_History.push_back(m_Edit);
                if (m_History.size() > kHistory) m_History.erase(m_History.begin());
            }
            m_HistoryAt = m_History.size();
            // Leave the typed line on the screen above the area, as a terminal would.
            EraseArea();
            WriteOut(std::string(kPrompt) + m_Edit + "\n");
            m_Edit.clear();
            m_Cursor = 0;
            return;
        case 0x7F:
        case 0x08:
            if (m_Cursor > 0) {
                const size_t from = previous(m_Cursor);
                m_Edit.erase(from, m_Cursor - from);
                m_Cursor = from;
            }
            return;
        case 0x01: m_Cursor = 0; return;             // Ctrl-A
        case 0x05: m_Cursor = m_Edit.size(); return;  // Ctrl-E
        case 0x15: m_Edit.clear(); m_Cursor = 0; return;  // Ctrl-U
        case 0x0C: return;                          // Ctrl-L: the redraw follows
        case 0x04:                                  // Ctrl-D
            if (m_Edit.empty()) *eof = true;
            return;
        default:
            if (c >= 0x20) {
                m_Edit.insert(m_Cursor, 1, static_cast<char>(c));
                ++m_Cursor;
            }
    }
}

bool Terminal::ReadLine(std::string* line, const std::atomic<bool>& stop) {
    while (!stop.load()) {
        if (!m_Editing) {
            const size_t end = m_PendingInput.find('\n');
            if (end != std::string::npos) {
                *line = m_PendingInput.substr(0, end);
                m_PendingInput.erase(0, end + 1);
                if (!line->empty() && line->back() == '\r') line->pop_back();
                return true;
            }
        }
        char bytes[256];
        long n = 0;
        if (m_Editing && !m_PendingInput.empty()) {
            // Keys typed (or pasted) behind a finished line.
            n = static_cast<long>(std::min(m_PendingInput.size(), sizeof bytes));
            memcpy(bytes, m_PendingInput.data(), static_cast<size_t>(n));
            m_PendingInput.erase(0, static_cast<size_t>(n));
        } else {
            n = portable::ReadInput(bytes, sizeof bytes, 100);
            if (n < 0) continue;
            if (n == 0 && m_Editing) return false;
        }
        if (n == 0 && !m_Editing) {
            // End of input: a last line without its line end still counts.
            if (m_PendingInput.empty()) return false;
            *line = m_PendingInput;
            m_PendingInput.clear();
            return true;
        }
        if (!m_Editing) {
            m_PendingInput.append(bytes, static_cast<size_t>(n));
            continue;
        }
        std::lock_guard<std::mutex> lock(m_Mutex);
        bool finished = false, eof = false;
        std::string done;
        long i = 0;
        for (; i < n && !finished && !eof; ++i) {
            EditKey(static_cast<unsigned char>(bytes[i]), &done, &finished, &eof);
        }
        m_PendingInput.insert(0, bytes + i, static_cast<size_t>(n - i));
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
