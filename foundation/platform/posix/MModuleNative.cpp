#include "foundation/MModule.h"

#include <dlfcn.h>
#include <link.h>
#include <limits.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace zephyr {

namespace {

// Directory of a module file, resolved to an absolute path when possible so that it stays
// valid when the working directory changes.
MString DirectoryOfModuleFile(const char* file) {
    if (file == nullptr || file[0] == 0) {
        return MString();
    }
    char* resolved = realpath(file, nullptr);
    MString directory = MModule::DirectoryOfPath(resolved != nullptr ? resolved : file);
    std::free(resolved);
    return directory;
}

MString ExecutableDirectory() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return MString();
    }
    path[length] = 0;
    return MModule::DirectoryOfPath(path);
}

}  // namespace

MString MModule::GetDirectory(void* module) {
    if (module == nullptr) {
        return ExecutableDirectory();
    }
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
        return MString();
    }
    // The main program's entry carries an empty name.
    if (map->l_name == nullptr || map->l_name[0] == 0) {
        return ExecutableDirectory();
    }
    return DirectoryOfModuleFile(map->l_name);
}

MString MModule::FileOf(const void* address) {
    Dl_info info;
    if (address == nullptr || dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        return MString();
    }
    return MString(info.dli_fname);
}

MString MModule::GetDirectoryOf(const void* address) {
    Dl_info info;
    link_map* map = nullptr;
    if (address == nullptr ||
        dladdr1(address, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0) {
        return MString();
    }
    // The main program's entry carries an empty name: ask the kernel for its file.
    if (map == nullptr || map->l_name == nullptr || map->l_name[0] == 0) {
        return ExecutableDirectory();
    }
    return DirectoryOfModuleFile(map->l_name);
}

}  // namespace zephyr
