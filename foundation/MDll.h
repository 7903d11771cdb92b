// Holds a dynamic library loaded by the system's loader (dlopen, LoadLibraryA); releasing it
// (also on destruction) closes the library once and forgets the handle.
#pragma once
#include <cstdint>

namespace zephyr {

class MDll {
public:
    MDll() : m_Handle(nullptr) { m_Error[0] = 0; }
    ~MDll() { Release(); }
    MDll(const MDll&) = delete;
    MDll& operator=(const MDll&) = delete;

    // Releases any held library, then loads path (POSIX: RTLD_NOW | RTLD_LOCAL). 1 on success;
    // a null or empty path: ERR_BAD_ARGUMENT; otherwise SystemError(the system's error number:
    // errno, or ENOENT when the loader set none; GetLastError on Windows). GetError then tells
    // the loader's reason.
    int32_t Load(const char* path);
    // Address of an exported symbol, or null (also when nothing is loaded).
    void* GetFunction(const char* name) const;
    void Release();
    bool IsLoaded() const { return m_Handle != nullptr; }
    void* GetHandle() const { return m_Handle; }
    // The loader's text for the last failed Load ("" when none).
    const char* GetError() const { return m_Error; }

private:
    // The system's loader, one body per system: loads path (checked, nothing held), or answers
    // its negative error with the loader's text in m_Error.
    int32_t NativeLoad(const char* path);
    static void* NativeFunction(void* handle, const char* name);
    static void NativeRelease(void* handle);

    void* m_Handle;
    char m_Error[256];
};

}  // namespace zephyr
