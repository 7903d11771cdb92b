// What is the same on every system: MakeFolders over the per-system MakeFolder.
#include "portable/FileSystem.h"

namespace zephyr::portable {

bool MakeFolders(const std::string& path, std::string* error) {
    if (path.empty()) {
        if (error != nullptr) *error = "empty directory name";
        return false;
    }
    // Each prefix that ends before a separator (or at the end), from the first name on: the root
    // and a drive ("C:") already stand, and another maker may make a folder meanwhile.
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos != path.size() && !IsPathSeparator(path[pos])) continue;
        if (IsPathSeparator(path[pos - 1])) continue;
        const std::string part = path.substr(0, pos);
        if (!IsFolder(part) && !MakeFolder(part, error) && !IsFolder(part)) return false;
    }
    if (!IsFolder(path)) {
        if (error != nullptr) *error = "not a directory: " + path;
        return false;
    }
    return true;
}

}  // namespace zephyr::portable
