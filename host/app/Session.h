// The session behind RunSession, shared by the files that build it: HostSession.cpp (start,
// main loop, operator input, stop) and SessionChecks.cpp (pulls, the replica, the checks).
// One session at a time; its methods run on the session's thread except InputLoop.
#pragma once
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/DriverLibrary.h"
#include "host/MarketImage.h"
#include "host/app/DriverCallbacks.h"
#include "host/app/HostSession.h"
#include "host/app/StdoutCapture.h"
#include "host/app/Terminal.h"

namespace zephyr::hostapp {

using SessionClock = std::chrono::steady_clock;

constexpr uint32_t kOperatorConsole = 1;
constexpr uint32_t kHostConsole = 2;  // the host's own commands (pausing the feed)

class Session {
public:
    Session(const SessionOptions& options, SessionResult* result) : m_Options(options), m_Result(*result) {}

    void Run();

private:
    bool Start();
    void InputLoop();
    void RunCommand(uint32_t console, const std::vector<std::string>& words);
    void Tick(SessionClock::time_point started);
    void Stop(bool interrupted);

    // SessionChecks.cpp
    hostkit::PullResult Pull(hostkit::MarketImage* image);
    void RefreshCategories(const hostkit::MarketImage& image);
    void LoadReplicaIfNeeded();
    void LiveCheck();
    void Finish();

    const SessionOptions& m_Options;
    SessionResult& m_Result;
    std::unique_ptr<Terminal> m_Terminal;
    std::unique_ptr<hostkit::DriverLibrary> m_Driver;
    CallbackState m_Shared;
    StdoutCapture m_Capture;
    std::thread m_Input;
    std::mutex m_CommandMutex;
    std::string m_CategoriesText = "-";
    std::string m_PullError;
    std::string m_LastPullError;
    SessionClock::time_point m_NextPull = SessionClock::now();
    uint64_t m_LastPushes = 0, m_LastSnapshots = 0;
    std::atomic<bool> m_Quit{false};
};

// The driver's status record, read into a copy.
DriverStatusInfo ReadStatus(const hostkit::DriverLibrary& driver);

}  // namespace zephyr::hostapp
