// A fresh temporary folder for one test scenario, removed with everything in it at the end.
// A driver copied into it finds its own ini file beside it, the test's own.
#pragma once
#include <string>

namespace zephyr::hostkit {

class ScratchFolder {
public:
    ScratchFolder();   // a new folder under the system's temporary folder
    ~ScratchFolder();  // removes the folder recursively
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_Path; }
    // Path of a name inside the folder.
    std::string Join(const std::string& name) const;
    // Copies a file into the folder (keeping its base name, or as `name`); returns the new path.
    std::string CopyIn(const std::string& source, const std::string& name = "") const;
    void WriteFile(const std::string& name, const std::string& bytes) const;
    // The file's bytes; `exists` false (and "") when it cannot be read.
    std::string ReadFile(const std::string& name, bool* exists = nullptr) const;
    bool Exists(const std::string& name) const;
    // Makes the folder the working directory of the process (relative paths of the driver's
    // defaults, such as "./holiday.ini", then resolve inside it).
    void EnterAsWorkingDirectory() const;

private:
    std::string m_Path;
};

// The built driver library (ZEPHYR_SO_PATH) copied into `folder`; returns the copy's path.
std::string CopyDriverInto(const ScratchFolder& folder, const std::string& so_path);

}  // namespace zephyr::hostkit
