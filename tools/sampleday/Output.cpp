#include "tools/sampleday/Output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zephyr::sampleday {
namespace {

std::string Failure(const char* what, const std::string& path) {
    return std::string(what) + " " + path + ": " + std::strerror(errno);
}

}  // namespace

bool MakeDirectories(const std::string& path, std::string& error) {
    if (path.empty()) {
        error = "empty directory name";
        return false;
    }
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && path[pos] != '/') continue;
        const std::string part = path.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
            error = Failure("cannot create directory", part);
            return false;
        }
    }
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "not a directory: " + path;
        return false;
    }
    return true;
}

bool ReplaceFile(const std::string& path, const std::string& bytes, std::string& error) {
    const std::string temp = path + ".part";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        error = Failure("cannot create", temp);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error = Failure("cannot write", temp);
            close(fd);
            unlink(temp.c_str());
            return false;
        }
        done += size_t(n);
    }
    if (close(fd) != 0 || rename(temp.c_str(), path.c_str()) != 0) {
        error = Failure("cannot replace", path);
        unlink(temp.c_str());
        return false;
    }
    return true;
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
