#include "config/LibraryPath.h"

#include <dlfcn.h>

#include <cstring>
#include <string>

namespace zephyr {

IniPathResult IniPathForLibrary(const char* library_file, const char* suffix, MString* ini_path) {
    ini_path->Empty();
    if (library_file == nullptr || library_file[0] == '\0') return IniPathResult::kEmptyName;
    const size_t length = strlen(library_file);
    const size_t suffix_length = suffix != nullptr ? strlen(suffix) : 0;
    if (suffix_length == 0 || length <= suffix_length ||
        strcmp(library_file + length - suffix_length, suffix) != 0) {
        return IniPathResult::kNoSuffix;
    }
    std::string path(library_file, length - suffix_length);
    path += ".ini";
    ini_path->Assign(path.c_str());
    return IniPathResult::kOk;
}

MString LibraryFileOf(const void* address) {
    Dl_info info;
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return MString();
    }
    return MString(info.dli_fname);
}

}  // namespace zephyr
