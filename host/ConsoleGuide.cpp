#include "host/ConsoleGuide.h"

#include "portable/AsciiCase.h"

namespace zephyr::hostkit {

namespace {

using portable::EqualsIgnoringCase;

bool Alone(const std::vector<std::string>& words, const char* command) {
    return words.size() == 1 && EqualsIgnoringCase(words[0], command);
}

// The label that begins each table of the report: "价位代码:" in UTF-8 (this file's literals
// are turned into GBK by the build).
constexpr const char kTableLabel[] = "\xe4\xbb\xb7\xe4\xbd\x8d\xe4\xbb\xa3\xe7\xa0\x81:";

}  // namespace

std::vector<std::string> GuideBefore(const std::vector<std::string>& words) {
    if (Alone(words, "print")) {
        return {"(zephyr-host) print takes one of:",
                "print marketinfo [n]    the market, or its category n",
                "print pricetbl          the price tables",
                "print nametable n m     m names and codes from position n",
                "print data CODE         one instrument's snapshot"};
    }
    if (Alone(words, "show")) {
        return {"(zephyr-host) show takes one of:",
                "show config             the driver's settings",
                "show stat               the link counters"};
    }
    if (Alone(words, "l2cmd")) {
        return {"(zephyr-host) l2cmd takes the words of a command for the level-2 module:",
                "l2cmd WORDS             WORDS go to the module as one command; l2help lists what it takes"};
    }
    return {};
}

std::vector<std::string> GuideAfter(const std::vector<std::string>& words) {
    if (!Alone(words, "help")) return {};
    return {"l2help      the level-2 module's own help: the commands it takes",
            "l2cmd WORDS pass WORDS to the level-2 module as one command",
            "quit        (zephyr-host) stop the driver, check the replica, print the summary; also 'exit'"};
}

bool AsksPriceTables(const std::vector<std::string>& words) {
    return words.size() >= 2 && EqualsIgnoringCase(words[0], "print") && EqualsIgnoringCase(words[1], "pricetbl");
}

std::string PriceTablesOnLines(const std::string& report) {
    std::string shown;
    size_t from = 0;
    for (size_t at = report.find(kTableLabel); at != std::string::npos; at = report.find(kTableLabel, at + 1)) {
        shown.append(report, from, at - from);
        from = at;
        if (shown.empty() || shown.back() == '\n') continue;
        // The tab after the last level ends the line instead.
        if (shown.back() == '\t') shown.pop_back();
        shown += '\n';
    }
    shown.append(report, from, std::string::npos);
    return shown;
}

}  // namespace zephyr::hostkit
