#include "portable/Library.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace zephyr::portable {

const char* LibrarySuffix() { return ".so"; }

LoadedLibrary::LoadedLibrary(const std::string& path) {
    m_Handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_Handle == nullptr) {
        const char* reason = dlerror();
        m_Error = reason != nullptr ? reason : "dlopen failed";
    }
}

LoadedLibrary::~LoadedLibrary() {
    if (m_Handle != nullptr) dlclose(m_Handle);
}

void* LoadedLibrary::Symbol(const char* name) const {
    return m_Handle != nullptr ? dlsym(m_Handle, name) : nullptr;
}

void* ProgramHandle() { return dlopen(nullptr, RTLD_NOW); }

void* ProgramSymbol(const char* name) { return dlsym(RTLD_DEFAULT, name); }

std::string ModuleFileOf(const void* address) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return std::string();
    return info.dli_fname;
}

bool ExportedNames(const std::string& path, std::vector<std::string>* names) {
    names->clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ElfW(Ehdr) header;
    if (file.size() < sizeof header) return false;
    std::memcpy(&header, file.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] !=
#if __SIZEOF_POINTER__ == 8
        ELFCLASS64
#else
        ELFCLASS32
#endif
        || header.e_shoff > file.size() ||
        static_cast<size_t>(header.e_shnum) * sizeof(ElfW(Shdr)) > file.size() - header.e_shoff) {
        return false;
    }
    std::vector<ElfW(Shdr)> sections(header.e_shnum);
    std::memcpy(sections.data(), file.data() + header.e_shoff, sections.size() * sizeof(ElfW(Shdr)));
    for (const ElfW(Shdr)& section : sections) {
        if (section.sh_type != SHT_DYNSYM || section.sh_link >= sections.size()) continue;
        const ElfW(Shdr)& strings = sections[section.sh_link];
        if (section.sh_offset > file.size() || section.sh_size > file.size() - section.sh_offset ||
            strings.sh_offset > file.size() || strings.sh_size > file.size() - strings.sh_offset) {
            return false;
        }
        for (size_t at = section.sh_offset; at + sizeof(ElfW(Sym)) <= section.sh_offset + section.sh_size;
             at += sizeof(ElfW(Sym))) {
            ElfW(Sym) symbol;
            std::memcpy(&symbol, file.data() + at, sizeof symbol);
            const int binding = ELF32_ST_BIND(symbol.st_info);  // same bits in both classes
            if (symbol.st_shndx == SHN_UNDEF || (binding != STB_GLOBAL && binding != STB_WEAK)) continue;
            if (symbol.st_name >= strings.sh_size) return false;
            const char* name = file.data() + strings.sh_offset + symbol.st_name;
            names->emplace_back(name, strnlen(name, strings.sh_size - symbol.st_name));
        }
    }
    return true;
}

}  // namespace zephyr::portable
