// The file test seam's answer for one call, shared by the file bodies of every system.
#pragma once
#include <cstdint>

#include "foundation/MFile.h"

namespace zephyr {

// Negative to fail the call with that value; 0 to go on.
int32_t FileFault(MFile::Operation operation, const char* path);

}  // namespace zephyr
