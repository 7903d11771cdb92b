// Helpers of the market tests.
#pragma once
#include <cstring>

#include "market/Records.h"

namespace zephyr::testing {

// Writes a code text into a 6-byte field: its bytes, zero-padded (no terminator at 6 digits).
inline void SetCode(char* field, const char* code) {
    std::memset(field, 0, kCodeSize);
    std::memcpy(field, code, strnlen(code, kCodeSize));
}

// A field of a packed record by value: test macros bind references, which must not point at a
// misaligned packed field.
template <class T>
T V(T value) {
    return value;
}

}  // namespace zephyr::testing
