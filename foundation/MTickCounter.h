// Measures elapsed milliseconds on the MClock tick (unsigned 32-bit, wraps).
#pragma once
#include <cstdint>

namespace zephyr {

class MTickCounter {
public:
    // The stored tick starts at 0 (so before the first Start, Elapsed is the tick count itself).
    MTickCounter() : m_Start(0) {}
    // Stores the tick count now and returns it.
    uint32_t Start();
    // Milliseconds since the last Start, in unsigned 32-bit arithmetic (correct across a wrap).
    uint32_t Elapsed() const;
    uint32_t GetStart() const { return m_Start; }

private:
    uint32_t m_Start;
};

}  // namespace zephyr
