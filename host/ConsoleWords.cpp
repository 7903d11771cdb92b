#include "host/ConsoleWords.h"

#include <iconv.h>

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

std::string Utf8ToGbk(const std::string& utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
    std::string out;
    char buffer[512];
    char* in = const_cast<char*>(utf8.data());
    size_t left = utf8.size();
    while (left > 0) {
        char* o = buffer;
        size_t room = sizeof buffer;
        const size_t r = iconv(cd, &in, &left, &o, &room);
        out.append(buffer, static_cast<size_t>(o - buffer));
        if (r == static_cast<size_t>(-1) && o == buffer) {
            // Not convertible here: one '?' for the whole UTF-8 character.
            out += '?';
            do {
                ++in;
                --left;
            } while (left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace zephyr::hostkit
