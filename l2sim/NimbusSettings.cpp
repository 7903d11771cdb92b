#include "l2sim/NimbusSettings.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "portable/AsciiCase.h"
#include "portable/Library.h"

namespace zephyr::l2sim {

namespace {

constexpr const char* kKeys[] = {"Mktdt", "Rate",  "Batch",  "Compress", "Seed",
                                 "StartTime", "Limit", "Record", "Replay"};

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    const size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ReadNumber(const std::string& text, uint64_t max, uint64_t* out) {
    if (text.empty() || text[0] == '-') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value > max) return false;
    *out = value;
    return true;
}

}  // namespace

bool NimbusSettings::Set(const std::string& key, const std::string& value) {
    uint64_t n = 0;
    const char* k = key.c_str();
    if (portable::EqualsIgnoringCase(k, "Mktdt")) {
        mktdt = value;
    } else if (portable::EqualsIgnoringCase(k, "Record")) {
        record = value;
    } else if (portable::EqualsIgnoringCase(k, "Replay")) {
        replay = value;
    } else if (portable::EqualsIgnoringCase(k, "Rate")) {
        if (!ReadNumber(value, 10000000, &n)) return false;
        rate = static_cast<uint32_t>(n);
    } else if (portable::EqualsIgnoringCase(k, "Batch")) {
        if (!ReadNumber(value, kLargestBatch, &n) || n == 0) return false;
        batch = static_cast<uint32_t>(n);
    } else if (portable::EqualsIgnoringCase(k, "Compress")) {
        if (!ReadNumber(value, 1, &n)) return false;
        compress = n == 1;
    } else if (portable::EqualsIgnoringCase(k, "Seed")) {
        if (!ReadNumber(value, UINT64_MAX, &n)) return false;
        seed = n;
    } else if (portable::EqualsIgnoringCase(k, "StartTime")) {
        if (!ReadNumber(value, 235959, &n)) return false;
        start_time = static_cast<uint32_t>(n);
    } else if (portable::EqualsIgnoringCase(k, "Limit")) {
        if (!ReadNumber(value, UINT64_MAX, &n)) return false;
        limit = n;
    } else {
        return false;
    }
    return true;
}

NimbusSettings NimbusSettings::Load(const std::string& ini_path) {
    NimbusSettings settings;
    settings.ini_path = ini_path;
    std::ifstream in(ini_path);
    std::string line;
    bool in_feed = false;
    while (in && std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            in_feed = portable::EqualsIgnoringCase(line.c_str(), "[Feed]");
            continue;
        }
        const size_t eq = line.find('=');
        if (!in_feed || eq == std::string::npos) continue;
        settings.Set(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    for (const char* key : kKeys) {
        std::string name = "NIMBUS_";
        for (const char* c = key; *c != '\0'; ++c) name += static_cast<char>(toupper(*c));
        const char* value = getenv(name.c_str());
        if (value != nullptr) settings.Set(key, Trim(value));
    }
    return settings;
}

std::string NimbusSettings::DefaultIniPath(const void* address) {
    const char* forced = getenv("NIMBUS_INI");
    if (forced != nullptr && forced[0] != '\0') return forced;
    const std::string suffix = portable::LibrarySuffix();
    std::string path = portable::ModuleFileOf(address);
    if (path.empty()) path = "./nimbus" + suffix;
    if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
        path.resize(path.size() - suffix.size());
    }
    return path + ".ini";
}

}  // namespace zephyr::l2sim
