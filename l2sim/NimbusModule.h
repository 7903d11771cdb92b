// The stand-in level-2 module behind nimbus.so's exports: one per process.
//
// Begin keeps the host's DriverWorkParams, reads the settings (NimbusSettings), the codes of the
// day (DayQuotes) or a recorded feed, and starts the feed thread; End stops and joins it. The
// thread sends each push through the host's push callback (main type 2, sub type 41), either
// as it is or, with Compress on, as a "#" packet built by the host's pack service (offset 36),
// with the compressed flag 1. Log lines go to the host's log callback, module text "nimbus".
// Its console object answers "help", "rate", "batch", "compress" and "status".
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <memory>
#include <vector>

#include "zephyr/DriverInterface.h"
#include "l2sim/FeedFile.h"
#include "l2sim/FeedGenerator.h"
#include "l2sim/NimbusSettings.h"

namespace zephyr::l2sim {

class NimbusModule {
public:
    static constexpr uint32_t kVersionWord = 0x0064012C;  // 1.00, build 300
    static constexpr uint8_t kPushMainType = 2;
    static constexpr uint8_t kPushSubType = 41;
    // BeginDriverWork results.
    static constexpr int32_t kErrNoParams = -1;
    static constexpr int32_t kErrReplay = -3;
    static constexpr int32_t kErrRecord = -4;
    static constexpr int32_t kErrThread = -5;

    static NimbusModule& Instance();
    // A host that unloads the module (or exits) without EndDriverWork still gets the thread
    // stopped and joined; nothing is logged then, the host may be gone.
    ~NimbusModule();

    int32_t Begin(const DriverWorkParams* params);
    void End();
    bool IsWorking() const { return m_Running.load(); }
    PublishedConsole* Console();

    // Console operations (also used by the console object).
    int32_t Execute(uint32_t console, char** argv, int32_t argc);

private:
    NimbusModule() = default;
    void Run();
    void Send(const uint8_t* push, size_t length);
    void Log(int32_t level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void Reply(uint32_t console, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Waits until the deadline or a stop; false on stop.
    bool WaitUntil(std::chrono::steady_clock::time_point deadline);

    std::mutex m_Lifecycle;           // Begin and End
    DriverWorkParams m_Params{};
    NimbusSettings m_Settings;
    std::thread m_Thread;
    std::mutex m_WaitLock;
    std::condition_variable m_Wake;
    bool m_Stop = false;
    std::atomic<bool> m_Running{false};
    std::atomic<uint32_t> m_Rate{100};
    std::atomic<uint32_t> m_Batch{10};
    std::atomic<bool> m_Compress{false};
    std::atomic<uint64_t> m_Pushes{0};
    std::atomic<uint64_t> m_Snapshots{0};
    std::atomic<uint32_t> m_MarketTime{0};
    std::atomic<bool> m_PackMissingLogged{false};
    std::string m_Source;             // what the feed comes from, for status
    // Owned by the feed thread while it runs.
    std::unique_ptr<FeedGenerator> m_Generator;
    std::vector<FeedEntry> m_Replay;
    FeedWriter m_Writer;
};

}  // namespace zephyr::l2sim
