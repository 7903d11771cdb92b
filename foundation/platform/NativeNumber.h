// Decimal text to double in the "C" locale whatever the process's locale is (one body per
// system). Any thread.
#pragma once

namespace zephyr {
namespace native {

// strtod of text in the "C" locale.
double ParseDoubleC(const char* text);

}  // namespace native
}  // namespace zephyr
