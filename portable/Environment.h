// Setting and clearing environment variables of the process (setenv/unsetenv; _putenv_s).
// Reading stays std::getenv. Not safe while another thread reads the environment.
#pragma once
#include <string>

namespace zephyr::portable {

bool SetEnvironment(const std::string& name, const std::string& value);
bool ClearEnvironment(const std::string& name);

}  // namespace zephyr::portable
