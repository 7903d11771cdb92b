// Small deterministic random numbers for the sample day: splitmix64 and integer helpers only,
// so a seed gives the same bytes on every platform and word size (no floating point, no std::
// distributions).
#pragma once
#include <cstdint>

namespace zephyr::sampleday {

class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : m_State(seed) {}

    uint64_t Next() {
        uint64_t z = (m_State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n); 0 when n is 0.
    uint32_t Below(uint32_t n) { return uint32_t(((Next() >> 32) * uint64_t(n)) >> 32); }
    // Uniform in [lo, hi], hi >= lo.
    uint32_t Between(uint32_t lo, uint32_t hi) { return lo + Below(hi - lo + 1); }
    // True with probability perMille / 1000.
    bool Chance(uint32_t perMille) { return Below(1000) < perMille; }

private:
    uint64_t m_State;
};

// Seed of an independent stream derived from a seed and up to two labels.
inline uint64_t StreamSeed(uint64_t seed, uint64_t a, uint64_t b = 0) {
    SplitMix64 r(seed ^ (a * 0xD1B54A32D192ED03ull) ^ (b * 0x8CB92BA72F3D8DD7ull));
    r.Next();
    return r.Next();
}

}  // namespace zephyr::sampleday
