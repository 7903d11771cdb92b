// The level-2 feed as the host sees it, with Zephyr.so and nimbus.so side by side in a day folder:
// every snapshot the module sends comes out as a snapshot frame holding the mapped bytes, under
// the market time of the module's records; packed pushes give the same frames as plain ones; the
// market data file is left alone while the module talks and read again after 31 s of silence;
// and "l2help" reaches the module's console.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/DriverLibrary.h"
#include "host/HostClock.h"
#include "host/HostRecorder.h"
#include "host/MarketImage.h"
#include "host/PushDecoder.h"
#include "host/ScratchFolder.h"
#include "tests/l2bridge/NimbusDay.h"
#include "tests/LibraryNames.h"
#include "tests/l2sim/SampleDayProgram.h"

namespace zephyr {
namespace {

using hostkit::DriverLibrary;
using hostkit::HostClock;
using hostkit::HostRecorder;
using hostkit::kSnapshotSize;

constexpr uint32_t kDate = 20151007;
constexpr uint32_t kShares = 60;

bool WaitUntil(const std::function<bool()>& done, int timeout_ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

uint32_t U32(const std::string& bytes, size_t at) { return hostkit::LoadU32(bytes.data() + at); }

// The driver snapshot a level-2 snapshot record (255 bytes, type byte first) becomes: byte
// ranges of the record at their places, the rest zero.
std::string MappedSnapshot(const char* record) {
    static const struct { size_t to, size, from; } kRanges[] = {
        {0, 6, 1},   {6, 4, 7},    {10, 4, 11},  {14, 4, 15},  {18, 4, 19},
        {22, 4, 23}, {26, 8, 27},  {34, 8, 35},  {42, 4, 43},  {46, 8, 47},
        {54, 2, 55}, {56, 4, 147}, {60, 8, 151}, {68, 2, 159}, {70, 4, 251},
    };
    std::string out(kSnapshotSize, '\0');
    for (const auto& r : kRanges) memcpy(&out[r.to], record + r.from, r.size);
    return out;
}

// One snapshot as the module sent it: its mapped bytes and the market time of its push's
// market-time record.
struct SentSnapshot {
    uint32_t market_time;
    std::string mapped;
    bool operator==(const SentSnapshot& o) const { return market_time == o.market_time && mapped == o.mapped; }
};

// The module's record file: "NIMBUSFEED1\n", then per push a u32 pause, a u16 length and the
// push (a u32 time and records). False when the file or a push does not walk whole.
bool ReadRecordedFeed(const std::string& file, std::vector<SentSnapshot>* out, uint32_t* last_time) {
    const std::string magic = "NIMBUSFEED1\n";
    if (file.compare(0, magic.size(), magic) != 0) return false;
    size_t at = magic.size();
    while (at < file.size()) {
        if (at + 6 > file.size()) return false;
        const size_t length = static_cast<uint8_t>(file[at + 4]) | static_cast<uint8_t>(file[at + 5]) << 8;
        at += 6;
        if (at + length > file.size()) return false;
        const std::string push = file.substr(at, length);
        at += length;
        uint32_t time = 0;
        size_t r = 4;
        while (r < push.size()) {
            const uint8_t type = static_cast<uint8_t>(push[r]);
            size_t size = 0;
            if (type == 1) size = 43;
            else if (type == 2) size = r + 8 < push.size() ? 9 + 2 * static_cast<uint8_t>(push[r + 8]) : 9;
            else if (type == 3) size = 24;
            else if (type == 14) size = 11;
            else if (type == 15) size = 255;
            else return false;
            if (r + size > push.size()) return false;
            if (type == 14) time = U32(push, r + 6);
            if (type == 15) out->push_back({time, MappedSnapshot(push.data() + r)});
            r += size;
        }
        *last_time = time;
    }
    return true;
}

// What the host got so far, decoded push by push as it arrives.
struct HostView {
    size_t seen = 0;
    size_t headers = 0;               // market header frames
    uint32_t market_time = 0;         // of the latest push
    std::vector<SentSnapshot> snapshots;  // push time and record of every snapshot frame record
    std::vector<std::string> faults;

    void Update() {
        const std::vector<hostkit::PushRecord> pushes = HostRecorder::Instance().Pushes();
        hostkit::DecodedPush decoded;
        for (; seen < pushes.size(); ++seen) {
            const hostkit::PushRecord& push = pushes[seen];
            if (push.main_type != 2 || push.sub_type != 86 || push.market != 30 || push.compressed != 0) {
                faults.push_back("push header");
            }
            if (!hostkit::DecodePush(push.data.data(), push.data.size(), &decoded)) faults.push_back(decoded.error);
            market_time = decoded.market_time;
            for (const hostkit::PushFrame& frame : decoded.frames) {
                if (frame.type == hostkit::kPushMarketHeader) ++headers;
                if (frame.type != hostkit::kPushSnapshots) continue;
                for (size_t i = 0; i < frame.records; ++i) {
                    snapshots.push_back({decoded.market_time, std::string(frame.payload + i * kSnapshotSize, kSnapshotSize)});
                }
            }
        }
    }
    void Reset() { *this = HostView(); }
};

// One fed run: what the module sent and what reached the host.
struct FedRun {
    std::vector<SentSnapshot> sent;     // by the module, from its record file
    uint32_t sent_last_time = 0;
    std::vector<SentSnapshot> received;  // by the host
    uint32_t market_time = 0;           // MarketInfo after the feed
};

class Level2FeedTest : public ::testing::Test {
protected:
    void TearDown() override { Stop(); }

    // Writes the day (market data of 09:59:00) and nimbus.ini with `feed` lines into the folder,
    // loads and starts the driver at 10:00:00 and moves the clock until the day is open.
    void Start(const hostkit::ScratchFolder& folder, const std::string& feed) {
        ASSERT_EQ(l2test::RunGenerator("--date " + std::to_string(kDate) + " --time 95900 --shares " +
                                       std::to_string(kShares) + " --ini --out " +
                                       portable::QuoteArgument(folder.Path())),
                  0);
        l2test::ClearNimbusEnvironment();
        folder.CopyIn(NIMBUS_SO_PATH, tests::ModuleFileName());
        folder.WriteFile("nimbus.ini", "[Feed]\nMktdt = ./data/mktdt04.txt\n" + feed);
        folder.EnterAsWorkingDirectory();
        HostRecorder::Instance().Clear();
        m_Driver.reset(new DriverLibrary(hostkit::CopyDriverInto(folder, ZEPHYR_SO_PATH)));
        ASSERT_TRUE(m_Driver->IsLoaded()) << m_Driver->Error();
        HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
        ASSERT_EQ(m_Driver->Begin(hostkit::MakeWorkParams()), 1) << HostRecorder::Instance().LogDump();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        // The first status tick opens the day (its re-initialisation restarts the module), the
        // second opens the market record.
        bool open = false;
        for (int tick = 0; tick < 4 && !open; ++tick) {
            HostClock::AdvanceMs(2100);
            open = WaitUntil([&] { return m_Driver->IsWorking() == 1 && MarketWord(2) == kDate; }, 1500);
        }
        ASSERT_TRUE(open) << HostRecorder::Instance().LogDump();
    }
    void Stop() {
        if (m_Driver) m_Driver->End();
        m_Driver.reset();  // unloads the driver, which unloads the module
    }

    // A u32 of MarketInfo (2: date, 6: market time); 0 when it cannot be read.
    uint32_t MarketWord(size_t offset) const {
        std::vector<uint8_t> market, categories;
        if (m_Driver->MarketInfo(16, &market, &categories) < 0) return 0;
        return hostkit::ReadU32(market.data() + offset);
    }
    // One console line through the driver; the module's reply text ("" when none or several).
    std::string Console(const std::vector<std::string>& words) {
        const size_t before = HostRecorder::Instance().Consoles().size();
        EXPECT_GE(m_Driver->Command(4, words), 0);
        const auto replies = HostRecorder::Instance().Consoles();
        if (replies.size() != before + 1 || replies.back().console != 4) return "";
        return replies.back().text;
    }

    // A seeded feed of 12 pushes of 10 snapshots, recorded by the module, started once the day
    // is open; returns what the module sent and what the host got.
    FedRun RunFeed(const hostkit::ScratchFolder& folder, bool compress) {
        FedRun run;
        Start(folder, std::string("Rate = 0\nBatch = 10\nLimit = 12\nSeed = 5\nStartTime = 100000\n") +
                          "Record = ./feed.rec\nCompress = " + (compress ? "1" : "0") + "\n");
        if (HasFailure()) return run;
        EXPECT_EQ(Console({"l2cmd", "compress"}), compress ? "nimbus: compress on\n" : "nimbus: compress off\n");
        HostRecorder::Instance().Clear();
        EXPECT_EQ(Console({"l2cmd", "rate", "100"}), "nimbus: rate 100 snapshots per second\n");
        EXPECT_TRUE(HostRecorder::Instance().WaitForLog("nimbus: feed ended after 12 pushes", 10000))
            << HostRecorder::Instance().LogDump();
        // Packed pushes really went out packed: the module found the pack service and it worked.
        EXPECT_TRUE(HostRecorder::Instance().LogsContaining("pack service").empty()) << HostRecorder::Instance().LogDump();

        HostView view;
        WaitUntil([&] { view.Update(); return view.snapshots.size() >= 120; });
        EXPECT_TRUE(view.faults.empty()) << view.faults.front();
        run.received = view.snapshots;
        run.market_time = MarketWord(6);
        EXPECT_TRUE(ReadRecordedFeed(folder.ReadFile("feed.rec"), &run.sent, &run.sent_last_time));
        Stop();
        return run;
    }

    hostkit::ScratchFolder m_Folder, m_SecondFolder;  // outlive the driver (TearDown)
    std::unique_ptr<DriverLibrary> m_Driver;
};

TEST_F(Level2FeedTest, ModuleSnapshotsReachTheHostMappedUnderTheModulesMarketTime) {
    const FedRun run = RunFeed(m_Folder, false);
    ASSERT_EQ(run.sent.size(), 120u);
    // In order, byte for byte, each under the market time of the record before it.
    ASSERT_EQ(run.received.size(), run.sent.size());
    for (size_t i = 0; i < run.sent.size(); ++i) {
        EXPECT_EQ(run.received[i].mapped, run.sent[i].mapped) << "snapshot " << i;
        EXPECT_EQ(run.received[i].market_time, run.sent[i].market_time) << "snapshot " << i;
    }
    // The feed starts at 10:00:00, later than the file's 09:59:00, and moves on.
    EXPECT_EQ(run.sent.front().market_time, 100000u);
    EXPECT_GT(run.sent_last_time, 100000u);
    EXPECT_EQ(run.market_time, run.sent_last_time);
    // Each level-2 snapshot carries a voip; the file's snapshots have none.
    EXPECT_NE(hostkit::LoadU32(run.received.back().mapped.data() + 70), 0u);
}

TEST_F(Level2FeedTest, PackedPushesGiveTheSameFramesAsPlainOnes) {
    const FedRun plain = RunFeed(m_Folder, false);
    const FedRun packed = RunFeed(m_SecondFolder, true);
    ASSERT_EQ(plain.received.size(), 120u);
    EXPECT_TRUE(packed.sent == plain.sent);  // the same seeded feed
    EXPECT_TRUE(packed.received == plain.received);
    EXPECT_EQ(packed.market_time, plain.market_time);
}

// The manifest's volume of every share of the day folder's latest market data file.
std::map<std::string, uint64_t> ManifestVolumes(const hostkit::ScratchFolder& folder) {
    const std::string text = folder.ReadFile("sampleday-manifest.tsv");
    std::map<std::string, uint64_t> volumes;
    size_t line = text.find('\n', text.find('\n') + 1) + 1;  // after the comment and column lines
    while (line != 0 && line < text.size()) {
        const size_t end = text.find('\n', line);
        size_t column = line;
        for (int c = 0; c < 13; ++c) column = text.find('\t', column) + 1;  // "volume"
        volumes[text.substr(line, text.find('\t', line) - line)] = std::strtoull(text.c_str() + column, nullptr, 10);
        line = end + 1;
    }
    return volumes;
}

TEST_F(Level2FeedTest, MarketDataFileIsReadAgainOnlyAfter31SecondsOfSilence) {
    Start(m_Folder, "Rate = 0\nBatch = 5\n");
    ASSERT_FALSE(HasFailure());
    // A later market data file (10:10:00) lies there all along: a read of it moves the market
    // time to 10:10:00, which the feed (from 09:59:00, a second per real second) never reaches.
    ASSERT_EQ(l2test::RunGenerator("--date " + std::to_string(kDate) + " --shares " + std::to_string(kShares) +
                                   " --out " + portable::QuoteArgument(m_Folder.Path()) + " --refresh 101000"),
              0);
    HostRecorder::Instance().Clear();
    ASSERT_EQ(Console({"l2cmd", "rate", "50"}), "nimbus: rate 50 snapshots per second\n");

    HostView view;
    // 35 seconds of the clock, each with level-2 data arriving within it.
    for (int second = 1; second <= 35; ++second) {
        view.Update();
        const size_t headers = view.headers, snapshots = view.snapshots.size();
        HostClock::AdvanceMs(1000);
        ASSERT_TRUE(WaitUntil([&] { view.Update(); return view.headers > headers && view.snapshots.size() > snapshots; }))
            << "second " << second;
        ASSERT_LT(view.market_time, 101000u) << "file read while the module talks, second " << second;
    }

    // Silence: the file is left alone for 30 seconds and read at the 31st.
    ASSERT_EQ(Console({"l2cmd", "rate", "0"}), "nimbus: rate 0 snapshots per second\n");
    size_t before = 0;  // a push under way still lands: wait for 150 ms without one
    for (int quiet = 0; quiet < 20; ++quiet) {
        view.Update();
        before = view.snapshots.size();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        view.Update();
        if (view.snapshots.size() == before) break;
    }
    for (int second = 1; second <= 31; ++second) {
        const size_t headers = view.headers;
        HostClock::AdvanceMs(1000);
        ASSERT_TRUE(WaitUntil([&] { view.Update(); return view.headers > headers; })) << "silent second " << second;
        if (second <= 30) {
            ASSERT_LT(view.market_time, 101000u) << "silent second " << second;
            ASSERT_EQ(view.snapshots.size(), before) << "silent second " << second;
        }
    }
    EXPECT_TRUE(WaitUntil([&] { view.Update(); return MarketWord(6) == 101000u && view.snapshots.size() >= before + kShares; }))
        << "market time " << MarketWord(6) << ", " << view.snapshots.size() - before << " snapshots pushed";

    // The pushed snapshots carry the file's quotes (over the level-2 values of the rest).
    const auto volumes = ManifestVolumes(m_Folder);
    ASSERT_EQ(volumes.size(), kShares);
    for (size_t i = before; i < view.snapshots.size(); ++i) {
        const std::string& record = view.snapshots[i].mapped;
        const std::string code(record.c_str(), strnlen(record.c_str(), 6));
        ASSERT_EQ(volumes.count(code), 1u) << code;
        EXPECT_EQ(hostkit::ReadU64(reinterpret_cast<const uint8_t*>(record.data()) + 34), volumes.at(code)) << code;
    }
    EXPECT_TRUE(view.faults.empty()) << view.faults.front();
}

TEST_F(Level2FeedTest, L2helpShowsTheModulesHelp) {
    Start(m_Folder, "Rate = 0\n");
    ASSERT_FALSE(HasFailure());
    const std::string help = Console({"l2help"});
    EXPECT_EQ(help.rfind("nimbus commands:\n", 0), 0u) << help;
    for (const char* word : {"help", "rate [N]", "batch [N]", "compress [on|off]", "status"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace zephyr
