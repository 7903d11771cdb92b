#include "host/HostClock.h"

#include <atomic>
#include <chrono>
#include <ctime>

#include "portable/LocalTime.h"
#include "zephyr/ClockHook.h"

// The entry is exported from the program's own file: on Windows the driver finds it with
// GetProcAddress(GetModuleHandleA(NULL), ...), which sees only the .exe's export table.
#if defined(_WIN32)
#define ZEPHYR_PROGRAM_EXPORT __declspec(dllexport)
#else
#define ZEPHYR_PROGRAM_EXPORT __attribute__((visibility("default")))
#endif

namespace zephyr::hostkit {

namespace {

std::atomic<bool> g_manual{false};
std::atomic<int64_t> g_now_ms{0};
std::atomic<uint32_t> g_tick_ms{0};

int64_t RealNowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

uint32_t RealTickMs() {
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
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
    int64_t seconds = -1;
    portable::LocalSecondsOf(local, &seconds);
    return seconds;
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

extern "C" ZEPHYR_PROGRAM_EXPORT const zephyr::MClockSource* ZephyrClockSource() {
    return &zephyr::hostkit::kSource;
}
