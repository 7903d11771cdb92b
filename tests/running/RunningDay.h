// A trading day run from outside the library: a generated sample day in a fresh folder (also the
// working directory, so the driver's relative paths resolve there), the driver copied beside it,
// the host clock set, and helpers that move the clock tick by tick while the driver's own threads
// run. Waits are bounded polls in real time; the clock only moves when a test moves it.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "zephyr/DriverInterface.h"
#include "host/DriverLibrary.h"
#include "host/HostClock.h"
#include "host/HostRecorder.h"
#include "host/MarketImage.h"
#include "host/PushDecoder.h"
#include "host/ScratchFolder.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/SampleDay.h"

namespace zephyr::running {

using hostkit::DriverLibrary;
using hostkit::HostClock;
using hostkit::HostRecorder;

// Polls until done() or timeout_ms of real time; true when done() held.
inline bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Lets the driver's threads make a few passes (they pass every 100 ms of real time).
inline void LetThreadsPass() { std::this_thread::sleep_for(std::chrono::milliseconds(250)); }

// Every push so far, decoded; the failures of any push that is not whole are collected.
struct PushSummary {
    size_t headers = 0;
    std::map<std::string, std::string> snapshots;  // code -> latest pushed record
    size_t snapshot_records = 0;
    std::vector<std::string> faults;
};

inline PushSummary Summarise(const std::vector<hostkit::PushRecord>& pushes) {
    PushSummary summary;
    hostkit::DecodedPush decoded;
    for (const hostkit::PushRecord& push : pushes) {
        if (push.main_type != 2 || push.sub_type != 86 || push.market != 30 || push.driver_id != 7 ||
            push.compressed != 0) {
            summary.faults.push_back("push header");
        }
        if (!hostkit::DecodePush(push.data.data(), push.data.size(), &decoded)) {
            summary.faults.push_back(decoded.error);
            continue;
        }
        for (const hostkit::PushFrame& frame : decoded.frames) {
            if (frame.type == hostkit::kPushMarketHeader) ++summary.headers;
            if (frame.type != hostkit::kPushSnapshots) continue;
            for (size_t i = 0; i < frame.records; ++i) {
                const char* record = frame.payload + i * hostkit::kSnapshotSize;
                summary.snapshots[std::string(record, strnlen(record, 6))] = std::string(record, hostkit::kSnapshotSize);
                ++summary.snapshot_records;
            }
        }
    }
    return summary;
}

// Everything pushed to this host so far, decoded.
inline PushSummary Pushed() { return Summarise(HostRecorder::Instance().Pushes()); }

class RunningDay : public ::testing::Test {
protected:
    static constexpr uint32_t kStatusTickMs = 2100;  // just over the status thread's 2 s

    void SetUp() override {
        m_Folder.EnterAsWorkingDirectory();
        HostRecorder::Instance().Clear();
    }
    void TearDown() override {
        if (m_Driver) m_Driver->End();
        m_Driver.reset();
    }

    // Writes the sample day of `date` (market data of `hhmmss`) with the driver ini beside it.
    void WriteDay(uint32_t date, uint32_t hhmmss, uint32_t shares) {
        m_Options.date = date;
        m_Options.seed = date;
        m_Options.shares = shares;
        m_Options.time = hhmmss;
        m_Options.driverIni = true;
        std::string error;
        ASSERT_TRUE(sampleday::WriteSampleDay(m_Options, m_Folder.Path(), error)) << error;
    }
    // The market data file again, for a later time of the same day.
    void RefreshMarketData(uint32_t hhmmss) {
        std::string error;
        ASSERT_TRUE(sampleday::RefreshMarketData(m_Options, m_Folder.Path(), hhmmss, error)) << error;
    }

    DriverLibrary& Load() {
        const std::string path = hostkit::CopyDriverInto(m_Folder, ZEPHYR_SO_PATH);
        m_Driver.reset(new DriverLibrary(path));
        EXPECT_TRUE(m_Driver->IsLoaded()) << m_Driver->Error();
        return *m_Driver;
    }

    // Moves the clock over one status tick and waits (bounded) for done().
    bool TickUntil(const std::function<bool()>& done, int ticks = 1) {
        for (int i = 0; i < ticks; ++i) {
            HostClock::AdvanceMs(kStatusTickMs);
            if (WaitUntil(done, 1500)) return true;
        }
        return false;
    }
    bool Working() const { return m_Driver->IsWorking() == 1; }
    uint32_t MarketDate() const {
        std::vector<uint8_t> market, categories;
        if (m_Driver->MarketInfo(4, &market, &categories) < 0) return 0;
        return hostkit::ReadU32(market.data() + 2);
    }
    static HostRecorder& Host() { return HostRecorder::Instance(); }

    hostkit::ScratchFolder m_Folder;
    sampleday::Options m_Options;
    std::unique_ptr<DriverLibrary> m_Driver;
};

}  // namespace zephyr::running
