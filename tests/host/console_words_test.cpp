// Operator lines as the host's console hands them to the driver.
#include <gtest/gtest.h>

#include "host/ConsoleWords.h"

using zephyr::hostkit::SplitConsoleWords;
using zephyr::hostkit::Utf8ToGbk;

namespace {

TEST(ConsoleWords, SplitsAsAHostConsole) {
    const struct {
        const char* line;
        std::vector<std::string> words;
    } cases[] = {
        {"print data 00700", {"print", "data", "00700"}},
        {"  show\tstat  \r", {"show", "stat"}},
        {"", {}},
        {"   ", {}},
        {"l2cmd \"rate  5\" x", {"l2cmd", "rate  5", "x"}},
        {"help \"\"", {"help", ""}},
        {"a\"b c\"d", {"ab cd"}},
        {"print \"unclosed quote", {"print", "unclosed quote"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitConsoleWords(c.line), c.words) << c.line;
    }
}

TEST(ConsoleWords, OperatorTextReachesTheDriverInGbk) {
    // 港股 in UTF-8 becomes its two GBK characters; a character without a GBK form one '?'.
    EXPECT_EQ(Utf8ToGbk("print \xe6\xb8\xaf\xe8\x82\xa1"), "print \xb8\xdb\xb9\xc9");
    EXPECT_EQ(Utf8ToGbk("a\xf0\x9f\x98\x80z"), "a?z");
    EXPECT_EQ(Utf8ToGbk("ver"), "ver");
}

}  // namespace
