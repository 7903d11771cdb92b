// The session behind RunSession, shared by the files that build it: HostSession.cpp (start,
// main loop, operator input, stop), SessionWindow.cpp (the driver's working window and level-2
// module as the host sees them) and SessionChecks.cpp (pulls, the replica, the checks).
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
#include "host/ReplicaCheck.h"
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
    bool BeginDriver();
    void InputLoop();
    void RunCommand(uint32_t console, const std::vector<std::string>& words);
    void Tick(SessionClock::time_point started);
    // Whether the run goes on at `now`; a short run waits (bounded) for a driver that is about to
    // open its market.
    bool GoesOn(SessionClock::time_point now, SessionClock::time_point* deadline);
    void Stop(bool interrupted);

    // SessionWindow.cpp: the driver's working window as the host sees it.
    void ReadSchedule();
    // Notes whether the driver is live now; the reason when it is not ("" when it is).
    std::string NoteLive();
    // Whether the driver serves at all now (a working day after the opening time).
    bool ExpectServing() const;
    hostkit::TimeRule TimeRuleNow() const;
    void ReportLevel2();

    // SessionChecks.cpp
    hostkit::PullResult Pull(hostkit::MarketImage* image);
    void RefreshCategories(const hostkit::MarketImage& image);
    void LoadReplicaIfNeeded();
    hostkit::CheckHooks Hooks();
    void LiveCheck();
    void Finish();
    // Waits until no push has changed the replica for a while (bounded).
    void Settle();
    void CloseRecord();

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
    bool m_WaitingToServe = false;
    std::atomic<bool> m_Quit{false};
};

// The driver's status record, read into a copy.
DriverStatusInfo ReadStatus(const hostkit::DriverLibrary& driver);

}  // namespace zephyr::hostapp
