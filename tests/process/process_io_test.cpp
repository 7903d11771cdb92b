// The processing unit over a generated day, driven by hand (no status thread): the start's
// results, the re-initialisation, the close-price correction, the level-2 silence rule, and
// what a stopped unit does with a late level-2 push or console action.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "config/ConfigUnit.h"
#include "foundation/MLog.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "process/ProcessIO.h"
#include "tests/FileFaults.h"
#include "tests/LibraryNames.h"
#include "tools/sampleday/SampleDay.h"

namespace zephyr {
namespace {

using hostkit::HostClock;

struct Line {
    int32_t level;
    std::string module;
    std::string text;
};

std::mutex g_mutex;
std::vector<Line> g_lines;
std::vector<uint8_t> g_push_types;  // type of the first frame of every push
uint32_t g_header_time = 0;         // market time of the last push that led with a header
int g_resets = 0;
std::function<void()> g_on_reset;  // run by the market reset callback, outside the lock

void Collect(void*, int32_t level, const char* module, const char* message) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lines.push_back(Line{level, module, message});
}

int32_t CountPush(uint8_t, uint8_t, const void* data, int32_t length, uint8_t, uint16_t, uint8_t) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (length > 4) g_push_types.push_back(static_cast<const uint8_t*>(data)[4]);
    if (length > 4 && static_cast<const uint8_t*>(data)[4] == 0) memcpy(&g_header_time, data, 4);
    return 0;
}

void CountReset(uint8_t, uint16_t) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        ++g_resets;
    }
    if (g_on_reset) g_on_reset();
}

size_t Logged(const std::string& text) {
    std::lock_guard<std::mutex> lock(g_mutex);
    size_t n = 0;
    for (const Line& line : g_lines) n += line.text.find(text) != std::string::npos;
    return n;
}

size_t Pushed(uint8_t type) {
    std::lock_guard<std::mutex> lock(g_mutex);
    size_t n = 0;
    for (uint8_t t : g_push_types) n += t == type;
    return n;
}

// Waits (at most 1.5 s) until at least n pushes of `type` came; how many came.
size_t PushedWithin(uint8_t type, size_t n) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (Pushed(type) < n && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return Pushed(type);
}

// A level-2 push: the 4-byte time header and one record.
std::vector<uint8_t> Level2MarketTime(uint32_t time) {
    std::vector<uint8_t> push(4 + 11, 0);
    memcpy(push.data(), &time, 4);
    push[4] = 14;
    memcpy(push.data() + 4 + 6, &time, 4);
    return push;
}

std::vector<uint8_t> Level2Snapshot(const char* code, uint32_t last) {
    std::vector<uint8_t> push(4 + 255, 0);
    push[4] = 15;
    memcpy(push.data() + 4 + 1, code, 6);
    memcpy(push.data() + 4 + 23, &last, 4);
    return push;
}

class ProcessIOTest : public ::testing::Test {
protected:
    ProcessIOTest() : m_Logger(&Collect, nullptr) {}
    void SetUp() override {
        m_Folder.EnterAsWorkingDirectory();
        std::lock_guard<std::mutex> lock(g_mutex);
        g_lines.clear();
        g_push_types.clear();
        g_resets = 0;
    }
    void TearDown() override {
        g_on_reset = nullptr;
        if (m_Process) m_Process->Stop();
        m_Process.reset();
        if (m_Config) m_Config->Stop();
    }

    void WriteDay(uint32_t date, uint32_t hhmmss, uint32_t shares) {
        m_Options.date = date;
        m_Options.seed = date;
        m_Options.shares = shares;
        m_Options.time = hhmmss;
        m_Options.driverIni = true;
        std::string error;
        ASSERT_TRUE(sampleday::WriteSampleDay(m_Options, m_Folder.Path(), error)) << error;
    }
    // The configuration and a processing unit as the start-up sequence makes them.
    ProcessIO& Make() {
        if (m_Process) m_Process->Stop();
        m_Process.reset();
        m_Config.reset(new ConfigUnit(&m_Logger, nullptr));
        m_Config->SetLibraryFileName(m_Folder.Join(tests::DriverFileName()).c_str());
        EXPECT_EQ(m_Config->Start(), 1);
        m_Config->GetIndexConfig().LoadIndexConfig(*m_Config);
        m_Process.reset(new ProcessIO(m_Config.get(), &m_Logger));
        DriverWorkParams params;
        memset(&params, 0, sizeof params);
        params.driver_id = 7;
        params.frame_size = 8192;
        params.request_budget = 819200;
        params.push_data = &CountPush;
        params.market_reset = &CountReset;
        m_Process->SetWorkParams(params);
        return *m_Process;
    }
    std::string Digest() {
        MarketInfo info;
        m_Process->Day().GetMarket().GetInfo(&info);
        return std::string(reinterpret_cast<const char*>(info.digest), 16);
    }
    // A started unit over a small day at 10:00, and one of its shares.
    void StartSmallDay(CodeEntry* share) {
        WriteDay(20151007, 95900, 50);
        HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
        ASSERT_EQ(Make().Start(), 1);
        ASSERT_TRUE(m_Process->Day().Codes().Get(share, 7));
    }
    uint32_t MarketTime() {
        MarketInfo info;
        m_Process->Day().GetMarket().GetInfo(&info);
        return info.time;
    }
    void Feed(const std::vector<uint8_t>& push) {
        m_Process->OnLevel2Push(2, 41, push.data(), static_cast<uint16_t>(push.size()), 30);
    }
    bool SnapshotLast(const char* code, uint32_t* last) {
        Snapshot s;
        if (!m_Process->Day().Snapshots().GetByCode(&s, code)) return false;
        *last = s.last;
        return true;
    }

    hostkit::ScratchFolder m_Folder;
    MLogger m_Logger;
    sampleday::Options m_Options;
    std::unique_ptr<ConfigUnit> m_Config;
    std::unique_ptr<ProcessIO> m_Process;
};

// Holds the first read of the market data file by one thread until a re-initialisation has
// begun, and a little longer: a refresh caught half-way.
std::atomic<bool> g_reinitialising{false};
std::atomic<bool> g_held{false};
std::thread::id g_refresher;

int32_t HoldRefresh(MFile::Operation operation, const char* path) {
    if (operation != MFile::Operation::kRead || strstr(path, "mktdt04") == nullptr) return 0;
    if (std::this_thread::get_id() != g_refresher || g_held.exchange(true)) return 0;
    while (!g_reinitialising.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return 0;
}

// A refresh of the new day's file that began while the unit still served ends before the market
// time is reset, so the re-initialisation's own read finds the file newer: one reset, one
// successful rebuild.
TEST_F(ProcessIOTest, RefreshUnderWayWhenTheDayTurnsDoesNotSpoilTheRebuild) {
    WriteDay(20151007, 95900, 50);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    ProcessIO& process = Make();
    ASSERT_EQ(process.Start(), 1);
    process.SetProcessState(ProcessIO::kServing);
    process.SetServiceFlag(1);
    ASSERT_TRUE(process.IsDriverWorking());

    WriteDay(20151008, 84000, 60);
    HostClock::SetLocal(2015, 10, 8, 8, 45, 2);
    g_reinitialising = false;
    g_held = false;
    MFile::SetFaultHook(&HoldRefresh);
    std::thread refresh([&] {
        g_refresher = std::this_thread::get_id();
        process.Loaders().MarketDataLoader()(HKMktdtLoader::kRefresh);
    });
    while (!g_held.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_reinitialising = true;
    const int32_t rebuilt = process.Reinitialise();
    refresh.join();
    MFile::SetFaultHook(nullptr);

    EXPECT_EQ(rebuilt, 1);
    EXPECT_EQ(g_resets, 1);
    EXPECT_EQ(process.GetInitialisedDate(), 20151008);
    EXPECT_EQ(process.Day().Snapshots().Count(), 60u);
    EXPECT_EQ(MarketTime(), 0u);  // the rebuild's read leaves the time to the next refresh
}

TEST_F(ProcessIOTest, StartLoadsTheDayAndReinitialisationRunsOncePerDate) {
    WriteDay(20151007, 95900, 200);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    ProcessIO& process = Make();
    ASSERT_EQ(process.Start(), 1);
    EXPECT_EQ(process.GetProcessState(), 0);
    EXPECT_EQ(process.GetServiceFlag(), 0);
    EXPECT_EQ(process.Day().Codes().Count(), 207u);
    EXPECT_EQ(process.Day().Snapshots().Count(), 200u);
    EXPECT_EQ(process.Day().Indexes().Count(), 7u);
    EXPECT_EQ(process.PushStrategySlots(), 207u);
    EXPECT_EQ(process.GetInitialisedDate(), 20151007);
    EXPECT_TRUE(process.IsReady());
    EXPECT_FALSE(process.IsDriverWorking());
    EXPECT_NE(Digest(), std::string(16, '\0'));
    for (uint32_t p = 0; p < process.Day().Codes().Count(); p += 17) {
        CodeEntry e;
        ASSERT_TRUE(process.Day().Codes().Get(&e, p));
        EXPECT_EQ(process.FindPosition(e.code), p);
    }

    // Same date: skipped, nothing touched.
    const std::string digest = Digest();
    EXPECT_EQ(process.Reinitialise(), 2);
    EXPECT_EQ(Digest(), digest);
    EXPECT_EQ(Logged("重新开始初始化"), 0u);
    EXPECT_EQ(g_resets, 0);

    // The next day: the host is told, kept out while the tables are rebuilt, and the day loads.
    WriteDay(20151008, 84000, 210);
    HostClock::SetLocal(2015, 10, 8, 8, 45, 2);
    EXPECT_EQ(process.Reinitialise(), 1);
    EXPECT_EQ(g_resets, 1);
    EXPECT_EQ(process.GetProcessState(), 3);
    EXPECT_EQ(process.GetServiceFlag(), -1);
    EXPECT_EQ(process.Day().Codes().Count(), 217u);
    EXPECT_EQ(process.GetInitialisedDate(), 20151008);
    EXPECT_NE(Digest(), digest);
    EXPECT_EQ(process.Reinitialise(), 2);
    EXPECT_EQ(g_resets, 1);

    // The console may force it again.
    process.ClearInitialisedDate();
    EXPECT_EQ(process.Reinitialise(), 1);
    EXPECT_EQ(g_resets, 2);
}

TEST_F(ProcessIOTest, LevelTwoFeedDoesNotMoveTheMarketWhileItIsRebuilt) {
    CodeEntry share;
    ASSERT_NO_FATAL_FAILURE(StartSmallDay(&share));
    ProcessIO& process = *m_Process;

    // The module pushes a later market time and a quote in the middle of a forced rebuild: the
    // day's market data file must still count as current, and the quote is not taken.
    g_on_reset = [&] {
        Feed(Level2MarketTime(235959));
        Feed(Level2Snapshot(share.code, 654321));
    };
    process.ClearInitialisedDate();
    ASSERT_EQ(process.Reinitialise(), 1) << (Logged("构建码表失败") ? "market data file taken as stale" : "");
    EXPECT_EQ(MarketTime(), 0u);  // as the rebuild set it; the build run does not move it
    uint32_t last = 0;
    ASSERT_TRUE(SnapshotLast(share.code, &last));
    EXPECT_NE(last, 654321u);
    g_on_reset = nullptr;

    // Once rebuilt, the feed is applied again; a skipped re-initialisation does not stop it.
    Feed(Level2MarketTime(100001));
    EXPECT_EQ(MarketTime(), 100001u);
    EXPECT_EQ(process.Reinitialise(), 2);
    Feed(Level2Snapshot(share.code, 654321));
    ASSERT_TRUE(SnapshotLast(share.code, &last));
    EXPECT_EQ(last, 654321u);

    // A module pushing late market times all along: every forced rebuild still loads the day.
    std::atomic<bool> feeding{true};
    std::thread module([&] {
        const std::vector<uint8_t> push = Level2MarketTime(235959);
        while (feeding.load()) Feed(push);
    });
    for (int round = 0; round < 3; ++round) {
        process.ClearInitialisedDate();
        EXPECT_EQ(process.Reinitialise(), 1) << "round " << round;
    }
    feeding.store(false);
    module.join();
}

// Every failure point of the price table save: the old file stays as it was, no temporary file
// is left, one error line is logged, and the next save succeeds (each one that goes through is
// followed by a day change, so that the next one changes the file).
TEST_F(ProcessIOTest, FailedPriceTableSaveKeepsTheOldFile) {
    using Operation = testing::FileFaults::Operation;
    CodeEntry share;
    StartSmallDay(&share);
    ASSERT_EQ(m_Process->SavePriceTable(), 960);
    std::string saved = m_Folder.ReadFile("hkpricetb.dat");
    ASSERT_EQ(saved.size(), 976u);
    // A later day, so that a save that goes through changes the file (its date).
    int day = 8;
    HostClock::SetLocal(2015, 10, day, 10, 0, 0);

    const Operation operations[] = {Operation::kOpen, Operation::kWrite, Operation::kFlush, Operation::kRename};
    size_t failures = 0;
    for (Operation operation : operations) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(testing::FileFaults::Name(operation)) + " " + std::to_string(n));
            int32_t result;
            bool fired;
            {
                testing::FileFaults faults(operation, "hkpricetb.dat", n);
                result = m_Process->SavePriceTable();
                fired = faults.Fired();
            }
#if defined(_WIN32)
            // Windows opens the saved file again after replacing it; a failure there does not undo
            // the save (the next save opens it).
            const bool went_through = !fired || (operation == Operation::kOpen && result == 960);
#else
            const bool went_through = !fired;
#endif
            if (went_through) {  // past the save's last call of that kind: it went through
                EXPECT_EQ(result, 960);
                const std::string now = m_Folder.ReadFile("hkpricetb.dat");
                EXPECT_TRUE(now.size() == 976u && now != saved);
                saved = now;
                HostClock::SetLocal(2015, 10, ++day, 10, 0, 0);
                break;
            }
            ++failures;
            EXPECT_LT(result, 0);
            EXPECT_TRUE(m_Folder.ReadFile("hkpricetb.dat") == saved) << "the old file changed";
            EXPECT_FALSE(m_Folder.Exists("hkpricetb.dat.tmp"));
            EXPECT_EQ(Logged("价位表文件存盘出错"), failures);
        }
    }
    EXPECT_EQ(failures, 5u);  // create, header, table, flush, rename
}

// A failed open or read of each file the start reads: the start logs a warning or an error, and
// the next start, with the file readable again, loads the whole day. (The session status file is
// read by the processing thread, not by the start.)
TEST_F(ProcessIOTest, FailedReadOfEachStartFileIsLoggedAndTheNextStartLoadsTheDay) {
    using Operation = testing::FileFaults::Operation;
    WriteDay(20151007, 95900, 50);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    ASSERT_EQ(Make().Start(), 1);
    const uint32_t codes = m_Process->Day().Codes().Count(), short_names = m_Process->Day().ShortNames().Count();
    ASSERT_EQ(codes, 57u);
    ASSERT_GT(short_names, 0u);
    const char* files[] = {"reff04", "mktdt04", "exra04", "zxjc", "namehk.dbf", "hsindexconfig.ini", "lonkind"};
    for (const char* file : files) {
        for (Operation operation : {Operation::kOpen, Operation::kRead}) {
            SCOPED_TRACE(std::string(file) + " " + testing::FileFaults::Name(operation));
            size_t before;
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                before = g_lines.size();
            }
            {
                testing::FileFaults faults(operation, file, 1);
                Make().Start();
                EXPECT_TRUE(faults.Fired());
            }
            {
                std::lock_guard<std::mutex> lock(g_mutex);
                size_t warnings = 0;
                for (size_t i = before; i < g_lines.size(); ++i) warnings += g_lines[i].level >= kLogWarning;
                EXPECT_GE(warnings, 1u);
            }
            ASSERT_EQ(Make().Start(), 1);
            EXPECT_EQ(m_Process->Day().Codes().Count(), codes);
            EXPECT_EQ(m_Process->Day().Snapshots().Count(), 50u);
            EXPECT_EQ(m_Process->Day().ShortNames().Count(), short_names);
        }
    }
}

TEST_F(ProcessIOTest, StartResults) {
    struct Case {
        const char* what;
        int day;               // of October 2015
        bool files;
        const char* ini;       // written over the generated one when not null
        int32_t result;
        const char* logged;
    };
    const Case cases[] = {
        {"working day without exchange files", 7, false, nullptr, -15, nullptr},
        {"holiday without exchange files", 10, false, nullptr, 1, "推送策略应用失败"},
        {"price table file that cannot be opened", 7, true,
         "[DataSource]\r\nMktdt = ./data/mktdt04.txt\r\n[InitFiles]\r\nHKPriceTablePath = ./none/hkpricetb.dat\r\n",
         -9, "价位表文件初始化出错。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.files) WriteDay(20151000 + c.day, 75900, 50);
        if (c.ini != nullptr) m_Folder.WriteFile("Zephyr.ini", c.ini);
        HostClock::SetLocal(2015, 10, c.day, 8, 0, 0);
        ProcessIO& process = Make();
        EXPECT_EQ(process.Start(), c.result);
        if (c.logged != nullptr) {
            EXPECT_EQ(Logged(c.logged), 1u);
        }
        EXPECT_EQ(process.GetServiceFlag(), 0);
        process.Stop();
    }
}

TEST_F(ProcessIOTest, PriceTableIsLoadedFromOneOClockOn) {
    WriteDay(20151007, 3000, 50);
    const PriceTable zero{};
    HostClock::SetLocal(2015, 10, 7, 0, 30, 0);
    EXPECT_EQ(Make().Start(), 1);
    EXPECT_EQ(memcmp(&m_Process->Day().Prices(), &zero, sizeof zero), 0);
    EXPECT_EQ(Logged("存盘价位表文件装入成功。"), 0u);

    HostClock::SetLocal(2015, 10, 7, 1, 0, 0);
    EXPECT_EQ(Make().Start(), 1);
    EXPECT_NE(memcmp(&m_Process->Day().Prices(), &zero, sizeof zero), 0);
    EXPECT_EQ(Logged("存盘价位表文件装入成功。"), 1u);
}

TEST_F(ProcessIOTest, LevelTwoFeedKeepsTheMarketDataFileUnreadUntilItFallsSilent) {
    WriteDay(20151007, 95900, 100);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    ProcessIO& process = Make();
    ASSERT_EQ(process.Start(), 1);
    process.SetServiceFlag(1);
    process.SetProcessState(1);
    // The processing thread notes the time of day when it begins to run.
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    std::string error;
    ASSERT_TRUE(sampleday::RefreshMarketData(m_Options, m_Folder.Path(), 100100, error)) << error;

    // A market-time record every second: the file stays unread, the header goes out each second.
    for (uint32_t s = 1; s <= 40; ++s) {
        HostClock::AdvanceMs(1000);
        Feed(Level2MarketTime(100000 + s));
        ASSERT_EQ(PushedWithin(0, s), s);
    }
    EXPECT_EQ(Pushed(1), 0u);

    // 31 seconds of silence: the next second reads it and pushes the changed quotes.
    HostClock::AdvanceMs(31000);
    EXPECT_GT(PushedWithin(1, 1), 0u);
}

TEST_F(ProcessIOTest, OutsideTheWorkingWindowOnlyThePriceTableIsSaved) {
    WriteDay(20151007, 75900, 50);
    HostClock::SetLocal(2015, 10, 7, 8, 0, 0);
    ProcessIO& process = Make();
    ASSERT_EQ(process.Start(), 1);
    process.SetServiceFlag(1);
    process.SetProcessState(1);
    EXPECT_EQ(m_Folder.ReadFile("hkpricetb.dat").size(), 0u);  // created by the start, not written
    std::this_thread::sleep_for(std::chrono::milliseconds(250));

    // Six seconds before the opening: no header, no file read, but the 5-second save.
    for (int s = 0; s < 6; ++s) {
        HostClock::AdvanceMs(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    while (m_Folder.ReadFile("hkpricetb.dat").size() != 976u && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const std::string saved = m_Folder.ReadFile("hkpricetb.dat");
    ASSERT_EQ(saved.size(), 976u);
    EXPECT_EQ(saved.substr(0, 4), "RVPT");
    EXPECT_EQ(Pushed(0), 0u);
    EXPECT_FALSE(process.Loaders().IsPriceTableDirty());
}

// The level-2 feed moves the market time during the last second of the working window, after
// that second's header: one more header, in the first second after the window, carries it.
// Then no header follows.
TEST_F(ProcessIOTest, TheWorkingWindowsLastSecondReachesTheHost) {
    WriteDay(20151007, 95900, 50);
    m_Folder.WriteFile("Zephyr.ini", m_Folder.ReadFile("Zephyr.ini") + "\r\n[Time]\r\nKPTime = 845\r\nSPTime = 1000\r\n");
    HostClock::SetLocal(2015, 10, 7, 9, 59, 59);
    ProcessIO& process = Make();
    ASSERT_EQ(process.Start(), 1);
    process.SetServiceFlag(1);
    process.SetProcessState(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    HostClock::AdvanceMs(1000);  // 10:00:00, the window's last second
    ASSERT_EQ(PushedWithin(0, 1), 1u);
    Feed(Level2MarketTime(100000));
    ASSERT_EQ(MarketTime(), 100000u);

    HostClock::AdvanceMs(1000);  // 10:00:01, outside
    ASSERT_EQ(PushedWithin(0, 2), 2u);
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        EXPECT_EQ(g_header_time, 100000u);
    }
    for (int s = 0; s < 3; ++s) {
        HostClock::AdvanceMs(1000);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    EXPECT_EQ(Pushed(0), 2u);
}

TEST_F(ProcessIOTest, StoppedUnitTakesNoLevelTwoPushOrConsoleAction) {
    CodeEntry share;
    ASSERT_NO_FATAL_FAILURE(StartSmallDay(&share));
    ProcessIO& process = *m_Process;

    // Running: a level-2 snapshot lands, the close correction runs once.
    Feed(Level2Snapshot(share.code, 123456));
    uint32_t last = 0;
    ASSERT_TRUE(SnapshotLast(share.code, &last));
    EXPECT_EQ(last, 123456u);
    EXPECT_EQ(process.CorrectClosePrices(), 1);
    EXPECT_EQ(process.CorrectClosePrices(), 0);
    EXPECT_EQ(Logged("进行收盘价矫正"), 1u);
    Snapshot corrected;
    ASSERT_TRUE(process.Day().Snapshots().GetByCode(&corrected, share.code));
    EXPECT_EQ(uint32_t{corrected.previous_close}, 123456u);

    process.Stop();
    EXPECT_TRUE(process.IsLevel2Stopped());
    Feed(Level2Snapshot(share.code, 654321));
    Feed(Level2MarketTime(150000));
    EXPECT_NE(MarketTime(), 150000u);
    EXPECT_EQ(process.Day().Snapshots().Count(), 0u);
    EXPECT_EQ(process.Reinitialise(), -1);
    EXPECT_EQ(process.CorrectClosePrices(), 0);
    EXPECT_EQ(Logged("进行收盘价矫正"), 1u);
    uint16_t capacity = 4;
    uint8_t market[49];
    uint8_t categories[52];
    MarketInfoTargets targets{market, categories};
    EXPECT_EQ(process.GetMarketInfo(&capacity, &targets), -1);
    EXPECT_FALSE(process.IsDriverWorking());
}

}  // namespace
}  // namespace zephyr
