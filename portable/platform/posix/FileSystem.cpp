#include "portable/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zephyr::portable {

namespace {

bool Fail(std::string* error, const char* what, const std::string& path) {
    if (error != nullptr) *error = std::string(what) + " " + path + ": " + std::strerror(errno);
    return false;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '/'; }

PathKind KindOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return PathKind::kMissing;
    if (S_ISDIR(info.st_mode)) return PathKind::kFolder;
    if (S_ISREG(info.st_mode)) return PathKind::kFile;
    return PathKind::kOther;
}

bool MakeFolder(const std::string& path, std::string* error) {
    return mkdir(path.c_str(), 0755) == 0 || Fail(error, "cannot create directory", path);
}

std::string TemporaryBase() {
    const char* tmp = getenv("TMPDIR");
    std::string base = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return base;
}

std::string MakeTemporaryFolder(const std::string& prefix, const std::string& base) {
    std::string pattern = (base.empty() ? TemporaryBase() : base) + "/" + prefix + "XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) return std::string();
    return pattern;
}

bool RemoveTree(const std::string& path) {
    struct stat info;
    if (lstat(path.c_str(), &info) != 0) return errno == ENOENT;
    if (S_ISDIR(info.st_mode)) {
        for (const std::string& name : FolderEntries(path)) RemoveTree(path + "/" + name);
        return rmdir(path.c_str()) == 0;
    }
    return unlink(path.c_str()) == 0;
}

std::vector<std::string> FolderEntries(const std::string& path) {
    std::vector<std::string> names;
    DIR* folder = opendir(path.c_str());
    if (folder == nullptr) return names;
    while (dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    closedir(folder);
    return names;
}

std::string WorkingFolder() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

bool ChangeWorkingFolder(const std::string& path, std::string* error) {
    return chdir(path.c_str()) == 0 || Fail(error, "cannot enter", path);
}

std::string CanonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool ReplaceFileBytes(const std::string& path, const std::string& bytes, std::string* error) {
    const std::string temp = path + ".part";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return Fail(error, "cannot create", temp);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            Fail(error, "cannot write", temp);
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        Fail(error, "cannot replace", path);
        unlink(temp.c_str());
        return false;
    }
    return true;
}

bool IsRunnable(const std::string& path) {
    return KindOf(path) == PathKind::kFile && access(path.c_str(), X_OK) == 0;
}

void MarkRunnable(const std::string& path) { chmod(path.c_str(), 0755); }

}  // namespace zephyr::portable
