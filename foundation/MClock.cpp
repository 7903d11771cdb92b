#include "foundation/MClock.h"

#include "foundation/platform/NativeClock.h"

namespace zephyr {

namespace {

int64_t RealNowSeconds(void*) { return native::NowSeconds(); }

uint32_t RealTickMs(void*) { return native::TickMs(); }

const MClockSource kRealSource = {&RealNowSeconds, &RealTickMs, nullptr};

std::atomic<const MClockSource*> g_source{nullptr};
// Whether the host lookup may still happen: cleared once it ran or SetSource was called.
std::atomic<bool> g_lookup_pending{true};

const MClockSource* CurrentSource() {
    const MClockSource* source = g_source.load(std::memory_order_acquire);
    if (source != nullptr) {
        return source;
    }
    if (g_lookup_pending.exchange(false, std::memory_order_acq_rel)) {
        const MClockSource* found = native::FindHostClockSource();
        const MClockSource* expected = nullptr;
        // A SetSource that raced with the lookup wins.
        g_source.compare_exchange_strong(expected, found != nullptr ? found : &kRealSource,
                                         std::memory_order_acq_rel);
        return g_source.load(std::memory_order_acquire);
    }
    // Another thread is running the lookup right now, or the real clocks were chosen.
    return &kRealSource;
}

}  // namespace

int64_t MClock::NowSeconds() {
    const MClockSource* source = CurrentSource();
    return source->now_seconds(source->context);
}

uint32_t MClock::TickMs() {
    const MClockSource* source = CurrentSource();
    return source->tick_ms(source->context);
}

void MClock::SleepMs(uint32_t ms) { native::SleepMs(ms); }

void MClock::SetSource(const MClockSource* source) {
    g_lookup_pending.store(false, std::memory_order_release);
    g_source.store(source != nullptr ? source : &kRealSource, std::memory_order_release);
}

namespace {

int64_t ManualNow(void* context) { return static_cast<const MManualClock*>(context)->Now(); }
uint32_t ManualTick(void* context) { return static_cast<const MManualClock*>(context)->Tick(); }

// Floor division, so times before 1970 round down like the real clock.
int64_t FloorDiv1000(int64_t ms) { return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000); }

}  // namespace

MManualClock::MManualClock(int64_t now_seconds, uint32_t tick_ms)
    : m_Source{&ManualNow, &ManualTick, this}, m_NowMs(now_seconds * 1000), m_TickMs(tick_ms) {}

void MManualClock::Set(int64_t now_seconds) { m_NowMs.store(now_seconds * 1000); }

void MManualClock::SetTick(uint32_t tick_ms) { m_TickMs.store(tick_ms); }

void MManualClock::AdvanceMs(uint32_t ms) {
    m_NowMs.fetch_add(static_cast<int64_t>(ms));
    m_TickMs.fetch_add(ms);
}

int64_t MManualClock::Now() const { return FloorDiv1000(m_NowMs.load()); }

uint32_t MManualClock::Tick() const { return m_TickMs.load(); }

}  // namespace zephyr
