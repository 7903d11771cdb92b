#include "foundation/MException.h"

#include "foundation/MText.h"

namespace zephyr {

MException::MException(const char* message) noexcept {
    message_[0] = 0;
    MText::Copy(message_, sizeof(message_), message);
}

}  // namespace zephyr
