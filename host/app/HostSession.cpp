#include "host/app/HostSession.h"

#include <signal.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <sstream>
#include <thread>

#include "host/ConsoleWords.h"
#include "host/DriverLibrary.h"
#include "host/GbkText.h"
#include "host/PushRecordFile.h"
#include "host/app/Terminal.h"

namespace zephyr::hostapp {

namespace {

using Clock = std::chrono::steady_clock;
using hostkit::CompareMode;
using hostkit::DigestCheck;
using hostkit::GbkToUtf8;
using hostkit::MarketImage;
using hostkit::PullResult;

constexpr uint32_t kOperatorConsole = 1;
constexpr uint32_t kHostConsole = 2;  // the host's own commands (pausing the feed)
constexpr size_t kDifferenceSamples = 10;
constexpr auto kFlushDelay = std::chrono::milliseconds(300);  // the pool flushes every 100 ms

std::atomic<bool> g_stop{false};
std::atomic<int> g_signals{0};

void OnSignal(int) {
    g_stop.store(true);
    if (g_signals.fetch_add(1) >= 1) {
        // A second Ctrl-C: the driver does not stop; leave at once.
        Terminal::RestoreFromSignal();
        _exit(130);
    }
}

// What the callbacks reach: they carry no context of their own.
struct Shared {
    Terminal* terminal = nullptr;
    hostkit::MarketReplica replica;
    hostkit::PushRecordWriter record;
    std::atomic<uint64_t> push_bytes{0};
    std::atomic<uint64_t> logs[4] = {};
    std::atomic<uint64_t> bad_push_lines{0};
    std::atomic<bool> reset_seen{false};
    std::mutex last_log_mutex;
    std::string last_log;
};
Shared* g_shared = nullptr;
// Callbacks hold it shared while they use g_shared; the session takes it alone to withdraw it,
// so a late callback from a driver thread never finds the screen gone under it.
std::shared_mutex g_shared_mutex;

std::string ClockText(bool millis) {
    timeval now;
    gettimeofday(&now, nullptr);
    tm local;
    localtime_r(&now.tv_sec, &local);
    char text[32];
    if (millis) {
        snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec,
                 static_cast<int>(now.tv_usec / 1000));
    } else {
        snprintf(text, sizeof text, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    }
    return text;
}

uint64_t NowMicros() {
    timeval now;
    gettimeofday(&now, nullptr);
    return static_cast<uint64_t>(now.tv_sec) * 1000000u + static_cast<uint64_t>(now.tv_usec);
}

const char* LevelText(int32_t level) {
    switch (level) {
        case 1: return "INFO ";
        case 2: return "WARN ";
        case 3: return "ERROR";
        default: return "LOG? ";
    }
}

std::string TrimEnd(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// Called by the session itself and by callbacks that already hold g_shared_mutex.
void HostLine(const std::string& text) {
    if (g_shared != nullptr && g_shared->terminal != nullptr) {
        g_shared->terminal->Line(ClockText(true) + " HOST  zephyr-host: " + text);
    }
}

int32_t OnPush(uint8_t main_type, uint8_t sub_type, const void* data, int32_t length, uint8_t market,
               uint16_t driver_id, uint8_t compressed) {
    std::shared_lock<std::shared_mutex> in_use(g_shared_mutex);
    Shared* shared = g_shared;
    if (shared == nullptr || data == nullptr || length <= 0) return 1;
    const char* bytes = static_cast<const char*>(data);
    shared->push_bytes += static_cast<uint64_t>(length);
    if (shared->record.IsOpen()) {
        hostkit::RecordedPush entry;
        entry.micros = NowMicros();
        entry.main_type = main_type;
        entry.sub_type = sub_type;
        entry.market = market;
        entry.driver_id = driver_id;
        entry.compressed = compressed;
        entry.bytes.assign(bytes, static_cast<size_t>(length));
        if (!shared->record.Write(entry)) HostLine("writing the push record failed; recording stops");
    }
    std::string error;
    if (main_type != 2 || sub_type != 86 || compressed != 0) {
        error = "push of type " + std::to_string(main_type) + "/" + std::to_string(sub_type) +
                (compressed != 0 ? " (compressed)" : "") + " is not a market push";
    } else if (shared->replica.ApplyPush(bytes, static_cast<size_t>(length), &error)) {
        return 1;
    }
    // Say it plainly, but do not flood the screen with one fault repeated.
    const uint64_t seen = shared->bad_push_lines.fetch_add(1);
    if (seen < 10 || seen % 1000 == 0) {
        HostLine("push not understood (" + std::to_string(length) + " bytes): " + error);
    }
    return 1;
}

int32_t OnLog(int32_t level, uint16_t, int32_t, const char* module, const char* format, ...) {
    std::shared_lock<std::shared_mutex> in_use(g_shared_mutex);
    Shared* shared = g_shared;
    if (shared == nullptr) return 1;
    // The driver hands the finished message in the format position: shown as it stands.
    const std::string text = TrimEnd(GbkToUtf8(format != nullptr ? format : ""));
    const std::string name = GbkToUtf8(module != nullptr ? module : "");
    ++shared->logs[level >= 1 && level <= 3 ? level : 0];
    const std::string line = ClockText(true) + " " + LevelText(level) + " " + name + ": " + text;
    {
        std::lock_guard<std::mutex> lock(shared->last_log_mutex);
        shared->last_log = ClockText(false) + " " + LevelText(level) + " " + name + ": " + text;
    }
    if (shared->terminal != nullptr) shared->terminal->Line(line);
    return 1;
}

int32_t ConsoleText(const char* format, va_list args) {
    std::shared_lock<std::shared_mutex> in_use(g_shared_mutex);
    Shared* shared = g_shared;
    if (shared == nullptr || format == nullptr) return 0;
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
    if (shared->terminal != nullptr) shared->terminal->Text(GbkToUtf8(text));
    return n;
}

int32_t OnConsoleOutput(uint32_t, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32_t n = ConsoleText(format, args);
    va_end(args);
    return n;
}

int32_t OnConsoleReply(uint32_t, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int32_t n = ConsoleText(format, args);
    va_end(args);
    return n;
}

void OnMarketReset(uint8_t market, uint16_t driver_id) {
    std::shared_lock<std::shared_mutex> in_use(g_shared_mutex);
    Shared* shared = g_shared;
    if (shared == nullptr) return;
    shared->replica.Reset();
    shared->reset_seen = true;
    HostLine("market " + std::to_string(market) + " reset by driver " + std::to_string(driver_id) +
             ": the replica is dropped and will be pulled again");
}

uint64_t ReadRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, 6, "VmRSS:") == 0) return std::strtoull(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

DriverStatusInfo ReadStatus(const hostkit::DriverLibrary& driver) {
    std::array<uint8_t, 163> bytes = driver.StatusBytes(0);
    DriverStatusInfo status;
    std::memcpy(&status, bytes.data(), sizeof status);
    return status;
}

std::string Thousands(uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string TimeText(uint32_t hhmmss) {
    char text[16];
    snprintf(text, sizeof text, "%02u:%02u:%02u", hhmmss / 10000, hhmmss / 100 % 100, hhmmss % 100);
    return text;
}

class Session {
public:
    Session(const SessionOptions& options, SessionResult* result)
        : options_(options), result_(*result) {}

    void Run();

private:
    bool Start();
    void InputLoop();
    void RunCommand(uint32_t console, const std::vector<std::string>& words);
    void LoadReplicaIfNeeded();
    PullResult Pull(MarketImage* image);
    void Tick(Clock::time_point started);
    void LiveCheck();
    void Finish();
    void RefreshCategories(const MarketImage& image);
    void CatchStdout(int fd);

    const SessionOptions& options_;
    SessionResult& result_;
    std::unique_ptr<Terminal> terminal_;
    std::unique_ptr<hostkit::DriverLibrary> driver_;
    Shared shared_;
    std::thread input_;
    std::mutex command_mutex_;
    std::string categories_text_ = "-";
    std::string pull_error_;
    std::string last_pull_error_;
    Clock::time_point next_pull_ = Clock::now();
    uint64_t last_pushes_ = 0, last_snapshots_ = 0;
    std::atomic<bool> quit_{false};
};

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
    params.push_data = &OnPush;
    params.log = &OnLog;
    params.console_output = &OnConsoleOutput;
    params.console_reply = &OnConsoleReply;
    params.market_reset = &OnMarketReset;
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
    while (!g_stop.load() && terminal_->ReadLine(&line, g_stop)) {
        const std::vector<std::string> words = hostkit::SplitConsoleWords(line);
        if (words.empty()) continue;
        if (words[0] == "quit" || words[0] == "exit") {
            quit_ = true;
            g_stop = true;
            break;
        }
        ++result_.commands;
        RunCommand(kOperatorConsole, words);
    }
}

PullResult Session::Pull(MarketImage* image) {
    ++result_.pulls;
    PullResult pulled = hostkit::PullMarketImage(*driver_, options_.frame_size, image, &pull_error_);
    if (pulled != PullResult::kPulled) ++result_.pull_failures;
    // Said once per kind of fault, not at every retry.
    if (pulled == PullResult::kBroken && pull_error_ != last_pull_error_) HostLine("pull refused: " + pull_error_);
    if (pulled == PullResult::kBroken) last_pull_error_ = pull_error_;
    return pulled;
}

void Session::RefreshCategories(const MarketImage& image) {
    std::string text;
    for (const std::string& category : image.categories) {
        const std::string name = GbkToUtf8(std::string(category.data(), strnlen(category.data(), 8)));
        if (!text.empty()) text += ", ";
        text += name + " " + std::to_string(hostkit::LoadU16(category.data() + 11));
    }
    categories_text_ = text.empty() ? "-" : text;
}

void Session::LoadReplicaIfNeeded() {
    if (shared_.replica.Loaded() || Clock::now() < next_pull_) return;
    next_pull_ = Clock::now() + std::chrono::milliseconds(500);
    if (driver_->IsWorking() != 1) return;
    const uint64_t generation = shared_.replica.Generation();
    MarketImage image;
    if (Pull(&image) != PullResult::kPulled) return;
    RefreshCategories(image);
    const size_t codes = image.Of(hostkit::Table::kCodes).Count();
    const size_t snapshots = image.Of(hostkit::Table::kSnapshots).Count();
    if (!shared_.replica.Install(std::move(image), generation)) {
        HostLine("the market was reset during the pull: pulling again");
        return;
    }
    const DriverStatusInfo status = ReadStatus(*driver_);
    shared_.replica.ApplyMarketVolume(status.hsi_volume);
    result_.served = true;
    HostLine("replica loaded: " + std::to_string(codes) + " codes, " + std::to_string(snapshots) +
             " snapshots; every push is applied to it from now on");
}

void Session::LiveCheck() {
    if (!shared_.replica.Loaded()) return;
    const uint64_t generation = shared_.replica.Generation();
    shared_.replica.OpenWitness();
    shared_.replica.ApplyMarketVolume(ReadStatus(*driver_).hsi_volume);
    MarketImage pulled;
    const PullResult result = Pull(&pulled);
    std::this_thread::sleep_for(kFlushDelay);  // pushes of what the pull saw arrive meanwhile
    // A market reset meanwhile leaves nothing to compare: the replica is pulled again.
    const bool same_market = shared_.replica.Loaded() && shared_.replica.Generation() == generation;
    if (result == PullResult::kPulled && same_market) {
        shared_.replica.ApplyMarketVolume(ReadStatus(*driver_).hsi_volume);
        size_t total = 0;
        std::vector<hostkit::Difference> found =
            shared_.replica.Compare(pulled, CompareMode::kWitnessed, 3, &total);
        ++result_.live_checks;
        if (total > 0) {
            ++result_.live_check_failures;
            std::string text = "live check: the replica DIFFERS from the pull in " + std::to_string(total) +
                               " place(s):";
            for (const hostkit::Difference& d : found) text += " " + d.where + " " + d.detail + ";";
            HostLine(text);
        }
    }
    shared_.replica.CloseWitness();
}

void Session::Tick(Clock::time_point started) {
    const DriverStatusInfo status = ReadStatus(*driver_);
    const hostkit::ReplicaCounters counters = shared_.replica.Counters();
    const uint64_t pushes = counters.pushes - last_pushes_;
    const uint64_t snapshots = counters.snapshot_records - last_snapshots_;
    last_pushes_ = counters.pushes;
    last_snapshots_ = counters.snapshot_records;
    const uint32_t second =
        static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count());
    result_.rss_kb.emplace_back(second, ReadRssKb());
    if (!terminal_->StatusArea()) return;

    std::string last_log;
    {
        std::lock_guard<std::mutex> lock(shared_.last_log_mutex);
        last_log = shared_.last_log;
    }
    const bool working = status.working == 1;
    std::vector<std::string> lines;
    lines.push_back(" " + result_.description + " | market " + std::to_string(status.market_date) + " " +
                    TimeText(status.market_time) + " | " + (working ? "SERVING" : "not serving") +
                    " | replica " + (shared_.replica.Loaded() ? "loaded" : "waiting") + " | up " +
                    std::to_string(second) + " s ");
    lines.push_back(" instruments " + std::to_string(status.instrument_count) + ": " + categories_text_ + " ");
    lines.push_back(" pushes " + Thousands(pushes) + "/s | snapshot updates " + Thousands(snapshots) +
                    "/s | total " + Thousands(counters.snapshot_records) + " updates, " +
                    Thousands(counters.pushes) + " pushes | RSS " +
                    std::to_string(result_.rss_kb.back().second / 1024) + " MB ");
    std::string feed = status.snapshot_age_s <= 3
                           ? "alive"
                           : "SILENT for " + std::to_string(status.snapshot_age_s) + " s";
    lines.push_back(" level-2 feed " + feed + " | live checks " + std::to_string(result_.live_checks) + " (" +
                    std::to_string(result_.live_check_failures) + " failed) | type a command, help, or quit ");
    lines.push_back(" last log: " + (last_log.empty() ? std::string("-") : last_log) + " ");
    terminal_->SetStatus(lines);
}

void Session::Finish() {
    FinalCheck& check = result_.final_check;
    if (!result_.served) {
        check.note = "the driver never served: nothing to check";
        return;
    }
    if (options_.pause_feed) {
        HostLine("pausing the level-2 feed for the final check (l2cmd rate 0)");
        RunCommand(kHostConsole, {"l2cmd", "rate", "0"});
    }
    // Quiet: no snapshot update for a while (the pool flushes every 100 ms).
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(3);
    uint64_t seen = shared_.replica.Counters().snapshot_records;
    Clock::time_point quiet_since = Clock::now();
    bool quiet = false;
    while (Clock::now() < give_up) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const uint64_t now = shared_.replica.Counters().snapshot_records;
        if (now != seen) {
            seen = now;
            quiet_since = Clock::now();
        } else if (Clock::now() - quiet_since >= std::chrono::milliseconds(800)) {
            quiet = true;
            break;
        }
    }
    check.exact = quiet;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // After a reset the replica must be loaded again before it can be compared.
        for (int wait = 0; wait < 50 && !shared_.replica.Loaded(); ++wait) {
            next_pull_ = Clock::now();
            LoadReplicaIfNeeded();
            if (!shared_.replica.Loaded()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (!shared_.replica.Loaded()) {
            check.note = driver_->IsWorking() == 1
                             ? "the replica could not be pulled again after a market reset"
                             : "the driver stopped serving after a market reset and did not come back";
            break;
        }
        const uint64_t generation = shared_.replica.Generation();
        if (!quiet) shared_.replica.OpenWitness();
        const uint64_t volume_before = ReadStatus(*driver_).hsi_volume;
        shared_.replica.ApplyMarketVolume(volume_before);
        MarketImage pulled;
        const PullResult result = Pull(&pulled);
        if (result != PullResult::kPulled) {
            check.note = result == PullResult::kNotServing ? "the driver stopped serving before the final pull"
                                                           : "the final pull failed: " + pull_error_;
            shared_.replica.CloseWitness();
            std::this_thread::sleep_for(std::chrono::seconds(1));
            continue;
        }
        std::this_thread::sleep_for(kFlushDelay);
        if (!shared_.replica.Loaded() || shared_.replica.Generation() != generation) {
            check.note = "the market was reset during the final pull";
            shared_.replica.CloseWitness();
            continue;
        }
        const uint64_t volume_after = ReadStatus(*driver_).hsi_volume;
        shared_.replica.ApplyMarketVolume(volume_after);
        check.samples = shared_.replica.Compare(pulled, quiet ? CompareMode::kExact : CompareMode::kWitnessed,
                                                kDifferenceSamples, &check.differences);
        shared_.replica.CloseWitness();
        check.done = true;
        check.note.clear();
        check.replica_equals_pull = check.differences == 0;
        const std::string previous = shared_.replica.PreviousDigest();
        const bool known = shared_.replica.PreviousDigestKnown();
        check.replica_digest = hostkit::CheckMarketDigest(shared_.replica.Image(), previous, known);
        check.pull_digest = hostkit::CheckMarketDigest(pulled, previous, known);
        check.digest_hex = hostkit::HexBytes(pulled.market.substr(hostkit::kDigestOffset, hostkit::kDigestSize));
        // A market total that moved between the two status reads: take it again.
        if (check.replica_equals_pull || volume_before == volume_after) break;
    }
    if (!quiet) check.note = "the driver kept pushing: compared against what it pushed meanwhile";
}

void Session::CatchStdout(int fd) {
    std::string pending;
    char bytes[1024];
    for (;;) {
        const ssize_t n = read(fd, bytes, sizeof bytes);
        if (n <= 0) break;
        pending.append(bytes, static_cast<size_t>(n));
        for (size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            terminal_->Line(ClockText(true) + " OUT   stdout: " + TrimEnd(GbkToUtf8(pending.substr(0, end))));
        }
    }
    if (!pending.empty()) terminal_->Line(ClockText(true) + " OUT   stdout: " + TrimEnd(GbkToUtf8(pending)));
}

void Session::Run() {
    g_stop = false;
    g_signals = 0;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // What the driver prints on the process's standard output is caught and shown like its log
    // lines, so that it neither breaks the status area nor mixes with a JSON summary.
    fflush(stdout);
    const int original_stdout = dup(STDOUT_FILENO);
    FILE* screen = options_.json || original_stdout < 0 ? stderr : fdopen(original_stdout, "w");
    int pipe_fds[2] = {-1, -1};
    const bool capturing = original_stdout >= 0 && pipe(pipe_fds) == 0;
    if (capturing) {
        dup2(pipe_fds[1], STDOUT_FILENO);
        close(pipe_fds[1]);
    }
    terminal_.reset(new Terminal(screen != nullptr ? screen : stderr));
    shared_.terminal = terminal_.get();
    std::thread catcher;
    if (capturing) catcher = std::thread(&Session::CatchStdout, this, pipe_fds[0]);
    {
        std::unique_lock<std::shared_mutex> alone(g_shared_mutex);
        g_shared = &shared_;
    }
    for (const std::string& note : options_.ini_notes) HostLine(note);

    const Clock::time_point started = Clock::now();
    if (Start()) {
        if (options_.read_console) input_ = std::thread(&Session::InputLoop, this);
        Clock::time_point next_tick = started + std::chrono::seconds(1);
        Clock::time_point next_check =
            started + std::chrono::seconds(options_.check_every > 0 ? options_.check_every : 1);
        const auto deadline = started + std::chrono::milliseconds(static_cast<int64_t>(options_.seconds * 1000));
        while (!g_stop.load() && (options_.seconds <= 0 || Clock::now() < deadline)) {
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
        const bool interrupted = g_stop.load();
        g_stop = true;  // ends the input thread
        if (input_.joinable()) input_.join();
        terminal_->StopEditing();
        terminal_->SetStatus({});
        if (interrupted) HostLine(quit_.load() ? "stopping (quit)" : "stopping (Ctrl-C)");
        Finish();
        HostLine("EndDriverWork");
        driver_->End();
    } else if (!result_.load_error.empty()) {
        HostLine(result_.load_error);
    }
    result_.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    shared_.record.Close();
    result_.counters = shared_.replica.Counters();
    result_.push_bytes = shared_.push_bytes.load();
    for (int i = 0; i < 4; ++i) result_.logs[i] = shared_.logs[i].load();
    result_.image = shared_.replica.Image();
    if (capturing) {
        // Back to the real standard output; the catcher sees the pipe end and finishes.
        fflush(stdout);
        dup2(original_stdout, STDOUT_FILENO);
        catcher.join();
        close(pipe_fds[0]);
    }
    {
        std::unique_lock<std::shared_mutex> alone(g_shared_mutex);
        g_shared = nullptr;
        shared_.terminal = nullptr;
    }
    terminal_->Close();
    terminal_.reset();
    if (screen != nullptr && screen != stderr) fclose(screen);
    else if (original_stdout >= 0) close(original_stdout);
    driver_.reset();  // unloaded, as a host unloads a driver it stopped
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
}

}  // namespace

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
