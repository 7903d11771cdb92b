// Reports are composed in fixed buffers, piece by piece.
#pragma once
#include <cstddef>

namespace zephyr {

// Appends a formatted piece to the terminated text in buffer (size bytes in all); what does not
// fit is cut, and the text stays terminated.
void AppendFormat(char* buffer, size_t size, const char* format, ...) __attribute__((format(printf, 3, 4)));

}  // namespace zephyr
