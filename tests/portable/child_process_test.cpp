// An argument quoted for the command line reaches the program as written: the generator names an
// unknown option back, byte for byte.
#include <gtest/gtest.h>

#include "portable/ChildProcess.h"

namespace {

using zephyr::portable::QuoteArgument;

TEST(ChildProcess, QuotedArgumentsArriveAsWritten) {
    const std::string program =
        QuoteArgument(std::string(ZEPHYR_BINARY_DIR) + "/tools/zephyr-sampleday" + ZEPHYR_EXE_SUFFIX);
    // Each holds an even number of quotes: Windows' shell pairs them up to find the redirection.
    const char* const arguments[] = {
        "plain", "with space", "a\\b",
        "ends\\",               // a folder's trailing separator on Windows
        "two\\\\",
        "say \"hi\"", "a\\\"b\\\\\"c",
    };
    for (const char* argument : arguments) {
        int status = -1;
        // What follows must stay a separate argument, not be swallowed into this one.
        const std::string out =
            zephyr::portable::RunCapturingOutput(program + " " + QuoteArgument(argument) + " --help 2>&1", &status);
        EXPECT_EQ(status, 2) << argument;
        EXPECT_NE(out.find(std::string("unknown option ") + argument + "\n"), std::string::npos)
            << argument << "\n" << out;
    }
}

}  // namespace
