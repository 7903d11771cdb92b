#include "host/ConsoleWords.h"

#include "portable/TextCodec.h"

namespace zephyr::hostkit {

std::vector<std::string> SplitConsoleWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false;
    bool any = false;  // a word has begun (an empty pair of quotes is an empty word)
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

std::string Utf8ToGbk(const std::string& utf8) { return portable::Utf8ToGbkTyped(utf8); }

}  // namespace zephyr::hostkit
