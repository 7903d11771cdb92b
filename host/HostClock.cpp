#include "host/HostClock.h"

#include <time.h>

#include <atomic>

#include "zephyr/ClockHook.h"

namespace zephyr::hostkit {

namespace {

std::atomic<bool> g_manual{false};
std::atomic<int64_t> g_now_ms{0};
std::atomic<uint32_t> g_tick_ms{0};

int64_t RealNowMs() {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

uint32_t RealTickMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(static_cast<uint64_t>(ts.tv_sec) * 1000u +
                                 static_cast<uint64_t>(ts.tv_nsec) / 1000000u);
}

// Freezes the real values into the set clock the first time a test takes control.
void TakeControl() {
    if (!g_manual.load()) {
        g_now_ms.store(RealNowMs());
        g_tick_ms.store(RealTickMs());
        g_manual.store(true);
    }
}

int64_t SourceNow(void*) { return HostClock::NowSeconds(); }
uint32_t SourceTick(void*) { return HostClock::TickMs(); }

const MClockSource kSource = {&SourceNow, &SourceTick, nullptr};

}  // namespace

int64_t HostClock::LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&local));
}

void HostClock::SetLocal(int year, int month, int day, int hour, int minute, int second) {
    SetSeconds(LocalSeconds(year, month, day, hour, minute, second));
}

void HostClock::SetSeconds(int64_t seconds) {
    TakeControl();
    g_now_ms.store(seconds * 1000);
}

void HostClock::SetTick(uint32_t tick_ms) {
    TakeControl();
    g_tick_ms.store(tick_ms);
}

void HostClock::AdvanceMs(uint32_t ms) {
    TakeControl();
    g_now_ms.fetch_add(static_cast<int64_t>(ms));
    g_tick_ms.fetch_add(ms);
}

void HostClock::UseRealTime() { g_manual.store(false); }

int64_t HostClock::NowSeconds() {
    int64_t ms = g_manual.load() ? g_now_ms.load() : RealNowMs();
    return ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
}

uint32_t HostClock::TickMs() { return g_manual.load() ? g_tick_ms.load() : RealTickMs(); }

}  // namespace zephyr::hostkit

extern "C" __attribute__((visibility("default"))) const zephyr::MClockSource* ZephyrClockSource() {
    return &zephyr::hostkit::kSource;
}
