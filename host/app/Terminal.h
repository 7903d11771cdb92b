// The host program's screen: log lines and console replies scroll, and when stdout is a terminal
// (on Windows: a console that takes cursor sequences) a live status area and the operator's
// prompt stay below them; otherwise plain lines. Input lines come from a simple
// line editor (history, cursor keys) when both ends are terminals, else plain lines from stdin.
// Every output call is thread-safe. Texts are UTF-8; this program's own literals stay ASCII (the
// build turns literals into GBK).
#pragma once
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace zephyr::hostapp {

class Terminal {
public:
    // `out` receives every text (stdout, or stderr when stdout carries the JSON summary).
    explicit Terminal(FILE* out);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Live status area and line editor: only when the output and stdin are terminals.
    bool StatusArea() const { return m_StatusArea; }
    bool Editing() const { return m_Editing; }

    // One line of text (UTF-8); the line end is added when missing.
    void Line(const std::string& text);
    // Console text as it comes, possibly without a line end; Flush ends a partial line.
    void Text(const std::string& text);
    void Flush();
    // Replaces the status area (a few lines, each cut to the terminal width).
    void SetStatus(const std::vector<std::string>& lines);
    // No more input is read: the prompt goes away.
    void StopEditing();
    // Clears the status area and leaves the terminal as it was found.
    void Close();

    // Puts the terminal back as it was found; safe inside a signal handler.
    static void RestoreFromSignal();

    // Reads one operator line. False on end of input, or when `stop` was raised.
    bool ReadLine(std::string* line, const std::atomic<bool>& stop);

private:
    void EraseArea();
    void DrawArea();
    void WriteOut(const std::string& text);
    void EditKey(unsigned char c, std::string* done, bool* finished, bool* eof);

    FILE* m_Out;
    std::mutex m_Mutex;
    bool m_StatusArea = false;
    bool m_Editing = false;
    bool m_Raw = false;
    bool m_Closed = false;
    std::vector<std::string> m_Status;
    size_t m_Drawn = 0;        // lines of the area on screen, prompt included
    std::string m_Partial;     // console text waiting for its line end
    std::string m_Edit;        // the line being edited
    size_t m_Cursor = 0;       // byte position in m_Edit
    std::vector<std::string> m_History;
    size_t m_HistoryAt = 0;
    std::string m_Escape;      // an escape sequence being read
    std::string m_PendingInput;  // plain mode: bytes read past a line end
};

// Display width of UTF-8 text (wide East Asian characters count two).
size_t DisplayWidth(const std::string& utf8);
// The longest prefix of UTF-8 text that fits in `columns`.
std::string FitWidth(const std::string& utf8, size_t columns);

}  // namespace zephyr::hostapp
