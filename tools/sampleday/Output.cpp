#include "tools/sampleday/Output.h"

#include <cstdio>

#include "portable/FileSystem.h"

namespace zephyr::sampleday {

bool MakeDirectories(const std::string& path, std::string& error) {
    return portable::MakeFolders(path, &error);
}

bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& error) {
    return portable::ReplaceFileBytes(path, bytes, &error);
}

bool ReadFile(const std::string& path, std::string& bytes) {
    bytes.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

}  // namespace zephyr::sampleday
