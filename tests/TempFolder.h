// A fresh folder under the system's temporary folder for one test, removed with everything in
// it at the end. Standard C++ only, so the same tests run on every system.
#pragma once
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace zephyr::tests {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix) {
        namespace fs = std::filesystem;
        const fs::path base = fs::temp_directory_path();
        const auto seed = std::chrono::steady_clock::now().time_since_epoch().count();
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate =
                base / (prefix + std::to_string(seed) + "_" + std::to_string(attempt));
            std::error_code error;
            if (fs::create_directory(candidate, error)) {  // false: taken by another process
                m_Path = candidate.generic_string();
                return;
            }
            if (error) {
                throw std::runtime_error("cannot make " + candidate.string() + ": " + error.message());
            }
        }
        throw std::runtime_error("no free temporary folder name under " + base.string());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_Path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder, with "/" separators.
    const std::string& Path() const { return m_Path; }

private:
    std::string m_Path;
};

}  // namespace zephyr::tests
