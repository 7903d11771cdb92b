#include "foundation/platform/NativeNumber.h"

#include <clocale>
#include <cstdlib>
#include <locale.h>

namespace zephyr {
namespace native {

double ParseDoubleC(const char* text) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return strtod_l(text, nullptr, c_locale);
}

}  // namespace native
}  // namespace zephyr
