#include "portable/Environment.h"

#include <stdlib.h>

namespace zephyr::portable {

bool SetEnvironment(const std::string& name, const std::string& value) {
    return setenv(name.c_str(), value.c_str(), 1) == 0;
}

bool ClearEnvironment(const std::string& name) { return unsetenv(name.c_str()) == 0; }

}  // namespace zephyr::portable
