#include "l2sim/NimbusModule.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "l2sim/DayQuotes.h"
#include "portable/AsciiCase.h"

namespace zephyr::l2sim {

namespace {

constexpr const char* kModuleText = "nimbus";
constexpr size_t kTextSize = 1024;
constexpr size_t kPacketCapacity = FeedGenerator::kLargestPush + 64;
constexpr auto kIdle = std::chrono::milliseconds(100);
constexpr auto kLargestLag = std::chrono::milliseconds(100);

class NimbusConsole : public ConsoleCommandHandler {
public:
    int32_t ExecuteCommand(uint32_t console, char** argv, int32_t argc) override {
        return NimbusModule::Instance().Execute(console, argv, argc);
    }
};

NimbusConsole g_console;
// The console as a host sees it, in the platform's C++ layout.
ConsolePublication g_published_console(&g_console);

bool ReadCount(const char* text, uint32_t max, uint32_t* out) {
    if (text == nullptr || *text == '\0' || *text == '-') return false;
    char* end = nullptr;
    const unsigned long value = strtoul(text, &end, 10);
    if (*end != '\0' || value > max) return false;
    *out = static_cast<uint32_t>(value);
    return true;
}

}  // namespace

NimbusModule& NimbusModule::Instance() {
    static NimbusModule module;
    return module;
}

NimbusModule::~NimbusModule() {
    {
        std::lock_guard<std::mutex> lock(m_WaitLock);
        m_Stop = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) m_Thread.join();
}

PublishedConsole* NimbusModule::Console() { return g_published_console.Get(); }

void NimbusModule::Log(int32_t level, const char* format, ...) {
    if (m_Params.log == nullptr) return;
    char text[kTextSize];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // The finished line goes in the format position with no arguments, as hosts expect; a host
    // that still formats it must find no conversion in it.
    char escaped[2 * kTextSize];
    size_t at = 0;
    for (const char* c = text; *c != '\0' && at + 2 < sizeof escaped; ++c) {
        escaped[at++] = *c;
        if (*c == '%') escaped[at++] = '%';
    }
    escaped[at] = '\0';
    m_Params.log(level, m_Params.driver_id, 0, kModuleText, escaped);
}

void NimbusModule::Reply(uint32_t console, const char* format, ...) {
    ConsoleReplyCallback reply = m_Params.console_reply;
    if (reply == nullptr) return;
    char text[kTextSize];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    reply(console, "%s", text);
}

int32_t NimbusModule::Begin(const DriverWorkParams* params) {
    if (params == nullptr) return kErrNoParams;
    End();
    std::lock_guard<std::mutex> guard(m_Lifecycle);
    memcpy(&m_Params, params, sizeof m_Params);
    m_Settings = NimbusSettings::Load(NimbusSettings::DefaultIniPath(reinterpret_cast<const void*>(&NimbusModule::Instance)));
    m_Rate = m_Settings.rate;
    m_Batch = m_Settings.batch;
    m_Compress = m_Settings.compress;
    m_Pushes = 0;
    m_Snapshots = 0;
    m_PackMissingLogged = false;
    m_Generator.reset();
    m_Replay.clear();

    if (!m_Settings.replay.empty()) {
        std::string reason;
        if (!ReadFeed(m_Settings.replay, &m_Replay, &reason)) {
            Log(3, "nimbus: replay refused: %s", reason.c_str());
            return kErrReplay;
        }
        m_Source = "replay " + m_Settings.replay;
        Log(1, "nimbus: replaying %lu pushes from %s", static_cast<unsigned long>(m_Replay.size()),
            m_Settings.replay.c_str());
    } else {
        DayQuotes day;
        if (!DayQuotes::Read(m_Settings.mktdt, &day)) {
            Log(2, "nimbus: no market data file at [%s]: the feed carries market times only",
                m_Settings.mktdt.c_str());
        }
        uint32_t start = m_Settings.start_time != 0 ? m_Settings.start_time : day.time;
        if (start == 0) start = 93000;
        m_Source = "generator " + m_Settings.mktdt;
        Log(1, "nimbus: %lu codes from [%s], market time from %06u",
            static_cast<unsigned long>(day.quotes.size()), m_Settings.mktdt.c_str(), start);
        m_Generator.reset(new FeedGenerator(std::move(day.quotes), start, m_Settings.seed));
    }
    if (!m_Settings.record.empty() && !m_Writer.Open(m_Settings.record)) {
        Log(3, "nimbus: cannot create the record file [%s]", m_Settings.record.c_str());
        m_Generator.reset();
        m_Replay.clear();
        return kErrRecord;
    }

    {
        std::lock_guard<std::mutex> lock(m_WaitLock);
        m_Stop = false;
    }
    try {
        m_Thread = std::thread(&NimbusModule::Run, this);
    } catch (...) {
        m_Writer.Close();
        Log(3, "nimbus: the feed thread cannot be started");
        return kErrThread;
    }
    m_Running = true;
    Log(1, "nimbus: started for host 0x%08X (driver id %u, budget %u, frame %u): rate %u, batch %u, %s",
        m_Params.host_version, m_Params.driver_id, m_Params.request_budget, m_Params.frame_size,
        m_Rate.load(), m_Batch.load(), m_Compress.load() ? "packed" : "plain");
    return 1;
}

void NimbusModule::End() {
    std::lock_guard<std::mutex> guard(m_Lifecycle);
    {
        std::lock_guard<std::mutex> lock(m_WaitLock);
        m_Stop = true;
    }
    m_Wake.notify_all();
    if (m_Thread.joinable()) {
        m_Thread.join();
        Log(1, "nimbus: stopped after %llu pushes", static_cast<unsigned long long>(m_Pushes.load()));
    }
    m_Running = false;
}

bool NimbusModule::WaitUntil(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock<std::mutex> lock(m_WaitLock);
    return !m_Wake.wait_until(lock, deadline, [this] { return m_Stop; });
}

void NimbusModule::Send(const uint8_t* push, size_t length) {
    PushDataCallback push_data = m_Params.push_data;
    if (push_data == nullptr) return;
    if (m_Compress.load()) {
        HostPackService pack = m_Params.pack_service;
        if (pack != nullptr) {
            uint8_t packet[kPacketCapacity];
            const int32_t n = pack(kPushMainType, kPushSubType, push, static_cast<int32_t>(length),
                                   packet, sizeof packet);
            if (n > 0) {
                push_data(kPushMainType, kPushSubType, packet, n, kMarketNumber, m_Params.driver_id, 1);
                return;
            }
            Log(2, "nimbus: the host's pack service failed (%d): push sent plain", n);
        } else if (!m_PackMissingLogged.exchange(true)) {
            Log(2, "nimbus: the host offers no pack service: pushes go plain");
        }
    }
    push_data(kPushMainType, kPushSubType, push, static_cast<int32_t>(length), kMarketNumber,
              m_Params.driver_id, 0);
}

void NimbusModule::Run() {
    using Clock = std::chrono::steady_clock;
    uint8_t push[FeedGenerator::kLargestPush];
    size_t replayed = 0;
    uint32_t pause_us = 0;  // before the next push
    Clock::time_point next = Clock::now();
    bool ended = false;
    while (WaitUntil(next)) {
        const uint32_t rate = m_Rate.load();
        if (ended || rate == 0) {
            next = Clock::now() + kIdle;
            continue;
        }
        const uint64_t sent = m_Pushes.load();
        const bool replaying = m_Generator == nullptr;
        if ((m_Settings.limit != 0 && sent >= m_Settings.limit) ||
            (replaying && replayed >= m_Replay.size())) {
            ended = true;
            m_Writer.Close();
            Log(1, "nimbus: feed ended after %llu pushes", static_cast<unsigned long long>(sent));
            continue;
        }
        const uint8_t* data = push;
        size_t length;
        if (replaying) {
            const FeedEntry& entry = m_Replay[replayed++];
            data = entry.data.data();
            length = entry.data.size();
        } else {
            length = m_Generator->Next(m_Batch.load(), rate, push);
            m_Snapshots = m_Generator->SnapshotsBuilt();
            m_MarketTime = m_Generator->MarketTime();
        }
        Send(data, length);
        if (m_Writer.IsOpen() && !m_Writer.Write(pause_us, data, length)) {
            Log(3, "nimbus: writing the record file failed; recording stops");
            m_Writer.Close();
        }
        m_Pushes = sent + 1;
        if (replaying) {
            pause_us = replayed < m_Replay.size() ? m_Replay[replayed].pause_us : 0;
        } else {
            pause_us = static_cast<uint32_t>(1000000ull * m_Batch.load() / rate);
        }
        next += std::chrono::microseconds(pause_us);
        const Clock::time_point now = Clock::now();
        if (next + kLargestLag < now) next = now;  // a slow host gets no burst afterwards
    }
    m_Writer.Close();
}

int32_t NimbusModule::Execute(uint32_t console, char** argv, int32_t argc) {
    if (argc <= 0 || argv == nullptr || argv[0] == nullptr) {
        Reply(console, "nimbus: empty command\n");
        return -1;
    }
    const char* word = argv[0];
    const char* value = argc >= 2 ? argv[1] : nullptr;
    if (portable::EqualsIgnoringCase(word, "help")) {
        Reply(console,
              "nimbus commands:\n"
              "  help                this text\n"
              "  rate [N]            show or set level-2 snapshots per second (0 pauses)\n"
              "  batch [N]           show or set snapshots per push (1..%u)\n"
              "  compress [on|off]   show or set packed pushes through the host's pack service\n"
              "  status              feed source, pushes and snapshots sent, market time\n",
              NimbusSettings::kLargestBatch);
        return 1;
    }
    if (portable::EqualsIgnoringCase(word, "rate")) {
        uint32_t n = 0;
        if (value != nullptr && !ReadCount(value, 10000000, &n)) {
            Reply(console, "nimbus: rate takes a number of snapshots per second\n");
            return -1;
        }
        if (value != nullptr) m_Rate = n;
        Reply(console, "nimbus: rate %u snapshots per second\n", m_Rate.load());
        return 1;
    }
    if (portable::EqualsIgnoringCase(word, "batch")) {
        uint32_t n = 0;
        if (value != nullptr && (!ReadCount(value, NimbusSettings::kLargestBatch, &n) || n == 0)) {
            Reply(console, "nimbus: batch takes a number from 1 to %u\n", NimbusSettings::kLargestBatch);
            return -1;
        }
        if (value != nullptr) m_Batch = n;
        Reply(console, "nimbus: batch %u snapshots per push\n", m_Batch.load());
        return 1;
    }
    if (portable::EqualsIgnoringCase(word, "compress")) {
        if (value != nullptr) {
            if (portable::EqualsIgnoringCase(value, "on")) m_Compress = true;
            else if (portable::EqualsIgnoringCase(value, "off")) m_Compress = false;
            else {
                Reply(console, "nimbus: compress takes on or off\n");
                return -1;
            }
        }
        Reply(console, "nimbus: compress %s\n", m_Compress.load() ? "on" : "off");
        return 1;
    }
    if (portable::EqualsIgnoringCase(word, "status")) {
        std::lock_guard<std::mutex> guard(m_Lifecycle);
        Reply(console, "nimbus: %s, %s, %llu pushes, %llu snapshots, market time %06u\n",
              m_Running.load() ? "running" : "stopped", m_Source.c_str(),
              static_cast<unsigned long long>(m_Pushes.load()),
              static_cast<unsigned long long>(m_Snapshots.load()), m_MarketTime.load());
        return 1;
    }
    Reply(console, "nimbus: unknown command [%s]; try help\n", word);
    return -1;
}

}  // namespace zephyr::l2sim
