#include "foundation/platform/NativeNumber.h"

#include <locale.h>
#include <stdlib.h>

namespace zephyr {
namespace native {

double ParseDoubleC(const char* text) {
    static const _locale_t c_locale = _create_locale(LC_ALL, "C");
    return _strtod_l(text, nullptr, c_locale);
}

}  // namespace native
}  // namespace zephyr
