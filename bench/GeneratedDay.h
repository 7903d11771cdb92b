// A generated trading day for the benches of a running processing unit: the sample day written
// into a fresh folder that is also the working directory, the clock at 10:00 of that day, a
// configured processing unit whose pushes reach a counting host callback, and the level-2
// bridge attached to it (no module file: the bridge's push callback leads into the unit).
// One day at a time: DayOf keeps the last day asked for and replaces it when the shares or the
// push bond differ.
#pragma once
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "config/ConfigUnit.h"
#include "driver/Level2Connection.h"
#include "foundation/MClock.h"
#include "foundation/MLog.h"
#include "process/ProcessIO.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/SampleDay.h"

namespace zephyr::bench {

constexpr uint32_t kDate = 20151007;
inline uint64_t g_host_bytes = 0;
inline uint64_t g_host_calls = 0;

inline int32_t CountingHost(uint8_t, uint8_t, const void* data, int32_t length, uint8_t, uint16_t, uint8_t) {
    benchmark::DoNotOptimize(data);
    g_host_bytes += static_cast<uint32_t>(length);
    ++g_host_calls;
    return 0;
}

inline int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&local));
}

class Day {
public:
    Day(uint32_t shares, uint16_t push_bond)
        : shares_(shares), push_bond_(push_bond), clock_(0, 1000), config_(&logger_, nullptr),
          process_(&config_, &logger_), level2_(&process_, &config_) {
        setenv("TZ", "Asia/Hong_Kong", 1);
        tzset();
        clock_.Set(LocalSeconds(2015, 10, 7, 10, 0, 0));
        clock_.Install();
        char dir[] = "/tmp/zephyr-bench-XXXXXX";
        dir_ = mkdtemp(dir);
        if (chdir(dir_.c_str()) != 0) std::perror("chdir");
        sampleday::Options options;
        options.date = kDate;
        options.seed = kDate;
        options.shares = shares;
        options.time = 95900;
        options.driverIni = true;
        std::string error;
        if (!sampleday::WriteSampleDay(options, dir_, error)) std::fprintf(stderr, "%s\n", error.c_str());
        if (push_bond != 0) {
            FILE* ini = std::fopen((dir_ + "/Zephyr.ini").c_str(), "ab");
            if (ini != nullptr) {
                std::fprintf(ini, "\r\n[Push]\r\nPushBond = %u\r\n", push_bond);
                std::fclose(ini);
            }
        }
        config_.SetLibraryFileName((dir_ + "/Zephyr.so").c_str());
        config_.Start();
        config_.GetIndexConfig().LoadIndexConfig(config_);
        DriverWorkParams params;
        std::memset(&params, 0, sizeof params);
        params.frame_size = 8192;
        params.request_budget = 819200;
        params.push_data = &CountingHost;
        process_.SetWorkParams(params);
    }
    ~Day() {
        process_.Stop();
        config_.Stop();
        MClock::SetSource(nullptr);
        std::string command = "rm -rf '" + dir_ + "'";
        if (std::system(command.c_str()) != 0) std::perror("rm");
    }
    Day(const Day&) = delete;
    Day& operator=(const Day&) = delete;

    ProcessIO& Process() { return process_; }
    const std::string& Dir() const { return dir_; }
    uint32_t Shares() const { return shares_; }
    uint16_t PushBond() const { return push_bond_; }

    // Started and serving, the level-2 bridge's pushes led into this unit: pushes reach the
    // host callback.
    void Serve() {
        if (!process_.IsStarted()) process_.Start();
        process_.SetServiceFlag(1);
        process_.SetProcessState(1);
        level2_.Initialise();
    }

private:
    uint32_t shares_;
    uint16_t push_bond_;
    MManualClock clock_;
    MLogger logger_;
    ConfigUnit config_;
    ProcessIO process_;
    Level2Connection level2_;
    std::string dir_;
};

inline Day& DayOf(uint32_t shares, uint16_t push_bond = 0) {
    static std::unique_ptr<Day> day;
    if (!day || day->Shares() != shares || day->PushBond() != push_bond) {
        day.reset();
        day = std::make_unique<Day>(shares, push_bond);
    }
    return *day;
}

inline std::string ReadWhole(const std::string& path) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    char block[65536];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) bytes.append(block, n);
    std::fclose(f);
    return bytes;
}

// The cost floor of reading exchange text: lines found with memchr, and in each line its '|'
// fields. Answers the number of fields.
inline uint64_t SplitLinesAndFields(const char* text, size_t length) {
    uint64_t fields = 0;
    const char* end = text + length;
    for (const char* line = text; line < end;) {
        const char* newline = static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(end - line)));
        const char* line_end = newline != nullptr ? newline : end;
        for (const char* f = line; f < line_end; ++fields) {
            const char* bar = static_cast<const char*>(std::memchr(f, '|', static_cast<size_t>(line_end - f)));
            if (bar == nullptr) break;
            f = bar + 1;
        }
        line = line_end + 1;
    }
    return fields;
}

// Every regular file below dir, recursively.
inline void FilesBelow(const std::string& dir, std::vector<std::string>* out) {
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) return;
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        const std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) FilesBelow(path, out);
        else if (S_ISREG(st.st_mode)) out->push_back(path);
    }
    closedir(d);
}

}  // namespace zephyr::bench
