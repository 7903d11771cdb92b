#include "portable/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace zephyr::portable {

namespace {

// The console's output code page before UseUtf8Console (0: not changed).
std::atomic<UINT> g_output_page{0};
// What PrepareTerminalOutput and BeginKeyInput changed, for RestoreTerminal.
std::atomic<HANDLE> g_output{nullptr};
DWORD g_output_mode = 0;
std::atomic<bool> g_input_saved{false};
DWORD g_input_mode = 0;
std::atomic<StopHandler> g_handler{nullptr};
// Key input: bytes translated but not yet taken, and half of a surrogate pair. Input thread only.
std::string g_keys;
wchar_t g_high_surrogate = 0;

HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }

HANDLE HandleOf(FILE* stream) { return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))); }

void RestoreOutputPage() {
    const UINT page = g_output_page.exchange(0);
    if (page != 0) SetConsoleOutputCP(page);
}

void AppendUtf8(const wchar_t* text, int count, std::string* out) {
    char bytes[16];
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, count, bytes, sizeof bytes, nullptr, nullptr);
    if (n > 0) out->append(bytes, static_cast<size_t>(n));
}

// One key press as the bytes a VT100 terminal would send.
void TranslateKey(const KEY_EVENT_RECORD& key, std::string* out) {
    const wchar_t c = key.uChar.UnicodeChar;
    for (WORD repeat = std::max<WORD>(key.wRepeatCount, 1); repeat > 0; --repeat) {
        if (c == 0) {
            switch (key.wVirtualKeyCode) {
                case VK_UP: *out += "\x1b[A"; break;
                case VK_DOWN: *out += "\x1b[B"; break;
                case VK_RIGHT: *out += "\x1b[C"; break;
                case VK_LEFT: *out += "\x1b[D"; break;
                case VK_HOME: *out += "\x1b[H"; break;
                case VK_END: *out += "\x1b[F"; break;
                case VK_DELETE: *out += "\x1b[3~"; break;
                default: break;  // Shift, Ctrl and other keys without a character
            }
        } else if (c == 0x1A) {
            *out += '\x04';  // Ctrl-Z ends the input, as Ctrl-D does on a terminal
        } else if (c >= 0xD800 && c <= 0xDBFF) {
            g_high_surrogate = c;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            if (g_high_surrogate != 0) {
                const wchar_t pair[2] = {g_high_surrogate, c};
                AppendUtf8(pair, 2, out);
            }
            g_high_surrogate = 0;
        } else {
            AppendUtf8(&c, 1, out);
        }
    }
}

// Key mode: the console's key events, translated.
long ReadKeys(HANDLE input, char* bytes, size_t size, int timeout_ms) {
    if (g_keys.empty()) {
        if (WaitForSingleObject(input, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) return -1;
        INPUT_RECORD records[64];
        DWORD count = 0;
        if (!ReadConsoleInputW(input, records, 64, &count)) return -1;
        for (DWORD i = 0; i < count; ++i) {
            if (records[i].EventType == KEY_EVENT && records[i].Event.KeyEvent.bKeyDown) {
                TranslateKey(records[i].Event.KeyEvent, &g_keys);
            }
        }
        if (g_keys.empty()) return -1;  // focus, mouse or key-release events only
    }
    const size_t n = std::min(size, g_keys.size());
    g_keys.copy(bytes, n);
    g_keys.erase(0, n);
    return static_cast<long>(n);
}

// Line mode: the console's own line editing; read only once a whole line waits, so that the
// caller can give up waiting.
long ReadConsoleLine(HANDLE input, char* bytes, size_t size, int timeout_ms) {
    if (g_keys.empty()) {
        if (WaitForSingleObject(input, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0) return -1;
        INPUT_RECORD records[256];
        DWORD count = 0;
        bool line = false;
        if (PeekConsoleInputW(input, records, 256, &count)) {
            for (DWORD i = 0; i < count && !line; ++i) {
                const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
                line = records[i].EventType == KEY_EVENT && key.bKeyDown &&
                       (key.uChar.UnicodeChar == L'\r' || key.uChar.UnicodeChar == 0x1A);
            }
        }
        if (!line) {
            Sleep(static_cast<DWORD>(timeout_ms));  // a line is being typed
            return -1;
        }
        wchar_t text[512];
        DWORD read = 0;
        if (!ReadConsoleW(input, text, 512, &read, nullptr)) return -1;
        for (DWORD i = 0; i < read; ++i) {
            if (text[i] == 0x1A) return 0;  // Ctrl-Z and Enter: the end of input
        }
        AppendUtf8(text, static_cast<int>(read), &g_keys);
        if (g_keys.empty()) return -1;
    }
    const size_t n = std::min(size, g_keys.size());
    g_keys.copy(bytes, n);
    g_keys.erase(0, n);
    return static_cast<long>(n);
}

BOOL WINAPI OnControl(DWORD type) {
    const StopHandler handler = g_handler.load();
    if (handler == nullptr) return FALSE;
    switch (type) {
        case CTRL_C_EVENT: handler("Ctrl-C"); return TRUE;
        case CTRL_BREAK_EVENT: handler("Ctrl-Break"); return TRUE;
        case CTRL_CLOSE_EVENT: handler("the console window closing"); break;
        case CTRL_LOGOFF_EVENT: handler("the user logging off"); break;
        case CTRL_SHUTDOWN_EVENT: handler("the system shutting down"); break;
        default: return FALSE;
    }
    // The system ends the process as soon as this returns: give the session time to stop the
    // driver. The process's own exit ends this wait.
    Sleep(10000);
    return TRUE;
}

}  // namespace

void UseUtf8Console() {
    bool console = false;
    for (int fd : {1, 2}) {
        DWORD mode = 0;
        if (GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &mode)) {
            // In text mode the C runtime may convert the bytes on their way (Wine's does); the
            // console itself turns a line feed into a new line. Unbuffered, a character of
            // several bytes could reach the console in pieces, each shown as a wrong one.
            _setmode(fd, _O_BINARY);
            setvbuf(fd == 1 ? stdout : stderr, nullptr, _IOFBF, 1 << 14);
            console = true;
        }
    }
    if (!console || g_output_page.load() != 0) return;
    const UINT page = GetConsoleOutputCP();
    if (page == CP_UTF8 || !SetConsoleOutputCP(CP_UTF8)) return;
    g_output_page = page;
    atexit(&RestoreOutputPage);
}

bool PrepareTerminalOutput(FILE* out) {
    const HANDLE handle = HandleOf(out);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return false;
    if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) == 0 &&
        !SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        return false;  // a console without cursor sequences: plain lines
    }
    g_output_mode = mode;
    g_output.store(handle);
    return true;
}

size_t TerminalColumns(FILE* out) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(HandleOf(out), &info)) return 0;
    return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
}

bool InputIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(Input(), &mode) != 0;
}

bool BeginKeyInput() {
    DWORD mode = 0;
    if (!GetConsoleMode(Input(), &mode)) return false;
    DWORD keys = mode & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_MOUSE_INPUT |
                                            ENABLE_WINDOW_INPUT);
    keys |= ENABLE_PROCESSED_INPUT;  // Ctrl-C stays a control event
    g_input_mode = mode;
    g_input_saved = true;
    if (SetConsoleMode(Input(), keys)) return true;
    g_input_saved = false;
    return false;
}

void RestoreTerminal() {
    if (g_input_saved.exchange(false)) SetConsoleMode(Input(), g_input_mode);
    const HANDLE output = g_output.exchange(nullptr);
    if (output != nullptr) SetConsoleMode(output, g_output_mode);
}

long ReadInput(char* bytes, size_t size, int timeout_ms) {
    const HANDLE input = Input();
    if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;  // no standard input at all
    DWORD mode = 0;
    if (GetFileType(input) == FILE_TYPE_CHAR && GetConsoleMode(input, &mode)) {
        return (mode & ENABLE_LINE_INPUT) != 0 ? ReadConsoleLine(input, bytes, size, timeout_ms)
                                                : ReadKeys(input, bytes, size, timeout_ms);
    }
    const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 20));
    DWORD read = 0;
    if (GetFileType(input) == FILE_TYPE_PIPE) {
        // A pipe's read would block past the time limit: read only what is already there.
        DWORD available = 0;
        if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
            return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
        }
        if (available == 0) {
            Sleep(static_cast<DWORD>(std::min(timeout_ms, 50)));
            return -1;
        }
        if (!ReadFile(input, bytes, std::min(want, available), &read, nullptr)) return -1;
        return static_cast<long>(read);
    }
    // A file or a device: its read does not wait for anyone.
    if (!ReadFile(input, bytes, want, &read, nullptr)) {
        const DWORD error = GetLastError();
        return error == ERROR_HANDLE_EOF || error == ERROR_BROKEN_PIPE ? 0 : -1;
    }
    return static_cast<long>(read);
}

void CatchStopRequests(StopHandler handler) {
    g_handler = handler;
    SetConsoleCtrlHandler(&OnControl, TRUE);
}

void ReleaseStopRequests() {
    SetConsoleCtrlHandler(&OnControl, FALSE);
    g_handler = nullptr;
}

void LeaveNow(int status) {
    RestoreOutputPage();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    for (;;) Sleep(INFINITE);
}

}  // namespace zephyr::portable
