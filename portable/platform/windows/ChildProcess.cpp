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

std::string QuoteArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char c : argument) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace zephyr::portable
