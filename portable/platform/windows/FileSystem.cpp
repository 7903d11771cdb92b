// Folders and files through the ANSI Win32 calls; both '/' and '\' separate names.
#include "portable/FileSystem.h"

#include <windows.h>

#include <cstdio>

#include "portable/platform/windows/SystemError.h"

namespace zephyr::portable {

namespace {

bool Fail(std::string* error, const char* what, const std::string& path) {
    const DWORD code = GetLastError();
    if (error != nullptr) *error = std::string(what) + " " + path + ": " + SystemErrorText(code);
    return false;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

PathKind KindOf(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::kMissing;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return PathKind::kFolder;
    if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) return PathKind::kOther;
    return PathKind::kFile;
}

bool MakeFolder(const std::string& path, std::string* error) {
    return CreateDirectoryA(path.c_str(), nullptr) != 0 || Fail(error, "cannot create directory", path);
}

std::string TemporaryBase() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    std::string base = n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string(".");
    while (base.size() > 3 && IsPathSeparator(base.back())) base.pop_back();
    return base;
}

std::string MakeTemporaryFolder(const std::string& prefix, const std::string& base) {
    static volatile LONG counter = 0;
    const std::string parent = base.empty() ? TemporaryBase() : base;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "%lx%lx%lx", static_cast<unsigned long>(GetCurrentProcessId()),
                      static_cast<unsigned long>(GetTickCount()),
                      static_cast<unsigned long>(InterlockedIncrement(&counter)));
        const std::string path = parent + "/" + prefix + name;
        if (CreateDirectoryA(path.c_str(), nullptr) != 0) return path;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return std::string();
    }
    return std::string();
}

bool RemoveTree(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Nothing there; any other failure (access refused, a bad name) may leave something.
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesA(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return DeleteFileA(path.c_str()) != 0;
    // A link to a folder is removed itself, never what it points to.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        for (const std::string& name : FolderEntries(path)) RemoveTree(path + "/" + name);
    }
    return RemoveDirectoryA(path.c_str()) != 0;
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found) != 0);
    FindClose(search);
    return names;
}

std::string WorkingFolder() {
    const DWORD n = GetCurrentDirectoryA(0, nullptr);
    if (n == 0) return std::string();
    std::string folder(n, '\0');
    const DWORD written = GetCurrentDirectoryA(n, &folder[0]);
    folder.resize(written < n ? written : 0);
    return folder;
}

bool ChangeWorkingFolder(const std::string& path, std::string* error) {
    return SetCurrentDirectoryA(path.c_str()) != 0 || Fail(error, "cannot enter", path);
}

std::string CanonicalPath(const std::string& path) {
    if (!Exists(path)) return std::string();
    const DWORD n = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::string();
    std::string full(n, '\0');
    const DWORD written = GetFullPathNameA(path.c_str(), n, &full[0], nullptr);
    if (written == 0 || written >= n) return std::string();
    full.resize(written);
    return full;
}

bool ReplaceFileBytes(const std::string& path, const std::string& bytes, std::string* error) {
    const std::string temp = path + ".part";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail(error, "cannot create", temp);
    size_t done = 0;
    while (done < bytes.size()) {
        const DWORD part = bytes.size() - done > 0x40000000u ? 0x40000000u
                                                             : static_cast<DWORD>(bytes.size() - done);
        DWORD written = 0;
        if (WriteFile(file, bytes.data() + done, part, &written, nullptr) == 0 || written == 0) {
            Fail(error, "cannot write", temp);
            CloseHandle(file);
            DeleteFileA(temp.c_str());
            return false;
        }
        done += written;
    }
    if (CloseHandle(file) == 0 ||
        MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
        Fail(error, "cannot replace", path);
        DeleteFileA(temp.c_str());
        return false;
    }
    return true;
}

bool IsRunnable(const std::string& path) { return KindOf(path) == PathKind::kFile; }

void MarkRunnable(const std::string&) {}

}  // namespace zephyr::portable
