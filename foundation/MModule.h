// File and directory of a loaded module: the directory is the text of its absolute file path up to
// and including the last separator ("/" or "\\", kept). "" when the path cannot be obtained.
#pragma once
#include "foundation/MString.h"

namespace zephyr {

class MModule {
public:
    // module: a handle from the loader (MDll::GetHandle), or null for the process's executable.
    static MString GetDirectory(void* module);
    // Directory of the module (executable or library) that contains address; the driver passes
    // one of its own functions to find the files beside its library.
    static MString GetDirectoryOf(const void* address);
    // Full file name of the module that contains address, as the system's loader reports it
    // (not resolved); "" when it cannot be obtained.
    static MString FileOf(const void* address);
    // Directory part of a path, up to and including the last '/' or '\\'; "" when there is none.
    static MString DirectoryOfPath(const char* path);
};

}  // namespace zephyr
