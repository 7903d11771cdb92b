// The sample-day generator program, as the level-2 end-to-end tests run it on every system.
#pragma once
#include <string>

#include "portable/ChildProcess.h"

namespace l2test {

inline std::string GeneratorProgram() {
    return std::string(ZEPHYR_BINARY_DIR) + "/tools/zephyr-sampleday" + ZEPHYR_EXE_SUFFIX;
}

// Runs the generator with `arguments` (its output dropped); its exit status, -1 when it did not
// run to its end.
inline int RunGenerator(const std::string& arguments) {
    int status = -1;
    zephyr::portable::RunCapturingOutput(zephyr::portable::QuoteArgument(GeneratorProgram()) + " " + arguments,
                                         &status);
    return status;
}

}  // namespace l2test
