#include "console/ReportText.h"

#include <cstdarg>
#include <cstring>

#include "foundation/MText.h"

namespace zephyr {

void AppendFormat(char* buffer, size_t size, const char* format, ...) {
    const size_t used = strnlen(buffer, size);
    if (used + 1 >= size) return;
    va_list args;
    va_start(args, format);
    MText::FormatV(buffer + used, size - used, format, args);
    va_end(args);
}

}  // namespace zephyr
