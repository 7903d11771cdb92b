#include "portable/Console.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>

namespace zephyr::portable {

namespace {

termios g_saved;
volatile sig_atomic_t g_saved_valid = 0;
StopHandler g_handler = nullptr;

void OnSignal(int number) {
    if (g_handler == nullptr) return;
    g_handler(number == SIGINT ? "Ctrl-C (SIGINT)" : number == SIGTERM ? "SIGTERM" : "a signal");
}

}  // namespace

// A terminal takes the bytes as they are; UTF-8 is the locale's business.
void UseUtf8Console() {}

bool PrepareTerminalOutput(FILE* out) { return isatty(fileno(out)) != 0; }

size_t TerminalColumns(FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0) return size.ws_col;
    return 0;
}

bool InputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool BeginKeyInput() {
    termios saved;
    if (tcgetattr(STDIN_FILENO, &saved) != 0) return false;
    termios raw = saved;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);  // ISIG stays: Ctrl-C still raises SIGINT
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    g_saved = saved;
    g_saved_valid = 1;
    if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0) return true;
    g_saved_valid = 0;
    return false;
}

void RestoreTerminal() {
    if (g_saved_valid) tcsetattr(STDIN_FILENO, TCSANOW, &g_saved);
}

long ReadInput(char* bytes, size_t size, int timeout_ms) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, timeout_ms) <= 0) return -1;
    const ssize_t n = read(STDIN_FILENO, bytes, size);
    return n < 0 ? -1 : static_cast<long>(n);
}

void CatchStopRequests(StopHandler handler) {
    g_handler = handler;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &OnSignal;
    // Reads and waits elsewhere in the process (the output forwarding) go on after the handler.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void ReleaseStopRequests() {
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    g_handler = nullptr;
}

void LeaveNow(int status) { _exit(status); }

}  // namespace zephyr::portable
