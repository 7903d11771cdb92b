// The file names of the driver and of the level-2 module on this system ("Zephyr.so",
// "Zephyr.dll"): a driver finds its ini only under its own suffix, and loads "./nimbus.so" or
// "./nimbus.dll" by default.
#pragma once
#include <string>

#include "portable/Library.h"

namespace zephyr::tests {

inline std::string DriverFileName() { return std::string("Zephyr") + portable::LibrarySuffix(); }
inline std::string ModuleFileName() { return std::string("nimbus") + portable::LibrarySuffix(); }
// The level-2 module a driver loads when its ini names none.
inline std::string DefaultModule() { return "./" + ModuleFileName(); }

// A library of the system that loads anywhere but has none of the driver's exports.
#ifdef _WIN32
constexpr const char* kSystemLibrary = "msvcrt.dll";
#else
constexpr const char* kSystemLibrary = "libm.so.6";
#endif

}  // namespace zephyr::tests
