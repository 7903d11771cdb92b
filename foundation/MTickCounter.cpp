#include "foundation/MTickCounter.h"

#include "foundation/MClock.h"

namespace zephyr {

uint32_t MTickCounter::Start() {
    start_ = MClock::TickMs();
    return start_;
}

uint32_t MTickCounter::Elapsed() const { return MClock::TickMs() - start_; }

}  // namespace zephyr
