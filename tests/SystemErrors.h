// The system's own error numbers that tests expect inside SystemError(): errno values on Linux,
// Windows error codes on Windows.
#pragma once
#include <cerrno>
#include <cstdint>

namespace zephyr::tests {

#ifdef _WIN32
constexpr uint32_t kNoSuchFile = 2;   // ERROR_FILE_NOT_FOUND
constexpr uint32_t kNameTaken = 80;   // ERROR_FILE_EXISTS
#else
constexpr uint32_t kNoSuchFile = ENOENT;
constexpr uint32_t kNameTaken = EEXIST;
#endif

}  // namespace zephyr::tests
