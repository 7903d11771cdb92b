// The calling thread's last Windows error as a foundation error value (Windows bodies only).
#pragma once
#include <windows.h>

#include "foundation/MErrorCode.h"

namespace zephyr {
namespace native {

inline int32_t LastWindowsError() {
    const DWORD error = GetLastError();
    return SystemError(error != 0 ? static_cast<uint32_t>(error) : ERROR_GEN_FAILURE);
}

}  // namespace native
}  // namespace zephyr
