// Running the zephyr-host program from a test: its stdout, its exit status, and values read out
// of its JSON summary.
#pragma once
#include <cstdlib>
#include <string>

#include "portable/ChildProcess.h"

namespace hosttest {

inline std::string HostProgram() {
    return zephyr::portable::QuoteArgument(std::string(ZEPHYR_BINARY_DIR) + "/host/zephyr-host" + ZEPHYR_EXE_SUFFIX);
}

// Output of a shell command line (stdout only); `status` is the exit status.
inline std::string Shell(const std::string& command, int* status) {
    return zephyr::portable::RunCapturingOutput(command, status);
}

// Redirections of a command line: no input, and output dropped.
inline std::string NoInput() { return std::string(" <") + zephyr::portable::NullDevice(); }
inline std::string Dropped(const char* stream = "") {
    return std::string(" ") + stream + ">" + zephyr::portable::NullDevice();
}

// The value text of a key in the program's JSON (the first key of that name).
inline std::string Value(const std::string& json, const std::string& key) {
    const std::string label = "\"" + key + "\": ";
    const size_t at = json.find(label);
    if (at == std::string::npos) return "<missing>";
    const size_t from = at + label.size();
    // Windows ends the lines with "\r\n".
    const size_t end = json[from] == '"' ? json.find('"', from + 1) + 1 : json.find_first_of(",}\r\n", from);
    return json.substr(from, end - from);
}

inline uint64_t Number(const std::string& json, const std::string& key) {
    return std::strtoull(Value(json, key).c_str(), nullptr, 10);
}

}  // namespace hosttest
