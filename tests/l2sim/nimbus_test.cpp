// The stand-in level-2 module nimbus.so seen from a host: the shape of its pushes, a feed that
// repeats byte for byte, recording and replay, packed pushes through the host's pack service,
// its console, and a clean stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <iterator>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "foundation/RvProtocol.h"
#include "host/DriverLibrary.h"
#include "host/HostRecorder.h"
#include "host/ScratchFolder.h"
#include "portable/Environment.h"
#include "portable/Library.h"
#include "l2bridge/L2PacketServices.h"
#include "tests/l2bridge/NimbusDay.h"

namespace zephyr {
namespace {

using hostkit::DriverLibrary;
using hostkit::HostRecorder;
using hostkit::PushRecord;

uint32_t U32(const std::string& b, size_t at) {
    uint32_t v;
    memcpy(&v, b.data() + at, 4);
    return v;
}

// The types of the records of a push, in order; `whole` tells whether the lengths add up to
// exactly the push.
struct Walk {
    std::vector<int> types;
    std::vector<std::string> codes;  // of the snapshots
    bool whole = false;
};

Walk WalkPush(const std::string& push) {
    Walk walk;
    size_t at = 4;
    while (at < push.size()) {
        const uint8_t type = static_cast<uint8_t>(push[at]);
        size_t size = 0;
        switch (type) {
        case 1: size = 43; break;
        case 2: size = at + 8 < push.size() ? 9 + 2 * static_cast<uint8_t>(push[at + 8]) : 9; break;
        case 3: size = 24; break;
        case 14: size = 11; break;
        case 15:
            size = 255;
            walk.codes.emplace_back(push.c_str() + at + 1);
            break;
        default: return walk;
        }
        walk.types.push_back(type);
        at += size;
    }
    walk.whole = at == push.size();
    return walk;
}

class NimbusTest : public ::testing::Test {
protected:
    void SetUp() override {
        HostRecorder::Instance().Clear();
        ASSERT_TRUE(m_Nimbus.IsLoaded()) << m_Nimbus.Error();
    }
    void TearDown() override { m_Nimbus.End(); }

    // Starts the module with these [Feed] lines, waits for `pushes` pushes, stops it.
    std::vector<PushRecord> Run(const std::string& lines, size_t pushes,
                                HostPackService pack = nullptr) {
        l2test::ConfigureNimbus(m_Folder, lines);
        HostRecorder::Instance().Clear();
        DriverWorkParams params = hostkit::MakeWorkParams(9);
        params.pack_service = pack;
        EXPECT_EQ(m_Nimbus.Begin(params), 1) << HostRecorder::Instance().LogDump();
        WaitForPushes(pushes);
        m_Nimbus.End();
        return HostRecorder::Instance().Pushes();
    }
    static bool WaitForPushes(size_t n) {
        for (int i = 0; i < 500; ++i) {
            if (HostRecorder::Instance().Pushes().size() >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    static std::vector<std::string> Data(const std::vector<PushRecord>& pushes) {
        std::vector<std::string> data;
        for (const PushRecord& p : pushes) data.push_back(p.data);
        return data;
    }

    hostkit::ScratchFolder m_Folder;
    DriverLibrary m_Nimbus{NIMBUS_SO_PATH};
};

// Names the library file exports (its dynamic symbols; its PE export table on Windows), sorted;
// empty when the file cannot be read as a library of this system.
std::vector<std::string> ExportedSymbols(const std::string& path) {
    std::vector<std::string> names;
    if (!portable::ExportedNames(path, &names)) names.clear();
    std::sort(names.begin(), names.end());
    return names;
}

TEST(NimbusLibraryTest, ExportsExactlyTheNineDriverEntries) {
    EXPECT_EQ(ExportedSymbols(NIMBUS_SO_PATH),
              (std::vector<std::string>{"BeginDriverWork", "EndDriverWork", "GetDataFrameCount",
                                        "GetDllVersion", "GetDriverBaseInfo", "GetDriverStatusInfo",
                                        "GetMarketInfo", "GetOneDataFrame", "IsDriverWorking"}));
}

TEST_F(NimbusTest, DescribesItselfAsAModuleWithAConsole) {
    EXPECT_EQ(m_Nimbus.DllVersion(), 0x0064012Cu);
    const auto info = m_Nimbus.BaseInfoBytes();
    EXPECT_EQ(info[0], 30);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info.data()) + 3), "nimbus");
    EXPECT_NE(m_Nimbus.Console(), nullptr);
    EXPECT_EQ(m_Nimbus.IsWorking(), 0);
    EXPECT_EQ(m_Nimbus.FrameCount(2, 0x54, 0, 3, nullptr), -1);
}

TEST_F(NimbusTest, PushesMarketTimeSkippedKindsAndSnapshotsOfTheDay) {
    const std::vector<PushRecord> pushes = Run("Rate=6000\nBatch=4\nLimit=6\n", 6);
    ASSERT_EQ(pushes.size(), 6u);
    std::vector<std::string> codes;
    for (size_t i = 0; i < pushes.size(); ++i) {
        const PushRecord& p = pushes[i];
        EXPECT_EQ(p.main_type, 2);
        EXPECT_EQ(p.sub_type, 41);
        EXPECT_EQ(p.market, 30);
        EXPECT_EQ(p.driver_id, 9);
        EXPECT_EQ(p.compressed, 0);
        const Walk walk = WalkPush(p.data);
        ASSERT_TRUE(walk.whole) << "push " << i;
        ASSERT_EQ(walk.types.size(), 6u);
        EXPECT_EQ(walk.types[0], 14);
        EXPECT_EQ(walk.types[1], 1 + static_cast<int>(i % 3));  // 1, 2, 3 in turn
        EXPECT_EQ(U32(p.data, 0), U32(p.data, 4 + 6));           // header time = record time
        EXPECT_GE(U32(p.data, 0), 101530u);
        codes.insert(codes.end(), walk.codes.begin(), walk.codes.end());
    }
    EXPECT_EQ(std::vector<std::string>(codes.begin(), codes.begin() + 4),
              (std::vector<std::string>{"00001", "00005", "00700", "00001"}));
    // Prices start from the file: the first snapshot of 00700 lies within a few ticks of 350.000.
    const std::string& first = pushes[0].data;
    const size_t snap = first.find(std::string("00700\0", 6)) - 1;
    const uint32_t last = U32(first, snap + 23);
    EXPECT_NEAR(last, 350000.0, 500.0);
    EXPECT_EQ(U32(first, snap + 19), 10000u);  // previous close of the file
}

TEST_F(NimbusTest, SameSettingsGiveTheSameFeedAndAnotherSeedAnother) {
    const auto a = Data(Run("Rate=6000\nBatch=5\nLimit=5\nSeed=7\n", 5));
    const auto b = Data(Run("Rate=6000\nBatch=5\nLimit=5\nSeed=7\n", 5));
    const auto c = Data(Run("Rate=6000\nBatch=5\nLimit=5\nSeed=8\n", 5));
    ASSERT_EQ(a.size(), 5u);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
}

TEST_F(NimbusTest, ARecordedFeedReplaysExactly) {
    const std::string file = m_Folder.Join("day.feed");
    const auto recorded = Data(Run("Rate=6000\nBatch=3\nLimit=7\nSeed=3\nRecord=" + file + "\n", 7));
    ASSERT_EQ(recorded.size(), 7u);
    // Replay ignores the generator's settings: another seed and batch change nothing.
    const auto replayed = Data(Run("Seed=99\nBatch=9\nReplay=" + file + "\n", 7));
    EXPECT_EQ(replayed, recorded);

    m_Folder.WriteFile("broken.feed", "NIMBUSFEED1\n\x10\x00\x00\x00\x40\x00" "abc");
    l2test::ConfigureNimbus(m_Folder, "Replay=" + m_Folder.Join("broken.feed") + "\n");
    EXPECT_EQ(m_Nimbus.Begin(hostkit::MakeWorkParams()), -3);
    EXPECT_EQ(m_Nimbus.IsWorking(), 0);
}

TEST_F(NimbusTest, PackedPushesGoThroughTheHostsPackService) {
    const auto plain = Data(Run("Rate=6000\nBatch=10\nLimit=4\n", 4));
    const std::vector<PushRecord> packed = Run("Rate=6000\nBatch=10\nLimit=4\nCompress=1\n", 4, &L2PacketServices::Pack);
    ASSERT_EQ(packed.size(), 4u);
    for (size_t i = 0; i < packed.size(); ++i) {
        EXPECT_EQ(packed[i].compressed, 1);
        const std::string& bytes = packed[i].data;
        EXPECT_LT(bytes.size(), plain[i].size());  // stored LZW-compressed
        std::vector<uint8_t> work(16384);
        const uint8_t* packet = nullptr;
        const int32_t n = RvProtocol::ParsePacket(reinterpret_cast<const uint8_t*>(bytes.data()),
                                                  static_cast<uint16_t>(bytes.size()), &packet,
                                                  work.data(), static_cast<uint16_t>(work.size()));
        ASSERT_GT(n, 11);
        EXPECT_EQ(packet[5], 2);
        EXPECT_EQ(packet[6], 41);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(packet) + 11, n - 11), plain[i]);
    }

    // A host without the service gets plain pushes and one warning.
    const std::vector<PushRecord> fallback = Run("Rate=6000\nBatch=10\nLimit=3\nCompress=1\n", 3);
    ASSERT_EQ(fallback.size(), 3u);
    for (const PushRecord& p : fallback) EXPECT_EQ(p.compressed, 0);
    EXPECT_EQ(HostRecorder::Instance().LogsContaining("offers no pack service").size(), 1u);
}

TEST_F(NimbusTest, ConsoleAnswersItsCommands) {
    l2test::ConfigureNimbus(m_Folder, "Rate=0\n");
    ASSERT_EQ(m_Nimbus.Begin(hostkit::MakeWorkParams()), 1);
    struct {
        std::vector<std::string> words;
        int32_t result;
        const char* reply;
    } cases[] = {
        {{"rate"}, 1, "nimbus: rate 0 snapshots per second\n"},
        {{"rate", "250"}, 1, "nimbus: rate 250 snapshots per second\n"},
        {{"rate", "-3"}, -1, "nimbus: rate takes a number of snapshots per second\n"},
        {{"rate", "12x"}, -1, "nimbus: rate takes a number of snapshots per second\n"},
        {{"batch", "0"}, -1, "nimbus: batch takes a number from 1 to 30\n"},
        {{"batch", "31"}, -1, "nimbus: batch takes a number from 1 to 30\n"},
        {{"batch", "30"}, 1, "nimbus: batch 30 snapshots per push\n"},
        {{"compress", "maybe"}, -1, "nimbus: compress takes on or off\n"},
        {{"compress", "on"}, 1, "nimbus: compress on\n"},
        {{"fly"}, -1, "nimbus: unknown command [fly]; try help\n"},
    };
    for (const auto& c : cases) {
        HostRecorder::Instance().Clear();
        EXPECT_EQ(m_Nimbus.Command(3, c.words), c.result) << c.words[0];
        const auto consoles = HostRecorder::Instance().Consoles();
        ASSERT_EQ(consoles.size(), 1u) << c.words[0];
        EXPECT_EQ(consoles[0].text, c.reply);
        EXPECT_EQ(consoles[0].console, 3u);
    }
    HostRecorder::Instance().Clear();
    EXPECT_EQ(m_Nimbus.Command(3, {"help"}), 1);
    const std::string help = HostRecorder::Instance().Consoles().at(0).text;
    for (const char* word : {"help", "rate", "batch", "compress", "status"}) {
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
}

TEST_F(NimbusTest, StopsCleanlyAndSendsNothingAfterwards) {
    l2test::ConfigureNimbus(m_Folder, "Rate=2000\nBatch=1\n");
    ASSERT_EQ(m_Nimbus.Begin(hostkit::MakeWorkParams()), 1);
    EXPECT_EQ(m_Nimbus.IsWorking(), 1);
    ASSERT_TRUE(WaitForPushes(3));
    EXPECT_EQ(m_Nimbus.End(), 1);
    EXPECT_EQ(m_Nimbus.IsWorking(), 0);
    const size_t after_stop = HostRecorder::Instance().Pushes().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(HostRecorder::Instance().Pushes().size(), after_stop);
    EXPECT_EQ(HostRecorder::Instance().LogsContaining("nimbus: stopped after").size(), 1u);
}

TEST_F(NimbusTest, WithoutAMarketDataFileOnlyMarketTimesGoOut) {
    l2test::ConfigureNimbus(m_Folder, "Rate=6000\nBatch=5\nLimit=3\nStartTime=93000\n");
    portable::SetEnvironment("NIMBUS_MKTDT", m_Folder.Join("missing.txt"));
    ASSERT_EQ(m_Nimbus.Begin(hostkit::MakeWorkParams()), 1);
    ASSERT_TRUE(WaitForPushes(3));
    m_Nimbus.End();
    portable::ClearEnvironment("NIMBUS_MKTDT");
    const auto pushes = HostRecorder::Instance().Pushes();
    EXPECT_EQ(U32(pushes[0].data, 0), 93000u);
    for (const PushRecord& p : pushes) {
        const Walk walk = WalkPush(p.data);
        EXPECT_TRUE(walk.whole);
        EXPECT_TRUE(walk.codes.empty());
    }
    EXPECT_EQ(HostRecorder::Instance().LogsContaining("no market data file").size(), 1u);
}

}  // namespace
}  // namespace zephyr
