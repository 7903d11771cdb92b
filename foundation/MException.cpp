#include "foundation/MException.h"

#include "foundation/MText.h"

namespace zephyr {

MException::MException(const char* message) noexcept {
    m_Message[0] = 0;
    MText::Copy(m_Message, sizeof(m_Message), message);
}

}  // namespace zephyr
