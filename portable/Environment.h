// Setting and clearing environment variables of the process (setenv/unsetenv; _putenv, which
// keeps the C library's copy and the process environment in step). Reading stays std::getenv.
// Not safe while another thread reads the environment.
#pragma once
#include <string>

namespace zephyr::portable {

// True when set. An empty value is set on POSIX, but refused (false, nothing changed) on
// Windows, whose C library cannot hold one: "NAME=" removes the variable there.
bool SetEnvironment(const std::string& name, const std::string& value);
// Removes the variable; true when the call succeeded.
bool ClearEnvironment(const std::string& name);

}  // namespace zephyr::portable
