#include "portable/ChildProcess.h"

#include <stdio.h>

namespace zephyr::portable {

std::string RunCapturingOutput(const std::string& command, int* status) {
    std::string out;
    *status = -1;
    // cmd.exe /c drops the first and the last quote of a line that begins with one: one more
    // pair keeps the quoted program name and arguments as written.
    FILE* pipe = _popen(("\"" + command + "\"").c_str(), "rb");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    *status = _pclose(pipe);
    return out;
}

const char* NullDevice() { return "NUL"; }

// The C runtime's rules for a program's arguments: backslashes are plain characters except
// before a quote, where 2n of them give n and end the quoting, and 2n+1 give n and a quote.
std::string QuoteArgument(const std::string& argument) {
    std::string quoted = "\"";
    size_t backslashes = 0;  // just written, not yet followed by anything else
    for (char c : argument) {
        if (c == '"') quoted.append(backslashes + 1, '\\');  // the run doubled, and the quote's own
        backslashes = c == '\\' ? backslashes + 1 : 0;
        quoted += c;
    }
    quoted.append(backslashes, '\\');  // doubled before the closing quote
    return quoted + "\"";
}

}  // namespace zephyr::portable
