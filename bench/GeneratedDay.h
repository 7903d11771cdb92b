// A generated trading day for the benches of a running processing unit: the sample day written
// into a fresh folder that is also the working directory, the clock at 10:00 of that day, a
// configured processing unit whose pushes reach a counting host callback, and the level-2
// bridge attached to it (no module file: the bridge's push callback leads into the unit).
// One day at a time: DayOf keeps the last day asked for and replaces it when the shares or the
// push bond differ.
#pragma once
#include <benchmark/benchmark.h>

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
#include "portable/FileSystem.h"
#include "portable/Library.h"
#include "portable/LocalTime.h"
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
    int64_t seconds = -1;
    portable::LocalSecondsOf(local, &seconds);
    return seconds;
}

class Day {
public:
    Day(uint32_t shares, uint16_t push_bond)
        : m_Shares(shares), m_PushBond(push_bond), m_Clock(0, 1000), m_Config(&m_Logger, nullptr),
          m_Process(&m_Config, &m_Logger), m_Level2(&m_Process, &m_Config) {
        portable::SetTimeZone("Asia/Hong_Kong");
        m_Clock.Set(LocalSeconds(2015, 10, 7, 10, 0, 0));
        m_Clock.Install();
        m_Dir = portable::MakeTemporaryFolder("zephyr-bench-");
        std::string error;
        if (m_Dir.empty() || !portable::ChangeWorkingFolder(m_Dir, &error)) {
            std::fprintf(stderr, "no working folder for the bench: %s\n", error.c_str());
        }
        sampleday::Options options;
        options.date = kDate;
        options.seed = kDate;
        options.shares = shares;
        options.time = 95900;
        options.driverIni = true;
        if (!sampleday::WriteSampleDay(options, m_Dir, error)) std::fprintf(stderr, "%s\n", error.c_str());
        if (push_bond != 0) {
            FILE* ini = std::fopen((m_Dir + "/Zephyr.ini").c_str(), "ab");
            if (ini != nullptr) {
                std::fprintf(ini, "\r\n[Push]\r\nPushBond = %u\r\n", push_bond);
                std::fclose(ini);
            }
        }
        m_Config.SetLibraryFileName((m_Dir + "/Zephyr" + portable::LibrarySuffix()).c_str());
        m_Config.Start();
        m_Config.GetIndexConfig().LoadIndexConfig(m_Config);
        DriverWorkParams params;
        std::memset(&params, 0, sizeof params);
        params.frame_size = 8192;
        params.request_budget = 819200;
        params.push_data = &CountingHost;
        m_Process.SetWorkParams(params);
    }
    ~Day() {
        m_Process.Stop();
        m_Config.Stop();
        MClock::SetSource(nullptr);
        if (!portable::RemoveTree(m_Dir)) std::fprintf(stderr, "cannot remove %s\n", m_Dir.c_str());
    }
    Day(const Day&) = delete;
    Day& operator=(const Day&) = delete;

    ProcessIO& Process() { return m_Process; }
    const std::string& Dir() const { return m_Dir; }
    uint32_t Shares() const { return m_Shares; }
    uint16_t PushBond() const { return m_PushBond; }

    // Started and serving, the level-2 bridge's pushes led into this unit: pushes reach the
    // host callback.
    void Serve() {
        if (!m_Process.IsStarted()) m_Process.Start();
        m_Process.SetServiceFlag(1);
        m_Process.SetProcessState(1);
        m_Level2.Initialise();
    }

private:
    uint32_t m_Shares;
    uint16_t m_PushBond;
    MManualClock m_Clock;
    MLogger m_Logger;
    ConfigUnit m_Config;
    ProcessIO m_Process;
    Level2Connection m_Level2;
    std::string m_Dir;
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
    for (const std::string& name : portable::FolderEntries(dir)) {
        const std::string path = dir + "/" + name;
        const portable::PathKind kind = portable::KindOf(path);
        if (kind == portable::PathKind::kFolder) FilesBelow(path, out);
        else if (kind == portable::PathKind::kFile) out->push_back(path);
    }
}

}  // namespace zephyr::bench
