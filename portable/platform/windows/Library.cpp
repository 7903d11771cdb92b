// Libraries through LoadLibraryA and GetProcAddress; the export names of a DLL read from the
// export table of its PE file.
#include "portable/Library.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "portable/platform/windows/SystemError.h"

namespace zephyr::portable {

namespace {

void* AsAddress(FARPROC entry) {
    void* address = nullptr;
    std::memcpy(&address, &entry, sizeof address);
    return address;
}

// Little-endian reads that fail softly past the end of the file.
struct FileBytes {
    std::string bytes;
    bool ok = true;
    uint32_t U32(size_t at) {
        if (at > bytes.size() || bytes.size() - at < 4) {
            ok = false;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
        return value;
    }
    uint16_t U16(size_t at) {
        if (at > bytes.size() || bytes.size() - at < 2) {
            ok = false;
            return 0;
        }
        return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                     (static_cast<unsigned char>(bytes[at + 1]) << 8));
    }
};

}  // namespace

const char* LibrarySuffix() { return ".dll"; }

LoadedLibrary::LoadedLibrary(const std::string& path) {
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        m_Error = "LoadLibraryA " + path + ": " + SystemErrorText(GetLastError());
        return;
    }
    m_Handle = module;
}

LoadedLibrary::~LoadedLibrary() {
    if (m_Handle != nullptr) FreeLibrary(static_cast<HMODULE>(m_Handle));
}

void* LoadedLibrary::Symbol(const char* name) const {
    return m_Handle != nullptr ? AsAddress(GetProcAddress(static_cast<HMODULE>(m_Handle), name))
                               : nullptr;
}

void* ProgramHandle() { return GetModuleHandleA(nullptr); }

void* ProgramSymbol(const char* name) { return AsAddress(GetProcAddress(GetModuleHandleA(nullptr), name)); }

std::string ModuleFileOf(const void* address) {
    HMODULE module = nullptr;
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module) == 0) {
        return std::string();
    }
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(module, &path[0], static_cast<DWORD>(path.size()));
        if (n == 0) return std::string();
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool ExportedNames(const std::string& path, std::vector<std::string>* names) {
    names->clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    FileBytes file;
    file.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (file.U16(0) != 0x5A4D) return false;  // "MZ"
    const size_t pe = file.U32(0x3C);
    if (file.U32(pe) != 0x00004550) return false;  // "PE\0\0"
    const size_t coff = pe + 4;
    const uint16_t section_count = file.U16(coff + 2);
    const uint16_t optional_size = file.U16(coff + 16);
    const size_t optional = coff + 20;
    const uint16_t magic = file.U16(optional);
    if (magic != 0x10B && magic != 0x20B) return false;
    const size_t directories = optional + (magic == 0x10B ? 96 : 112);
    const uint32_t export_rva = file.U32(directories);
    const size_t sections = optional + optional_size;
    // The file offset of a relative virtual address, through the section that holds it.
    const auto offset_of = [&](uint32_t rva) -> size_t {
        for (uint16_t i = 0; i < section_count; ++i) {
            const size_t section = sections + static_cast<size_t>(i) * 40;
            const uint32_t size = file.U32(section + 8);
            const uint32_t start = file.U32(section + 12);
            const uint32_t raw = file.U32(section + 20);
            if (rva >= start && rva - start < size) return raw + (rva - start);
        }
        file.ok = false;
        return 0;
    };
    if (!file.ok) return false;
    if (export_rva == 0) return true;  // exports nothing
    const size_t table = offset_of(export_rva);
    const uint32_t name_count = file.U32(table + 24);
    if (name_count == 0) return file.ok;
    const size_t name_list = offset_of(file.U32(table + 32));
    for (uint32_t i = 0; file.ok && i < name_count; ++i) {
        const size_t at = offset_of(file.U32(name_list + static_cast<size_t>(i) * 4));
        if (!file.ok || at >= file.bytes.size()) return false;
        const size_t end = file.bytes.find('\0', at);
        if (end == std::string::npos) return false;
        names->push_back(file.bytes.substr(at, end - at));
    }
    return file.ok;
}

}  // namespace zephyr::portable
