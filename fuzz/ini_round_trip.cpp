// An ini file as a hostile folder may hold it, read, then saved: the saved file read back holds
// the same sections, keys and values (every name that the saved text shows reads the same value
// from both), and the save leaves no temporary file behind. Comments may move between a line of
// their own and the end of their owner's line, as the fixed layout has it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "foundation/MException.h"
#include "foundation/MIniFile.h"
#include "foundation/MString.h"
#include "fuzz/FuzzFiles.h"
#include "portable/FileSystem.h"

using namespace zephyr;

namespace {

// Reads path into a new model; null when the model refused the file (an ownerless comment).
std::unique_ptr<MIniFile> Read(const std::string& path) {
    std::unique_ptr<MIniFile> ini(new MIniFile);
    try {
        if (ini->Open(MString(path.c_str()), MIniFile::kLineMode) != 1) abort();
    } catch (const MException&) {
        return nullptr;
    }
    return ini;
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// (section, key) of every key line of a saved file (fixed layout: "[name]" headers, comment lines
// starting with ";", key lines "name = value").
std::vector<std::pair<std::string, std::string>> SavedKeys(const std::string& text) {
    std::vector<std::pair<std::string, std::string>> keys;
    std::string section;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
        } else if (line.find('=') != std::string::npos) {
            keys.emplace_back(section, Trimmed(line.substr(0, line.find('='))));
        }
    }
    return keys;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzz::Folder() + "fuzz.ini";
    fuzz::WriteWhole(path, data, size);
    std::unique_ptr<MIniFile> first = Read(path);
    if (!first) return 0;
    // One change of its own, so that Save writes.
    if (first->WriteString(MString("fuzz"), MString("saved"), MString("yes")) != 1) return 0;
    if (first->Save() != 1 || first->IsModified()) abort();
    if (portable::Exists(path + ".tmp")) abort();
    const std::string saved = fuzz::ReadWhole(path);

    std::unique_ptr<MIniFile> again = Read(path);
    if (!again) abort();  // what Save wrote, Open must take
    if (again->GetSectionCount() != first->GetSectionCount()) abort();
    for (uint32_t s = 0; s < first->GetSectionCount(); ++s) {
        if (!(again->GetSectionName(s) == first->GetSectionName(s))) abort();
    }
    const MString missing("\x01missing");
    for (const auto& [section, key] : SavedKeys(saved)) {
        const MString was = first->ReadString(MString(section.c_str()), MString(key.c_str()), missing);
        const MString now = again->ReadString(MString(section.c_str()), MString(key.c_str()), missing);
        if (!(was == now)) {
            fprintf(stderr, "[%s] %s: saved \"%s\", read back \"%s\"\n", section.c_str(), key.c_str(), was.GetData(),
                    now.GetData());
            abort();
        }
    }
    return 0;
}
