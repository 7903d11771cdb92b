// Directory of a loaded module: the text of its absolute file path up to and including the last
// "/" (trailing separator kept). "" when the path cannot be obtained.
#pragma once
#include "foundation/MString.h"

namespace zephyr {

class MModule {
public:
    // module: a handle from dlopen (MDll::GetHandle), or null for the process's executable.
    static MString GetDirectory(void* module);
    // Directory of the module (executable or shared object) that contains address, via dladdr;
    // the driver passes one of its own functions to find the files beside Zephyr.so.
    static MString GetDirectoryOf(const void* address);
    // Directory part of a path, up to and including the last '/' or '\\'; "" when there is none.
    static MString DirectoryOfPath(const char* path);
};

}  // namespace zephyr
