#include "host/app/HostSession.h"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

#include "host/ConsoleWords.h"
#include "host/GbkText.h"
#include "host/app/ScreenText.h"
#include "host/app/Session.h"
#include "host/app/StatusArea.h"
#include "host/app/StopSignals.h"

namespace zephyr::hostapp {

using Clock = SessionClock;
using hostkit::DigestCheck;
using hostkit::GbkToUtf8;

DriverStatusInfo ReadStatus(const hostkit::DriverLibrary& driver) {
    std::array<uint8_t, sizeof(DriverStatusInfo)> bytes = driver.StatusBytes(0);
    DriverStatusInfo status;
    std::memcpy(&status, bytes.data(), sizeof status);
    return status;
}

bool Session::Start() {
    if (!options_.work_dir.empty() && chdir(options_.work_dir.c_str()) != 0) {
        result_.load_error = "cannot enter " + options_.work_dir + ": " + strerror(errno);
        return false;
    }
    driver_.reset(new hostkit::DriverLibrary(options_.driver_path));
    if (!driver_->IsLoaded()) {
        result_.load_error = options_.driver_path + ": " + driver_->Error();
        return false;
    }
    const auto base = driver_->BaseInfoBytes(0);
    result_.description = GbkToUtf8(std::string(reinterpret_cast<const char*>(base.data()) + 43,
                                                 strnlen(reinterpret_cast<const char*>(base.data()) + 43, 128)));
    if (!options_.record_path.empty()) {
        std::string error;
        if (!shared_.record.Open(options_.record_path, &error)) {
            result_.load_error = "cannot record the pushes: " + error;
            return false;
        }
    }
    DriverWorkParams params;
    std::memset(&params, 0, sizeof params);
    params.record_form = 1;
    params.host_version = kDriverVersionWord;
    params.driver_id = options_.driver_id;
    params.request_budget = options_.request_budget;
    params.frame_size = options_.frame_size;
    SetHostCallbacks(&params);
    terminal_->Line(ClockText(true) + " HOST  zephyr-host: starting " + options_.driver_path + " (" +
                    result_.description + ")");
    result_.begin_result = driver_->Begin(params);
    if (result_.begin_result != 1) {
        HostLine("BeginDriverWork answered " + std::to_string(result_.begin_result) +
                 ": the driver did not start");
        driver_->End();
        return false;
    }
    return true;
}

void Session::RunCommand(uint32_t console, const std::vector<std::string>& words) {
    if (words.empty()) return;
    std::lock_guard<std::mutex> lock(command_mutex_);
    std::vector<std::string> gbk;
    for (const std::string& word : words) gbk.push_back(hostkit::Utf8ToGbk(word));
    driver_->Command(console, gbk);
    terminal_->Flush();
}

void Session::InputLoop() {
    std::string line;
    while (!StopFlag().load() && terminal_->ReadLine(&line, StopFlag())) {
        const std::vector<std::string> words = hostkit::SplitConsoleWords(line);
        if (words.empty()) continue;
        if (words[0] == "quit" || words[0] == "exit") {
            quit_ = true;
            StopFlag() = true;
            break;
        }
        ++result_.commands;
        RunCommand(kOperatorConsole, words);
    }
}

void Session::Tick(Clock::time_point started) {
    StatusFigures figures;
    figures.status = ReadStatus(*driver_);
    figures.totals = shared_.replica.Counters();
    figures.pushes_per_s = figures.totals.pushes - last_pushes_;
    figures.snapshots_per_s = figures.totals.snapshot_records - last_snapshots_;
    last_pushes_ = figures.totals.pushes;
    last_snapshots_ = figures.totals.snapshot_records;
    figures.second =
        static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count());
    figures.rss_kb = ReadRssKb();
    result_.rss_kb.emplace_back(figures.second, figures.rss_kb);
    if (!terminal_->StatusArea()) return;
    {
        std::lock_guard<std::mutex> lock(shared_.last_log_mutex);
        figures.last_log = shared_.last_log;
    }
    figures.description = result_.description;
    figures.replica_loaded = shared_.replica.Loaded();
    figures.categories = categories_text_;
    figures.live_checks = result_.live_checks;
    figures.live_check_failures = result_.live_check_failures;
    terminal_->SetStatus(StatusLines(figures));
}

void Session::Run() {
    InstallStopSignals();
    FILE* screen = capture_.Begin(options_.json);
    terminal_.reset(new Terminal(screen));
    shared_.terminal = terminal_.get();
    capture_.Show(terminal_.get());
    AttachCallbacks(&shared_);
    for (const std::string& note : options_.ini_notes) HostLine(note);

    const Clock::time_point started = Clock::now();
    if (Start()) {
        if (options_.read_console) input_ = std::thread(&Session::InputLoop, this);
        Clock::time_point next_tick = started + std::chrono::seconds(1);
        Clock::time_point next_check =
            started + std::chrono::seconds(options_.check_every > 0 ? options_.check_every : 1);
        const auto deadline = started + std::chrono::milliseconds(static_cast<int64_t>(options_.seconds * 1000));
        while (!StopFlag().load() && (options_.seconds <= 0 || Clock::now() < deadline)) {
            LoadReplicaIfNeeded();
            if (Clock::now() >= next_tick) {
                Tick(started);
                next_tick += std::chrono::seconds(1);
            }
            if (options_.check_every > 0 && Clock::now() >= next_check) {
                LiveCheck();
                next_check = Clock::now() + std::chrono::seconds(options_.check_every);
            }
            fflush(stdout);  // the driver's own printing reaches the catcher line by line
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        Stop(StopFlag().load());
    } else if (!result_.load_error.empty()) {
        HostLine(result_.load_error);
    }
    result_.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    shared_.record.Close();
    result_.counters = shared_.replica.Counters();
    result_.push_bytes = shared_.push_bytes.load();
    for (int i = 0; i < 4; ++i) result_.logs[i] = shared_.logs[i].load();
    result_.image = shared_.replica.Image();
    capture_.End();
    DetachCallbacks();
    terminal_->Close();
    terminal_.reset();
    capture_.CloseScreen();
    driver_.reset();  // unloaded, as a host unloads a driver it stopped
    RestoreDefaultSignals();
}

// The operator's input ends, the final check is taken, and the driver is stopped.
void Session::Stop(bool interrupted) {
    StopFlag() = true;  // ends the input thread
    if (input_.joinable()) input_.join();
    terminal_->StopEditing();
    terminal_->SetStatus({});
    if (interrupted) HostLine(quit_.load() ? "stopping (quit)" : "stopping (Ctrl-C)");
    Finish();
    HostLine("EndDriverWork");
    driver_->End();
}

bool SessionResult::Ok() const {
    return begin_result == 1 && served && final_check.done && final_check.replica_equals_pull &&
           (final_check.replica_digest == DigestCheck::kMatchesAfterStart ||
            final_check.replica_digest == DigestCheck::kMatchesAfterReinit ||
            final_check.replica_digest == DigestCheck::kUnknownPrevious) &&
           live_check_failures == 0 && counters.bad_pushes == 0;
}

SessionResult RunSession(const SessionOptions& options) {
    SessionResult result;
    Session session(options, &result);
    session.Run();
    return result;
}

}  // namespace zephyr::hostapp
