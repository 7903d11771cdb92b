// Running the zephyr-host program from a test: its stdout, its exit status, and values read out
// of its JSON summary.
#pragma once
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace hosttest {

inline std::string HostProgram() { return std::string(ZEPHYR_BINARY_DIR) + "/host/zephyr-host"; }

// Output of a shell command line (stdout only); `status` is the exit status.
inline std::string Shell(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    const int raw = pclose(pipe);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

// The value text of a key in the program's JSON (the first key of that name).
inline std::string Value(const std::string& json, const std::string& key) {
    const std::string label = "\"" + key + "\": ";
    const size_t at = json.find(label);
    if (at == std::string::npos) return "<missing>";
    const size_t from = at + label.size();
    const size_t end = json[from] == '"' ? json.find('"', from + 1) + 1 : json.find_first_of(",}\n", from);
    return json.substr(from, end - from);
}

inline uint64_t Number(const std::string& json, const std::string& key) {
    return std::strtoull(Value(json, key).c_str(), nullptr, 10);
}

}  // namespace hosttest
