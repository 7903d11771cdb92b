// Where the driver's own ini file lies: beside the library, same name, ".ini" for the library
// suffix. The rule is kept apart from the loader so it can be checked with any platform's names.
#pragma once
#include "foundation/MString.h"

namespace zephyr {

// Which occurrence of the suffix ends the name.
enum class SuffixRule {
    kTrailing,  // only a suffix at the very end ("/opt/x.so.d/Zephyr.so")
    kFirst,     // the first occurrence past position 0; the name is cut there (the Windows rule)
};

// Suffix of a library file on this platform, how the ini name is made from it, and the
// level-2 module loaded when the ini names none.
#if defined(_WIN32)
constexpr const char* kLibrarySuffix = ".dll";
constexpr SuffixRule kLibrarySuffixRule = SuffixRule::kFirst;
constexpr const char* kDefaultTransModule = "./nimbus.dll";
#else
constexpr const char* kLibrarySuffix = ".so";
constexpr SuffixRule kLibrarySuffixRule = SuffixRule::kTrailing;
constexpr const char* kDefaultTransModule = "./nimbus.so";
#endif

enum class IniPathResult {
    kOk,         // ini_path holds the library name with its suffix replaced by ".ini"
    kEmptyName,  // no library name
    kNoSuffix,   // the name does not hold the suffix as the rule asks (or is the suffix alone):
                 // refused, otherwise the "ini file" would be the library itself
};

// Pure: no file is touched. The suffix (exact case) becomes ".ini":
// "/opt/quote/Zephyr.so" -> "/opt/quote/Zephyr.ini"; "C:\quote\Zephyr.dll" (suffix ".dll")
// -> "C:\quote\Zephyr.ini"; with kFirst "C:\a.dll.d\Zephyr.dll" -> "C:\a.ini".
// ini_path is emptied unless the result is kOk.
IniPathResult IniPathForLibrary(const char* library_file, const char* suffix, MString* ini_path,
                                SuffixRule rule = SuffixRule::kTrailing);

}  // namespace zephyr
