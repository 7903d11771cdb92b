// Dynamic libraries: loading one by path and finding its exports (dlopen/dlsym; LoadLibraryA/
// GetProcAddress), the file of the module that holds an address, exports of the running program
// itself, and the export names a library file declares.
#pragma once
#include <string>
#include <vector>

namespace zephyr::portable {

// ".so" or ".dll".
const char* LibrarySuffix();

// A library loaded for the lifetime of the object (POSIX: RTLD_NOW | RTLD_LOCAL). Not copyable.
// One thread loads and unloads it; Symbol may be called from any thread while it is loaded.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const std::string& path);
    ~LoadedLibrary();  // unloads
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool IsLoaded() const { return m_Handle != nullptr; }
    // Why loading failed ("" when loaded).
    const std::string& Error() const { return m_Error; }
    // Address of an exported name, or null.
    void* Symbol(const char* name) const;

private:
    void* m_Handle = nullptr;
    std::string m_Error;
};

// The loader's handle of the running program itself (dlopen(NULL); GetModuleHandleA(NULL)).
void* ProgramHandle();

// An export of the running program's own executable (and, on POSIX, of what it loaded
// globally), or null: how a library finds an entry that its host offers.
void* ProgramSymbol(const char* name);

// The file of the loaded module (library or program) that holds `address`; "" when unknown.
std::string ModuleFileOf(const void* address);

// The names a library file exports (ELF dynamic symbols that are defined and global or weak;
// PE export table), read from the file itself. False when the file cannot be read or parsed.
bool ExportedNames(const std::string& path, std::vector<std::string>* names);

}  // namespace zephyr::portable
