// Comparing words without regard to ASCII case, as ini keys and console words are compared
// (what strcasecmp does, without the system header that differs between systems).
#pragma once
#include <cstddef>
#include <string>

namespace zephyr::portable {

inline char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The first `count` characters of both (or fewer, where a text ends) are equal but for case.
inline bool EqualsIgnoringCase(const char* a, const char* b, size_t count = std::string::npos) {
    for (size_t i = 0; i < count; ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
        if (a[i] == '\0') return true;
    }
    return true;
}

inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && EqualsIgnoringCase(a.c_str(), b.c_str(), a.size());
}

}  // namespace zephyr::portable
