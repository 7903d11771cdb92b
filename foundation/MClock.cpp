#include "foundation/MClock.h"

#include <dlfcn.h>
#include <time.h>

#include <cerrno>

namespace zephyr {

namespace {

int64_t RealNowSeconds(void*) {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec);
}

uint32_t RealTickMs(void*) {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u +
                        static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

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
        const MClockSource* found = nullptr;
        void* symbol = dlsym(RTLD_DEFAULT, kClockSourceSymbol);
        if (symbol != nullptr) {
            found = reinterpret_cast<MClockSourceLookup>(symbol)();
        }
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

void MClock::SleepMs(uint32_t ms) {
    timespec request;
    request.tv_sec = static_cast<time_t>(ms / 1000u);
    request.tv_nsec = static_cast<long>(ms % 1000u) * 1000000L;
    while (nanosleep(&request, &request) != 0 && errno == EINTR) {
    }
}

timespec MClock::RealDeadline(uint32_t timeout_ms) {
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeout_ms / 1000u);
    deadline.tv_nsec += static_cast<long>(timeout_ms % 1000u) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    return deadline;
}

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
