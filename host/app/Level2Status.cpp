#include "host/app/Level2Status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "portable/FileSystem.h"
#include "portable/Library.h"

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

uint32_t ReadLittle(const unsigned char* bytes, size_t count) {
    uint32_t value = 0;
    for (size_t i = count; i > 0; --i) value = (value << 8) | bytes[i - 1];
    return value;
}

}  // namespace

void NoteLevel2Log(const char* module, const char* text, Level2Report* report) {
    if (module == nullptr || text == nullptr) return;
    if (strcmp(module, kReleaseModule) == 0) {
        report->path = Bracketed(text);
    } else if (strcmp(module, kLoadModule) == 0) {
        if (strstr(text, kIgnored) != nullptr) {
            report->path = Bracketed(text);
            report->state = report->path.empty() ? Level2Report::kNoneNamed : Level2Report::kNotLoaded;
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
    const portable::PathKind kind = portable::KindOf(path);
    if (kind == portable::PathKind::kFolder || kind == portable::PathKind::kOther) return "not a file";
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return strerror(errno);
    unsigned char head[4096] = {};
    const size_t n = fread(head, 1, sizeof head, file);
    fclose(file);
    // The library formats: ELF (class byte 1 or 2) and PE ("MZ", then "PE\0\0" and the machine).
    const bool elf = n >= 5 && memcmp(head, "\x7f" "ELF", 4) == 0;
    const uint32_t pe_at = n >= 0x40 ? ReadLittle(head + 0x3C, 4) : 0;
    const bool pe = n >= 2 && memcmp(head, "MZ", 2) == 0 && pe_at < n && n - pe_at >= 6 &&
                    memcmp(head + pe_at, "PE\0\0", 4) == 0;
    const bool windows = strcmp(portable::LibrarySuffix(), ".dll") == 0;
    if (windows ? !pe : !elf) {
        if (elf) return "a Linux shared object, not a Windows DLL";
        if (pe) return "a Windows DLL, not a shared library of this system";
        return windows ? "not a DLL (no PE header)" : "not a shared library (no ELF header)";
    }
    const uint32_t machine = pe ? ReadLittle(head + pe_at + 4, 2) : 0;
    const int bits = elf ? (head[4] == 1 ? 32 : 64) : machine == 0x14C ? 32 : machine == 0x8664 ? 64 : 0;
    if (bits == 0) return "built for another processor";
    if (bits != static_cast<int>(sizeof(void*) * 8)) {
        return bits == 32 ? "built for 32-bit programs" : "built for 64-bit programs";
    }
    return windows ? "the system loader refused it (a DLL it needs may be missing)"
                   : "the dynamic loader refused it (ldd shows what it lacks)";
}

const char* Level2StateText(Level2Report::State state) {
    switch (state) {
        case Level2Report::kNoneNamed: return "none configured";
        case Level2Report::kNotLoaded: return "NOT LOADED";
        case Level2Report::kNoInterface: return "NOT USABLE";
        case Level2Report::kStartFailed: return "DID NOT START";
        case Level2Report::kStarted: return "started";
        default: return "not reported by the driver";
    }
}

}  // namespace zephyr::hostapp
