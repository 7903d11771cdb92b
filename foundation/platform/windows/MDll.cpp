#include "foundation/MDll.h"

#include <windows.h>

#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MText.h"

namespace zephyr {

int32_t MDll::NativeLoad(const char* path) {
    // A path with a folder in it ("./nimbus.dll") names a file from the working directory, as
    // dlopen takes it; given as it is, LoadLibraryA would look in the program's own folder
    // first. A bare name keeps the system's search.
    char full[MAX_PATH * 2];
    if (strpbrk(path, "/\\") != nullptr) {
        const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
        if (length > 0 && length < sizeof full) path = full;
    }
    HMODULE module = LoadLibraryA(path);
    if (module == nullptr) {
        const DWORD error = GetLastError();
        char text[sizeof(m_Error)] = {};
        const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                            nullptr, error, 0, text, sizeof(text) - 1, nullptr);
        // The system's text ends with a line break: not part of a log line.
        DWORD end = length;
        while (end > 0 && (text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == ' ')) --end;
        text[end] = 0;
        MText::Copy(m_Error, sizeof(m_Error), text);
        return SystemError(static_cast<uint32_t>(error != 0 ? error : ERROR_MOD_NOT_FOUND));
    }
    m_Handle = module;
    return 1;
}

void* MDll::NativeFunction(void* handle, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle), name));
}

void MDll::NativeRelease(void* handle) { FreeLibrary(static_cast<HMODULE>(handle)); }

}  // namespace zephyr
