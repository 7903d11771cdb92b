#include "host/app/DriverCallbacks.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <shared_mutex>

#include "host/ConsoleGuide.h"
#include "host/GbkText.h"
#include "host/app/ScreenText.h"
#include "host/app/Terminal.h"

namespace zephyr::hostapp {

namespace {

using hostkit::GbkToUtf8;

CallbackState* g_state = nullptr;
std::shared_mutex g_state_mutex;

int32_t OnPush(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length, uint8_t market,
               uint16_t driver_id, uint8_t compressed) {
    std::shared_lock<std::shared_mutex> in_use(g_state_mutex);
    CallbackState* state = g_state;
    if (state == nullptr || data == nullptr || length <= 0) return 1;
    const char* bytes = static_cast<const char*>(data);
    ++state->pushes;
    state->push_bytes += static_cast<uint64_t>(length);
    if (state->record.IsOpen()) {
        hostkit::RecordedPush entry;
        entry.micros = NowMicros();
        entry.main_type = main_type;
        entry.sub_type = sub_type;
        entry.market = market;
        entry.driver_id = driver_id;
        entry.compressed = compressed;
        entry.bytes.assign(bytes, static_cast<size_t>(length));
        if (!state->record.Write(entry)) {
            state->record_failed = true;
            HostLine(std::string("writing the push record failed (") + strerror(errno) + "); recording stops");
        }
    }
    std::string error;
    if (main_type != 2 || sub_type != 86 || compressed != 0) {
        error = "push of type " + std::to_string(main_type) + "/" + std::to_string(sub_type) +
                (compressed != 0 ? " (compressed)" : "") + " is not a market push";
    } else if (state->replica.ApplyPush(bytes, static_cast<size_t>(length), &error)) {
        return 1;
    }
    // Say it plainly, but do not flood the screen with one fault repeated.
    const uint64_t seen = state->bad_push_lines.fetch_add(1);
    if (seen < 10 || seen % 1000 == 0) {
        HostLine("push not understood (" + std::to_string(length) + " bytes): " + error);
    }
    return 1;
}

int32_t OnLog(int32_t level, uint16_t, int32_t, const char* module, const char* format, ...) {
    std::shared_lock<std::shared_mutex> in_use(g_state_mutex);
    CallbackState* state = g_state;
    if (state == nullptr) return 1;
    // The driver hands the finished message in the format position: shown as it stands.
    const std::string text = TrimEnd(GbkToUtf8(format != nullptr ? format : ""));
    const std::string name = GbkToUtf8(module != nullptr ? module : "");
    ++state->logs[level >= 1 && level <= 3 ? level : 0];
    const std::string line = ClockText(true) + " " + LevelText(level) + " " + name + ": " + text;
    {
        std::lock_guard<std::mutex> lock(state->last_log_mutex);
        state->last_log = ClockText(false) + " " + LevelText(level) + " " + name + ": " + text;
        if (level == 3) state->last_error = name + ": " + text;
        NoteLevel2Log(module, format, &state->level2);
    }
    if (state->terminal != nullptr) state->terminal->Line(line);
    return 1;
}

int32_t ConsoleText(const char* format, va_list args) {
    std::shared_lock<std::shared_mutex> in_use(g_state_mutex);
    CallbackState* state = g_state;
    if (state == nullptr || format == nullptr) return 0;
    char small[8192];
    va_list copy;
    va_copy(copy, args);
    const int n = vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return 0;
    std::string text;
    if (static_cast<size_t>(n) < sizeof small) {
        text.assign(small, static_cast<size_t>(n));
    } else {
        text.resize(static_cast<size_t>(n) + 1);
        vsnprintf(&text[0], text.size(), format, args);
        text.resize(static_cast<size_t>(n));
    }
    if (state->terminal != nullptr) {
        const std::string shown = GbkToUtf8(text);
        state->terminal->Text(state->price_tables_on_lines ? hostkit::PriceTablesOnLines(shown) : shown);
    }
    return n;
}

// Output and reply are shown alike.
int32_t OnConsoleText(uint32_t, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32_t n = ConsoleText(format, args);
    va_end(args);
    return n;
}

void OnMarketReset(uint8_t market, uint16_t driver_id) {
    std::shared_lock<std::shared_mutex> in_use(g_state_mutex);
    CallbackState* state = g_state;
    if (state == nullptr) return;
    state->replica.Reset();
    state->reset_seen = true;
    HostLine("market " + std::to_string(market) + " reset by driver " + std::to_string(driver_id) +
             ": the replica is dropped and will be pulled again");
}

}  // namespace

void AttachCallbacks(CallbackState* state) {
    std::unique_lock<std::shared_mutex> alone(g_state_mutex);
    g_state = state;
}

void DetachCallbacks() {
    std::unique_lock<std::shared_mutex> alone(g_state_mutex);
    if (g_state != nullptr) g_state->terminal = nullptr;
    g_state = nullptr;
}

void SetHostCallbacks(DriverWorkParams* params) {
    params->push_data = &OnPush;
    params->log = &OnLog;
    params->console_output = &OnConsoleText;
    params->console_reply = &OnConsoleText;
    params->market_reset = &OnMarketReset;
}

void HostLine(const std::string& text) {
    if (g_state != nullptr && g_state->terminal != nullptr) {
        g_state->terminal->Line(ClockText(true) + " HOST  zephyr-host: " + text);
    }
}

}  // namespace zephyr::hostapp
