#include "foundation/MModule.h"

namespace zephyr {

MString MModule::DirectoryOfPath(const char* path) {
    if (path == nullptr) {
        return MString();
    }
    const char* last = nullptr;
    for (const char* p = path; *p != 0; ++p) {
        if (*p == '/' || *p == '\\') {
            last = p;
        }
    }
    MString directory;
    if (last != nullptr) {
        directory.Assign(path);
        directory.SetAt(static_cast<uint32_t>(last - path + 1), 0);
    }
    return directory;
}

}  // namespace zephyr
