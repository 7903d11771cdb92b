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
    Session(const SessionOptions& options, SessionResult* result) : options_(options), result_(*result) {}

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

    const SessionOptions& options_;
    SessionResult& result_;
    std::unique_ptr<Terminal> terminal_;
    std::unique_ptr<hostkit::DriverLibrary> driver_;
    CallbackState shared_;
    StdoutCapture capture_;
    std::thread input_;
    std::mutex command_mutex_;
    std::string categories_text_ = "-";
    std::string pull_error_;
    std::string last_pull_error_;
    SessionClock::time_point next_pull_ = SessionClock::now();
    uint64_t last_pushes_ = 0, last_snapshots_ = 0;
    std::atomic<bool> quit_{false};
};

// The driver's status record, read into a copy.
DriverStatusInfo ReadStatus(const hostkit::DriverLibrary& driver);

}  // namespace zephyr::hostapp
