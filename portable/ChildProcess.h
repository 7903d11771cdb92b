// Running another program from a test or a tool: a command line through the system's shell,
// its standard output collected (popen; _popen).
#pragma once
#include <string>

namespace zephyr::portable {

// Runs `command` and returns what it wrote to standard output. `status` receives its exit
// status, or -1 when it did not exit normally (a signal) or could not be started.
std::string RunCapturingOutput(const std::string& command, int* status);

// The shell's name of the device that swallows output and gives no input ("/dev/null", "NUL").
const char* NullDevice();

// Quotes one argument for the shell's command line (single quotes; on Windows double quotes,
// with backslashes before a quote doubled as a program's argument parsing undoes them).
std::string QuoteArgument(const std::string& argument);

}  // namespace zephyr::portable
