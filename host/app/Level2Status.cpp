#include "host/app/Level2Status.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace zephyr::hostapp {

namespace {

// The driver's own texts (this file's literals are GBK in the program, as the driver's are).
constexpr const char* kLoadModule = "加载港股L2传输";
constexpr const char* kStartModule = "启动港股L2传输";
constexpr const char* kReleaseModule = "卸载港股L2传输";  // said before every load, with the path
constexpr const char* kIgnored = "忽略加载L2传输模块";
constexpr const char* kNoInterface = "加载L2传输模块接口失败";
constexpr const char* kLoaded = "加载L2传输成功";
constexpr const char* kStartFailed = "启动传输模块失败";
constexpr const char* kStarted = "启动传输模块成功";

// The text between the last "[" and the "]" after it.
std::string Bracketed(const char* text) {
    const char* open = strrchr(text, '[');
    const char* close = open != nullptr ? strchr(open, ']') : nullptr;
    return close != nullptr ? std::string(open + 1, close) : std::string();
}

}  // namespace

void NoteLevel2Log(const char* module, const char* text, Level2Report* report) {
    if (module == nullptr || text == nullptr) return;
    if (strcmp(module, kReleaseModule) == 0) {
        report->path = Bracketed(text);
    } else if (strcmp(module, kLoadModule) == 0) {
        if (strstr(text, kIgnored) != nullptr) {
            report->state = Level2Report::kNotLoaded;
            report->path = Bracketed(text);
            report->why = WhyNotLoadable(report->path);
        } else if (strstr(text, kNoInterface) != nullptr) {
            report->state = Level2Report::kNoInterface;
            report->why = "it lacks the exports of a level-2 module";
        } else if (strstr(text, kLoaded) != nullptr) {
            report->state = Level2Report::kStarted;  // confirmed by the start line that follows
            report->why.clear();
        }
    } else if (strcmp(module, kStartModule) == 0) {
        if (strstr(text, kStartFailed) != nullptr) {
            report->state = Level2Report::kStartFailed;
            const char* code = strstr(text, "= ");
            report->why = std::string("its BeginDriverWork answered ") + (code != nullptr ? code + 2 : "?");
        } else if (strstr(text, kStarted) != nullptr) {
            report->state = Level2Report::kStarted;
        }
    }
}

std::string WhyNotLoadable(const std::string& path) {
    if (path.empty()) return "no module file is named (TransModule is empty)";
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return strerror(errno);
    if (!S_ISREG(info.st_mode)) return "not a file";
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return strerror(errno);
    unsigned char head[5] = {};
    const size_t n = fread(head, 1, sizeof head, file);
    fclose(file);
    if (n < sizeof head || memcmp(head, "\x7f" "ELF", 4) != 0) return "not a shared library (no ELF header)";
    const unsigned char mine = sizeof(void*) == 8 ? 2 : 1;
    if (head[4] != mine) return head[4] == 1 ? "built for 32-bit programs" : "built for 64-bit programs";
    return "the dynamic loader refused it (ldd shows what it lacks)";
}

const char* Level2StateText(Level2Report::State state) {
    switch (state) {
        case Level2Report::kNotLoaded: return "NOT LOADED";
        case Level2Report::kNoInterface: return "NOT USABLE";
        case Level2Report::kStartFailed: return "DID NOT START";
        case Level2Report::kStarted: return "started";
        default: return "not reported by the driver";
    }
}

}  // namespace zephyr::hostapp
