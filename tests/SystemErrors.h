// The system's own error numbers that tests expect inside SystemError(): errno values on Linux,
// Windows error codes on Windows.
#pragma once
#include <cerrno>
#include <cstdint>

namespace zephyr::tests {

#ifdef _WIN32
constexpr uint32_t kNoSuchFile = 2;      // ERROR_FILE_NOT_FOUND
constexpr uint32_t kNameTaken = 80;      // ERROR_FILE_EXISTS
constexpr uint32_t kNegativeSeek = 131;  // ERROR_NEGATIVE_SEEK
constexpr uint32_t kWrongAccess = 5;     // ERROR_ACCESS_DENIED (read on a write-only handle, or the reverse)
constexpr uint32_t kFolderOpened = 5;    // ERROR_ACCESS_DENIED
constexpr uint32_t kNotOpen = 6;         // ERROR_INVALID_HANDLE
#else
constexpr uint32_t kNoSuchFile = ENOENT;
constexpr uint32_t kNameTaken = EEXIST;
constexpr uint32_t kNegativeSeek = EINVAL;
constexpr uint32_t kWrongAccess = EBADF;
constexpr uint32_t kFolderOpened = EISDIR;
constexpr uint32_t kNotOpen = EBADF;
#endif

}  // namespace zephyr::tests
