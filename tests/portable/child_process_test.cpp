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
        // The whole argument up to the line's end ("\r\n" on Windows).
        const std::string named = std::string("unknown option ") + argument;
        const size_t at = out.find(named);
        ASSERT_NE(at, std::string::npos) << argument << "\n" << out;
        EXPECT_TRUE(out.compare(at + named.size(), 1, "\n") == 0 || out.compare(at + named.size(), 2, "\r\n") == 0)
            << argument << "\n" << out;
    }
}

}  // namespace
