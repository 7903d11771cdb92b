#include "portable/ChildProcess.h"

#include <stdio.h>
#include <sys/wait.h>

namespace zephyr::portable {

std::string RunCapturingOutput(const std::string& command, int* status) {
    std::string out;
    *status = -1;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = pclose(pipe);
    if (raw != -1 && WIFEXITED(raw)) *status = WEXITSTATUS(raw);
    return out;
}

const char* NullDevice() { return "/dev/null"; }

std::string QuoteArgument(const std::string& argument) {
    std::string quoted = "'";
    for (char c : argument) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

}  // namespace zephyr::portable
