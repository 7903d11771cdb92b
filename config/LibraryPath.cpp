#include "config/LibraryPath.h"

#include <cstring>
#include <string>


namespace zephyr {

IniPathResult IniPathForLibrary(const char* library_file, const char* suffix, MString* ini_path,
                                SuffixRule rule) {
    ini_path->Empty();
    if (library_file == nullptr || library_file[0] == '\0') return IniPathResult::kEmptyName;
    const size_t length = strlen(library_file);
    const size_t suffix_length = suffix != nullptr ? strlen(suffix) : 0;
    if (suffix_length == 0 || length <= suffix_length) return IniPathResult::kNoSuffix;
    size_t cut = length - suffix_length;
    if (rule == SuffixRule::kFirst) {
        const char* found = strstr(library_file + 1, suffix);
        if (found == nullptr) return IniPathResult::kNoSuffix;
        cut = static_cast<size_t>(found - library_file);
    } else if (strcmp(library_file + cut, suffix) != 0) {
        return IniPathResult::kNoSuffix;
    }
    std::string path(library_file, cut);
    path += ".ini";
    ini_path->Assign(path.c_str());
    return IniPathResult::kOk;
}

}  // namespace zephyr
