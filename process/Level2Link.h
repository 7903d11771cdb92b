// How the processing unit reaches the level-2 bridge, which lives in a layer beneath it: the
// driver plugs in the bridge's operations. Without a link the unit runs without a level-2 module.
#pragma once
#include <cstdint>

namespace zephyr {

class Level2Link {
public:
    virtual ~Level2Link() = default;
    // Releases any running level-2 module, then loads and starts the configured one: 0, or the
    // bridge's negative code (already logged by the bridge).
    virtual int32_t Initialise() = 0;
    // Number of running level-2 modules (0 when none was started).
    virtual int32_t StartedCount() = 0;
};

}  // namespace zephyr
