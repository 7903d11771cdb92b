#include "host/ScratchFolder.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "portable/FileSystem.h"

namespace zephyr::hostkit {

namespace {

std::string BaseName(const std::string& path) {
    size_t slash = path.size();
    while (slash > 0 && !portable::IsPathSeparator(path[slash - 1])) --slash;
    return path.substr(slash);
}

}  // namespace

ScratchFolder::ScratchFolder() : m_Path(portable::MakeTemporaryFolder("zephyr-test-")) {
    if (m_Path.empty()) throw std::runtime_error("cannot create a temporary folder");
}

ScratchFolder::~ScratchFolder() {
    // A folder that is the working folder stays on Windows: step out of it first.
    const std::string folder = portable::CanonicalPath(m_Path);
    if (!folder.empty() && portable::WorkingFolder().compare(0, folder.size(), folder) == 0) {
        portable::ChangeWorkingFolder(portable::TemporaryBase());
    }
    portable::RemoveTree(m_Path);
}

std::string ScratchFolder::Join(const std::string& name) const { return m_Path + "/" + name; }

std::string ScratchFolder::CopyIn(const std::string& source, const std::string& name) const {
    std::string target = Join(name.empty() ? BaseName(source) : name);
    std::ifstream in(source, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + source);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << in.rdbuf();
    out.close();
    portable::MarkRunnable(target);
    return target;
}

void ScratchFolder::WriteFile(const std::string& name, const std::string& bytes) const {
    std::string target = Join(name);
    const size_t slash = name.find_last_of('/');
    if (slash != std::string::npos) portable::MakeFolders(Join(name.substr(0, slash)));
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

bool ScratchFolder::Exists(const std::string& name) const { return portable::Exists(Join(name)); }

void ScratchFolder::EnterAsWorkingDirectory() const {
    std::string error;
    if (!portable::ChangeWorkingFolder(m_Path, &error)) throw std::runtime_error(error);
}

std::string CopyDriverInto(const ScratchFolder& folder, const std::string& so_path) {
    return folder.CopyIn(so_path);
}

}  // namespace zephyr::hostkit
