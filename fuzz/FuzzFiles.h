// File helpers of the fuzz targets whose readers take a path: one private folder per process,
// files written there whole, and read back whole.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "portable/FileSystem.h"

namespace zephyr::fuzz {

inline const std::string& Folder();

inline void RemoveFolder() { portable::RemoveTree(Folder()); }

// A fresh folder below TMPDIR (or /dev/shm, or /tmp), made once per process and removed at its exit, with
// its trailing '/'.
inline const std::string& Folder() {
    static const std::string folder = [] {
        // Memory-backed when there is such a folder: the readers' saves flush to the device.
        const char* base = getenv("TMPDIR");
        std::string made;
        if (base == nullptr || *base == '\0') made = portable::MakeTemporaryFolder("zephyr-fuzz-", "/dev/shm");
        if (made.empty()) made = portable::MakeTemporaryFolder("zephyr-fuzz-");
        if (made.empty()) abort();
        return made + "/";
    }();
    static const bool removed_at_exit = atexit(&RemoveFolder) == 0;
    (void)removed_at_exit;
    return folder;
}

// Writes size bytes as the whole file at path (replacing it).
inline void WriteWhole(const std::string& path, const uint8_t* data, size_t size) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file == nullptr) abort();
    if (size > 0 && fwrite(data, 1, size, file) != size) abort();
    fclose(file);
}

// The whole file at path ("" when it cannot be read).
inline std::string ReadWhole(const std::string& path) {
    std::string bytes;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr) return bytes;
    char block[4096];
    size_t n;
    while ((n = fread(block, 1, sizeof block, file)) > 0) bytes.append(block, n);
    fclose(file);
    return bytes;
}

}  // namespace zephyr::fuzz
