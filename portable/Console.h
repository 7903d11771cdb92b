// The program's console: whether its output can take cursor control (a live status area), its
// width, key-by-key input without echo, input waited for with a time limit, and the operator's
// requests to stop (Ctrl-C, SIGTERM; on Windows the console's control events).
// One body per system in portable/platform/<system>/Console.cpp.
#pragma once
#include <cstddef>
#include <cstdio>

namespace zephyr::portable {

// Texts this program writes to a console on standard output or standard error are UTF-8. On
// Windows the console's output code page becomes UTF-8 until the program ends (or LeaveNow), and
// the C runtime hands the console the bytes as they are; nothing to do elsewhere. Call first
// thing in main, before any output.
void UseUtf8Console();

// True when `out` is a terminal that understands the cursor and colour sequences of a VT100
// ("\x1b[...A", "\x1b[J", "\x1b[7m"). On Windows that is a console that accepts virtual-terminal
// processing (switched on here until RestoreTerminal); a redirected stream or an older console
// answers no. Call once, before any output to it.
bool PrepareTerminalOutput(FILE* out);

// The width of the terminal behind `out` in columns, or 0 when it has none.
size_t TerminalColumns(FILE* out);

// True when standard input is a terminal (a console) that this program may switch to reading
// key by key.
bool InputIsTerminal();

// Standard input key by key and without echo; Ctrl-C still asks to stop. Cursor keys arrive as
// the sequences of a VT100 ("\x1b[A" ...), Enter as '\r', the end-of-input key (Ctrl-D; Ctrl-Z
// on Windows) as 0x04. False when the terminal refuses.
bool BeginKeyInput();
// The terminal as it was found: the input modes before BeginKeyInput, the output modes before
// PrepareTerminalOutput. Safe inside a signal handler and from any thread.
void RestoreTerminal();

// Waits at most `timeout_ms` for standard input and reads what is there (at most `size` bytes).
// Answers the count read (> 0), 0 at the end of input, or -1 when nothing came in time (or the
// read failed; the caller tries again).
long ReadInput(char* bytes, size_t size, int timeout_ms);

// The operator's requests to stop. The handler gets a short name of what asked ("Ctrl-C
// (SIGINT)", "SIGTERM", "Ctrl-Break", "the console window closing", ...). On POSIX it runs
// inside a signal handler (only atomic stores, RestoreTerminal and LeaveNow there); on Windows on
// a thread of the system's own.
using StopHandler = void (*)(const char* what);
void CatchStopRequests(StopHandler handler);
// The system's default behaviour again.
void ReleaseStopRequests();

// Ends the process at once with `status`, without running exit handlers or unloading
// libraries (a driver that does not stop must not hold the process). Safe in a signal handler.
[[noreturn]] void LeaveNow(int status);

}  // namespace zephyr::portable
