// What the host's console adds around the driver's answers: the commands the driver's help
// leaves out, what may follow a command typed alone, and the price tables a table a line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/ConsoleGuide.h"
#include "host/ScratchFolder.h"
#include "tests/host/HostProgram.h"

using zephyr::hostkit::AsksPriceTables;
using zephyr::hostkit::GuideAfter;
using zephyr::hostkit::GuideBefore;
using zephyr::hostkit::PriceTablesOnLines;

namespace {

using Words = std::vector<std::string>;

// All lines as one text.
std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST(ConsoleGuide, NamesWhatTheDriversAnswersLeaveOut) {
    const struct {
        Words words;
        std::vector<std::string> before;  // texts the lines shown first must hold, in order
        std::vector<std::string> after;   // likewise for the lines shown after the driver's reply
    } cases[] = {
        {{"print"}, {"marketinfo", "pricetbl", "nametable n m", "data CODE"}, {}},
        {{"SHOW"}, {"show config", "show stat"}, {}},
        {{"l2cmd"}, {"l2cmd WORDS", "l2help"}, {}},
        {{"help"}, {}, {"l2help", "l2cmd WORDS", "quit"}},
        {{"Help"}, {}, {"l2help", "l2cmd WORDS", "quit"}},
        // Complete commands and help on one command get nothing from the host.
        {{"print", "pricetbl"}, {}, {}},
        {{"show", "stat"}, {}, {}},
        {{"l2cmd", "status"}, {}, {}},
        {{"help", "print"}, {}, {}},
        {{"printx"}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words[0] + (c.words.size() > 1 ? " " + c.words[1] : ""));
        for (const auto& [shown, expected] : {std::make_pair(Joined(GuideBefore(c.words)), c.before),
                                              std::make_pair(Joined(GuideAfter(c.words)), c.after)}) {
            EXPECT_EQ(shown.empty(), expected.empty()) << shown;
            size_t at = 0;
            for (const std::string& text : expected) {
                at = shown.find(text, at);
                ASSERT_NE(at, std::string::npos) << text << " in\n" << shown;
            }
        }
    }
}

// "价位代码:" in UTF-8, as the host's screen holds the driver's reply.
const std::string kLabel = "\xe4\xbb\xb7\xe4\xbd\x8d\xe4\xbb\xa3\xe7\xa0\x81:";

TEST(ConsoleGuide, PriceTablesAreShownATableALine) {
    EXPECT_TRUE(AsksPriceTables({"PRINT", "PriceTbl"}));
    EXPECT_TRUE(AsksPriceTables({"print", "pricetbl", "x"}));
    EXPECT_FALSE(AsksPriceTables({"print", "data", "00700"}));
    EXPECT_FALSE(AsksPriceTables({"pricetbl"}));

    // As the driver sends it: each table follows the last level of the one before.
    const std::string report = kLabel + "01\tL:10\tN:2\n10(1)\t250(5)\t" + kLabel + "02\tL:0\tN:0\n" + kLabel +
                               "03\tL:5\tN:1\n5(1)\t";
    EXPECT_EQ(PriceTablesOnLines(report), kLabel + "01\tL:10\tN:2\n10(1)\t250(5)\n" + kLabel + "02\tL:0\tN:0\n" +
                                              kLabel + "03\tL:5\tN:1\n5(1)\t");
    EXPECT_EQ(PriceTablesOnLines("no tables"), "no tables");
}

// Typed into a running host: the host's lines stand around the driver's own answers, which
// keep their words.
TEST(ConsoleGuide, TheHostsConsoleShowsThemAroundTheDriversAnswers) {
#ifdef _WIN32
    GTEST_SKIP() << "the operator's input is a POSIX shell pipe";
#endif
    zephyr::hostkit::ScratchFolder folder;
    int status = -1;
    const std::string screen = folder.Join("host.log");
    hosttest::Shell("printf 'help\\nprint\\nshow\\nl2cmd\\nprint pricetbl\\n' | " + hosttest::HostProgram() +
                        " demo --shares 50 --seconds 3 --dir " + folder.Join("demo") + " >" + screen + " 2>&1",
                    &status);
    const std::string shown = folder.ReadFile("host.log");
    // "暂不支持" and "不支持指令" in UTF-8: the driver still refuses what it always refused.
    const std::string not_yet = "\xe6\x9a\x82\xe4\xb8\x8d\xe6\x94\xaf\xe6\x8c\x81";
    const std::string not_supported = "\xe4\xb8\x8d\xe6\x94\xaf\xe6\x8c\x81\xe6\x8c\x87\xe4\xbb\xa4";
    const std::vector<std::string> in_order = {
        "updateclose", "l2help", "l2cmd WORDS", "quit",                          // help
        "print takes one of:", "print pricetbl", not_yet,                        // print
        "show takes one of:", "show stat", not_yet,                              // show
        "l2cmd takes the words", not_supported,                                  // l2cmd
        "\n" + kLabel, "\n" + kLabel, "\n" + kLabel,                             // print pricetbl
    };
    size_t at = 0;
    for (const std::string& text : in_order) {
        at = shown.find(text, at);
        ASSERT_NE(at, std::string::npos) << text << " in\n" << shown;
        at += text.size();
    }
}

}  // namespace
