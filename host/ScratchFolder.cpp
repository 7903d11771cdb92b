#include "host/ScratchFolder.h"

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace zephyr::hostkit {

namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path);
    return 0;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

ScratchFolder::ScratchFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                          "/zephyr-test-XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
    m_Path = pattern;
}

ScratchFolder::~ScratchFolder() {
    nftw(m_Path.c_str(), &RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

std::string ScratchFolder::Join(const std::string& name) const { return m_Path + "/" + name; }

std::string ScratchFolder::CopyIn(const std::string& source, const std::string& name) const {
    std::string target = Join(name.empty() ? BaseName(source) : name);
    std::ifstream in(source, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + source);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    chmod(target.c_str(), 0755);
    return target;
}

void ScratchFolder::WriteFile(const std::string& name, const std::string& bytes) const {
    std::string target = Join(name);
    size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) {
        // Create the intermediate folders.
        for (size_t i = name.find('/'); i != std::string::npos; i = name.find('/', i + 1)) {
            mkdir(Join(name.substr(0, i)).c_str(), 0755);
        }
    }
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ScratchFolder::ReadFile(const std::string& name, bool* exists) const {
    std::ifstream in(Join(name), std::ios::binary);
    if (exists != nullptr) *exists = static_cast<bool>(in);
    if (!in) return std::string();
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool ScratchFolder::Exists(const std::string& name) const {
    struct stat info;
    return stat(Join(name).c_str(), &info) == 0;
}

void ScratchFolder::EnterAsWorkingDirectory() const {
    if (chdir(m_Path.c_str()) != 0) throw std::runtime_error("chdir failed");
}

std::string CopyDriverInto(const ScratchFolder& folder, const std::string& so_path) {
    return folder.CopyIn(so_path);
}

}  // namespace zephyr::hostkit
