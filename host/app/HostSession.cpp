#include "host/app/HostSession.h"

#include <array>
#include <cstring>
#include <thread>

#include "host/ConsoleGuide.h"
#include "host/ConsoleWords.h"
#include "host/GbkText.h"
#include "host/app/ScreenText.h"
#include "host/app/Session.h"
#include "host/app/StatusArea.h"
#include "host/app/StopSignals.h"
#include "portable/FileSystem.h"

namespace zephyr::hostapp {

using Clock = SessionClock;
using hostkit::GbkToUtf8;

DriverStatusInfo ReadStatus(const hostkit::DriverLibrary& driver) {
    std::array<uint8_t, sizeof(DriverStatusInfo)> bytes = driver.StatusBytes(0);
    DriverStatusInfo status;
    std::memcpy(&status, bytes.data(), sizeof status);
    return status;
}

bool Session::Start() {
    std::string error;
    if (!m_Options.work_dir.empty() && !portable::ChangeWorkingFolder(m_Options.work_dir, &error)) {
        m_Result.load_error = error;
        return false;
    }
    ReadSchedule();
    m_Result.rss_kb_before_driver = ReadRssKb();
    m_Driver.reset(new hostkit::DriverLibrary(m_Options.driver_path));
    if (!m_Driver->IsLoaded()) {
        // The loader's own message usually names the file already.
        const std::string& error = m_Driver->Error();
        m_Result.load_error = error.find(m_Options.driver_path) != std::string::npos
                                  ? error
                                  : m_Options.driver_path + ": " + error;
        return false;
    }
    const auto base = m_Driver->BaseInfoBytes(0);
    m_Result.description = GbkToUtf8(std::string(reinterpret_cast<const char*>(base.data()) + 43,
                                                 strnlen(reinterpret_cast<const char*>(base.data()) + 43, 128)));
    if (!m_Options.record_path.empty()) {
        if (!m_Shared.record.Open(m_Options.record_path, &error)) {
            m_Result.load_error = "cannot record the pushes: " + error;
            m_Result.record_problem = m_Result.load_error;
            return false;
        }
    }
    return BeginDriver();
}

bool Session::BeginDriver() {
    DriverWorkParams params;
    std::memset(&params, 0, sizeof params);
    params.record_form = 1;
    params.host_version = kDriverVersionWord;
    params.driver_id = m_Options.driver_id;
    params.request_budget = m_Options.request_budget;
    params.frame_size = m_Options.frame_size;
    SetHostCallbacks(&params);
    m_Terminal->Line(ClockText(true) + " HOST  zephyr-host: starting " + m_Options.driver_path + " (" +
                    m_Result.description + ")");
    m_Result.begin_result = m_Driver->Begin(params);
    if (m_Result.begin_result != 1) {
        std::string last_error;
        {
            std::lock_guard<std::mutex> lock(m_Shared.last_log_mutex);
            last_error = m_Shared.last_error;
        }
        m_Result.load_error = "BeginDriverWork answered " + std::to_string(m_Result.begin_result) +
                              ": the driver did not start" +
                              (last_error.empty() ? std::string(" (it logged no error)") : "; its last error: " + last_error);
        m_Driver->End();
        return false;
    }
    ReportLevel2();
    return true;
}

void Session::RunCommand(uint32_t console, const std::vector<std::string>& words) {
    if (words.empty()) return;
    std::lock_guard<std::mutex> lock(m_CommandMutex);
    std::vector<std::string> gbk;
    for (const std::string& word : words) gbk.push_back(hostkit::Utf8ToGbk(word));
    m_Shared.price_tables_on_lines = hostkit::AsksPriceTables(words);
    m_Driver->Command(console, gbk);
    m_Shared.price_tables_on_lines = false;
    m_Terminal->Flush();
}

void Session::InputLoop() {
    std::string line;
    while (!StopFlag().load() && m_Terminal->ReadLine(&line, StopFlag())) {
        const std::vector<std::string> words = hostkit::SplitConsoleWords(line);
        if (words.empty()) continue;
        if (words[0] == "quit" || words[0] == "exit") {
            m_Quit = true;
            StopFlag() = true;
            break;
        }
        ++m_Result.commands;
        // Around the driver's own answers, what its help and its refusals leave out.
        for (const std::string& guide : hostkit::GuideBefore(words)) m_Terminal->Line(guide);
        RunCommand(kOperatorConsole, words);
        for (const std::string& guide : hostkit::GuideAfter(words)) m_Terminal->Line(guide);
    }
}

void Session::Tick(Clock::time_point started) {
    StatusFigures figures;
    figures.status = ReadStatus(*m_Driver);
    figures.totals = m_Shared.replica.Counters();
    figures.pushes_per_s = figures.totals.pushes - m_LastPushes;
    figures.snapshots_per_s = figures.totals.snapshot_records - m_LastSnapshots;
    m_LastPushes = figures.totals.pushes;
    m_LastSnapshots = figures.totals.snapshot_records;
    figures.second =
        static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count());
    figures.rss_kb = ReadRssKb();
    m_Result.rss_kb.emplace_back(figures.second, figures.rss_kb);
    figures.not_live = NoteLive();
    if (!m_Terminal->StatusArea()) return;
    {
        std::lock_guard<std::mutex> lock(m_Shared.last_log_mutex);
        figures.last_log = m_Shared.last_log;
    }
    figures.description = m_Result.description;
    figures.replica_loaded = m_Shared.replica.Loaded();
    figures.categories = m_CategoriesText;
    figures.live_checks = m_Result.live_checks;
    figures.live_check_failures = m_Result.live_check_failures;
    m_Terminal->SetStatus(StatusLines(figures));
}

bool Session::GoesOn(Clock::time_point now, Clock::time_point* deadline) {
    // The driver opens its market at its first 2-second tick after the start: a run shorter
    // than that waits for it when the driver is due to serve, and lets the feed be seen.
    constexpr auto kOpeningGrace = std::chrono::seconds(8);
    if (m_Options.seconds <= 0 || now < *deadline) return true;
    if (m_WaitingToServe && m_Result.served) {
        m_WaitingToServe = false;
        *deadline = now + std::chrono::seconds(1);
        return true;
    }
    if (m_Result.served || !ExpectServing() || now >= *deadline + kOpeningGrace) return false;
    if (!m_WaitingToServe) HostLine("time is up, but the driver has not opened its market yet: waiting for it");
    m_WaitingToServe = true;
    return true;
}

void Session::Run() {
    InstallStopSignals();
    FILE* screen = m_Capture.Begin(m_Options.json);
    m_Terminal.reset(new Terminal(screen));
    m_Shared.terminal = m_Terminal.get();
    m_Capture.Show(m_Terminal.get());
    AttachCallbacks(&m_Shared);
    for (const std::string& note : m_Options.ini_notes) HostLine(note);

    const Clock::time_point started = Clock::now();
    if (Start()) {
        if (m_Options.read_console) m_Input = std::thread(&Session::InputLoop, this);
        Clock::time_point next_tick = started + std::chrono::seconds(1);
        Clock::time_point next_check =
            started + std::chrono::seconds(m_Options.check_every > 0 ? m_Options.check_every : 1);
        auto deadline = started + std::chrono::milliseconds(static_cast<int64_t>(m_Options.seconds * 1000));
        while (!StopFlag().load() && GoesOn(Clock::now(), &deadline)) {
            LoadReplicaIfNeeded();
            if (Clock::now() >= next_tick) {
                Tick(started);
                next_tick += std::chrono::seconds(1);
            }
            if (m_Options.check_every > 0 && Clock::now() >= next_check) {
                LiveCheck();
                next_check = Clock::now() + std::chrono::seconds(m_Options.check_every);
            }
            fflush(stdout);  // the driver's own printing reaches the catcher line by line
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Stop(StopFlag().load());
    } else if (!m_Result.load_error.empty()) {
        HostLine(m_Result.load_error);
    }
    m_Result.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    CloseRecord();
    m_Result.counters = m_Shared.replica.Counters();
    m_Result.pushes_received = m_Shared.pushes.load();
    m_Result.push_bytes = m_Shared.push_bytes.load();
    for (int i = 0; i < 4; ++i) m_Result.logs[i] = m_Shared.logs[i].load();
    m_Result.image = m_Shared.replica.Image();
    m_Capture.End();
    DetachCallbacks();
    m_Terminal->Close();
    m_Terminal.reset();
    m_Capture.CloseScreen();
    m_Driver.reset();  // unloaded, as a host unloads a driver it stopped
    RestoreDefaultSignals();
}

// The operator's input ends, the final check is taken, and the driver is stopped.
void Session::Stop(bool interrupted) {
    StopFlag() = true;  // ends the input thread
    if (m_Input.joinable()) m_Input.join();
    m_Terminal->StopEditing();
    m_Terminal->SetStatus({});
    if (interrupted) {
        const char* signal = StopSignalName();
        m_Result.stopped_by = m_Quit.load() ? "quit" : signal != nullptr ? signal : "request";
        HostLine("stopping (" + m_Result.stopped_by + ")");
    }
    Finish();
    HostLine("EndDriverWork");
    m_Driver->End();
}

SessionResult RunSession(const SessionOptions& options) {
    SessionResult result;
    Session session(options, &result);
    session.Run();
    return result;
}

}  // namespace zephyr::hostapp
