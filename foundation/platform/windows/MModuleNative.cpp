#include "foundation/MModule.h"

#include <windows.h>

namespace zephyr {

namespace {

// The module's full file name as the loader reports it; "" when it cannot be had.
MString ModuleFile(HMODULE module) {
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return MString();
    }
    path[length] = 0;
    return MString(path);
}

HMODULE ModuleOf(const void* address) {
    HMODULE module = nullptr;
    if (address == nullptr ||
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<const char*>(address), &module) == 0) {
        return nullptr;
    }
    return module;
}

}  // namespace

MString MModule::GetDirectory(void* module) {
    return DirectoryOfPath(ModuleFile(static_cast<HMODULE>(module)).GetData());
}

MString MModule::FileOf(const void* address) {
    HMODULE module = ModuleOf(address);
    return module != nullptr ? ModuleFile(module) : MString();
}

MString MModule::GetDirectoryOf(const void* address) { return DirectoryOfPath(FileOf(address).GetData()); }

}  // namespace zephyr
