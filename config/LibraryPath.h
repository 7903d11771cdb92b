// Where the driver's own ini file lies: beside the library, same name, ".ini" for the library
// suffix. The rule is kept apart from the loader so it can be checked with any platform's names.
#pragma once
#include "foundation/MString.h"

namespace zephyr {

// Suffix of a library file on this platform.
constexpr const char* kLibrarySuffix = ".so";

enum class IniPathResult {
    kOk,         // ini_path holds the library name with its suffix replaced by ".ini"
    kEmptyName,  // no library name
    kNoSuffix,   // the name does not end in the suffix (or is the suffix alone): refused,
                 // otherwise the "ini file" would be the library itself
};

// Pure: no file is touched. A trailing `suffix` (exact case) becomes ".ini":
// "/opt/quote/Zephyr.so" -> "/opt/quote/Zephyr.ini", "C:\quote\Zephyr.dll" (suffix ".dll")
// -> "C:\quote\Zephyr.ini". ini_path is emptied unless the result is kOk.
IniPathResult IniPathForLibrary(const char* library_file, const char* suffix, MString* ini_path);

// Full file name of the loaded module (shared object or executable) that contains address,
// as the dynamic loader reports it; "" when it cannot be obtained.
MString LibraryFileOf(const void* address);

}  // namespace zephyr
