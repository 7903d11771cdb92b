// The text of a Win32 error code, for the error lines of the portable bodies.
#pragma once
#include <windows.h>

#include <string>

namespace zephyr::portable {

inline std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = n > 0 && text != nullptr ? std::string(text, n) : std::string();
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.')) {
        message.pop_back();
    }
    return (message.empty() ? std::string("error") : message) + " (" + std::to_string(code) + ")";
}

}  // namespace zephyr::portable
