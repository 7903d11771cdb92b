#include "foundation/MTickCounter.h"

#include "foundation/MClock.h"

namespace zephyr {

uint32_t MTickCounter::Start() {
    m_Start = MClock::TickMs();
    return m_Start;
}

uint32_t MTickCounter::Elapsed() const { return MClock::TickMs() - m_Start; }

}  // namespace zephyr
