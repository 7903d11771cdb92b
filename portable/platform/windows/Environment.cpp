#include "portable/Environment.h"

#include <stdlib.h>

namespace zephyr::portable {

// _putenv keeps the C library's copy and the process environment in step; "NAME=" removes it.
bool SetEnvironment(const std::string& name, const std::string& value) {
    if (value.empty()) return false;  // the C library cannot hold an empty value
    return _putenv((name + "=" + value).c_str()) == 0;
}

bool ClearEnvironment(const std::string& name) { return _putenv((name + "=").c_str()) == 0; }

}  // namespace zephyr::portable
