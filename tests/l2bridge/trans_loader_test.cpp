// The level-2 bridge with the stand-in module nimbus.so loaded in this process: loading and
// starting, the record handed to the module, pushes plain and packed reaching the owner, the
// module's log lines and console, and what the bridge refuses.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "foundation/MErrorCode.h"
#include "foundation/MLog.h"
#include "foundation/RvProtocol.h"
#include "host/HostRecorder.h"
#include "host/ScratchFolder.h"
#include "l2bridge/HKTransLoader.h"
#include "l2bridge/L2PacketServices.h"
#include "l2bridge/Level2Sink.h"
#include "market/Market.h"
#include "process/Level2PushHandler.h"
#include "tests/l2bridge/Level2Records.h"
#include "tests/LibraryNames.h"
#include "tests/l2bridge/NimbusDay.h"

namespace zephyr {
namespace {

using l2test::Bytes;
using hostkit::HostRecorder;

struct LogLine {
    int32_t level;
    std::string module;
    std::string text;
    bool operator==(const LogLine& o) const {
        return level == o.level && module == o.module && text == o.text;
    }
};

void PrintTo(const LogLine& l, std::ostream* os) { *os << l.level << " [" << l.module << "] " << l.text; }

const std::string kModuleLog = "港股L2传输<HKTransLoader::OnCbLog()>";
const std::string kLoad = "加载港股L2传输";
const std::string kStart = "启动港股L2传输";
const std::string kUnload = "卸载港股L2传输";

// The owner as the processing unit would be: pushes go through a real handler into a market
// and a list of snapshots; every push is also kept as it arrived.
class TestSink : public Level2Sink, public Level2PushTarget {
public:
    TestSink() : m_Logger(&TestSink::Collect, this), m_Handler(&m_Market, this) { m_Handler.Open(); }

    void OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                      uint8_t market) override {
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            m_Pushes.emplace_back(data, data + length);
            m_Markets.push_back(market);
        }
        m_Handler.OnLevel2Push(main_type, sub_type, data, length, market);
    }
    bool IsLevel2Stopped() const override { return stopped.load(); }
    MLogger* Level2Logger() override { return &m_Logger; }
    MString Level2ModulePath() const override { return MString(path.c_str()); }
    ConsoleReplyCallback Level2ConsoleReply() const override { return &hostkit::RecordConsoleReply; }

    bool UpdateSnapshot(const Snapshot& s) override {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Codes.emplace_back(s.code);
        return true;
    }
    void SetLastL2Time(int64_t) override {}

    std::vector<Bytes> Pushes() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Pushes;
    }
    std::vector<uint8_t> Markets() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Markets;
    }
    std::vector<std::string> Codes() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Codes;
    }
    std::vector<LogLine> Logs() const {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Logs;
    }
    // The bridge's own lines, in order (the module's lines left out).
    std::vector<LogLine> BridgeLines() const {
        std::vector<LogLine> lines;
        for (const LogLine& l : Logs()) {
            if (l.module != kModuleLog) lines.push_back(l);
        }
        return lines;
    }
    void ClearLogs() {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Logs.clear();
    }
    bool HasLog(const std::string& needle) const {
        for (const LogLine& l : Logs()) {
            if (l.text.find(needle) != std::string::npos) return true;
        }
        return false;
    }
    uint32_t MarketTime() {
        MarketInfo info{};
        m_Market.GetInfo(&info);
        return info.time;
    }
    bool WaitForPushes(size_t n) const {
        for (int i = 0; i < 500; ++i) {
            if (Pushes().size() >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    std::string path = NIMBUS_SO_PATH;
    std::atomic<bool> stopped{false};

private:
    static void Collect(void* self, int32_t level, const char* module, const char* text) {
        TestSink* sink = static_cast<TestSink*>(self);
        std::lock_guard<std::mutex> lock(sink->m_Mutex);
        sink->m_Logs.push_back({level, module, text});
    }

    mutable std::mutex m_Mutex;
    std::vector<Bytes> m_Pushes;
    std::vector<uint8_t> m_Markets;
    std::vector<std::string> m_Codes;
    std::vector<LogLine> m_Logs;
    MLogger m_Logger;
    Market m_Market;
    Level2PushHandler m_Handler;
};

class TransLoaderTest : public ::testing::Test {
protected:
    void SetUp() override { HostRecorder::Instance().Clear(); }
    void TearDown() override {
        HKTransLoader::release();
        HKTransLoader::Detach();
    }
    // Starts nimbus with these [Feed] lines and waits for `pushes` pushes.
    std::vector<Bytes> RunFeed(TestSink& sink, const std::string& lines, size_t pushes) {
        l2test::ConfigureNimbus(m_Folder, lines);
        EXPECT_EQ(HKTransLoader::initialize(&sink), 0);
        EXPECT_TRUE(sink.WaitForPushes(pushes));
        HKTransLoader::release();
        return sink.Pushes();
    }

    hostkit::ScratchFolder m_Folder;
    // Owners outlive the module: TearDown releases it before they go.
    TestSink sink;
    TestSink other;
};

TEST_F(TransLoaderTest, StartsTheModuleWithTheHostRecordOfTheBridge) {
    l2test::ConfigureNimbus(m_Folder, "Rate=0\n");
    ASSERT_EQ(HKTransLoader::initialize(&sink), 0);
    EXPECT_EQ(HKTransLoader::GetStartedCount(), 1);

    const DriverWorkParams p = HKTransLoader::GetModuleParams();
    EXPECT_EQ(uint16_t{p.record_form}, 1);
    EXPECT_EQ(uint32_t{p.host_version}, 0x02590037u);
    EXPECT_EQ(uint16_t{p.driver_id}, 0);
    EXPECT_EQ(uint16_t{p.unused8}, 0);
    EXPECT_EQ(uint32_t{p.request_budget}, 819200u);
    EXPECT_EQ(uint16_t{p.frame_size}, 8192);
    EXPECT_EQ(PushDataCallback{p.push_data}, &HKTransLoader::OnCbPush);
    EXPECT_EQ(reinterpret_cast<void*>(LogCallback{p.log}), reinterpret_cast<void*>(&HKTransLoader::OnCbLog));
    EXPECT_EQ(reinterpret_cast<void*>(ConsoleOutputCallback{p.console_output}), reinterpret_cast<void*>(&hostkit::RecordConsoleReply));
    EXPECT_EQ(reinterpret_cast<void*>(ConsoleReplyCallback{p.console_reply}), reinterpret_cast<void*>(&hostkit::RecordConsoleReply));
    EXPECT_NE(MarketResetCallback{p.market_reset}, nullptr);
    EXPECT_EQ(HostPackService{p.pack_service}, &L2PacketServices::Pack);
    EXPECT_EQ(HostUnpackService{p.unpack_service}, &L2PacketServices::Unpack);
    for (uint8_t byte : p.tail) ASSERT_EQ(byte, 0);
    p.market_reset(30, 0);  // does nothing, and must be callable

    // Release first (a line also on the first start), then loaded and started. nimbus's version
    // word 0x0064012C shows build 044: only the low eight bits count.
    EXPECT_EQ(sink.BridgeLines(),
              (std::vector<LogLine>{
                  {1, kUnload, "HKTransLoader::release() : [" + sink.path + "]"},
                  {1, kLoad, "HKTransLoader::initialize() : 加载L2传输成功! [VER:V1.00 B044]"},
                  {1, kStart, "HKTransLoader::initialize() : 启动传输模块成功!"},
              }));
    // The module saw the record: its own start line came back through OnCbLog.
    bool module_line = false;
    for (const LogLine& l : sink.Logs()) {
        if (l.text.find("nimbus: started for host 0x02590037 (driver id 0, budget 819200, frame 8192)") == 0) {
            module_line = l.level == 1 && l.module == "港股L2传输<HKTransLoader::OnCbLog()>";
        }
    }
    EXPECT_TRUE(module_line);

    EXPECT_EQ(HKTransLoader::release(), 1);
    EXPECT_EQ(HKTransLoader::GetStartedCount(), 0);
    EXPECT_TRUE(sink.HasLog("nimbus: stopped after 0 pushes"));
}

TEST_F(TransLoaderTest, PlainPushesReachTheHandler) {
    const std::vector<Bytes> pushes = RunFeed(sink, "Rate=5000\nBatch=4\nLimit=6\n", 6);
    ASSERT_EQ(pushes.size(), 6u);
    for (uint8_t market : sink.Markets()) EXPECT_EQ(market, 30);
    // Four snapshots a push, round-robin over the three codes of the file.
    const std::vector<std::string> codes = sink.Codes();
    ASSERT_EQ(codes.size(), 24u);
    EXPECT_EQ(std::vector<std::string>(codes.begin(), codes.begin() + 4),
              (std::vector<std::string>{"00001", "00005", "00700", "00001"}));
    EXPECT_GE(sink.MarketTime(), 101530u);  // the file's time is where the feed starts
}

TEST_F(TransLoaderTest, PackedPushesArriveAsThePlainOnes) {
    TestSink& plain = sink;
    const std::vector<Bytes> expected = RunFeed(plain, "Rate=5000\nBatch=10\nLimit=5\n", 5);
    TestSink& packed = other;
    const std::vector<Bytes> got = RunFeed(packed, "Rate=5000\nBatch=10\nLimit=5\nCompress=1\n", 5);
    ASSERT_EQ(expected.size(), 5u);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(packed.Codes(), plain.Codes());
}

TEST_F(TransLoaderTest, ModuleLogTextIsNeverAFormatAgain) {
    sink.path = m_Folder.Join("absent.so");
    HKTransLoader::initialize(&sink);  // attaches the owner even though no module loads
    HKTransLoader::OnCbLog(3, 9, 0, "whatever", "disk %s at %d%%", "%s%n%s", 95);
    HKTransLoader::OnCbLog(3, 9, 0, "whatever", nullptr);
    const std::vector<LogLine> logs = sink.Logs();
    ASSERT_FALSE(logs.empty());
    EXPECT_EQ(logs.back().text, "disk %s%n%s at 95%");
    EXPECT_EQ(logs.back().level, 1);
    EXPECT_EQ(logs.back().module, "港股L2传输<HKTransLoader::OnCbLog()>");

    const std::string longer(5000, 'x');
    HKTransLoader::OnCbLog(1, 0, 0, "m", "%s", longer.c_str());
    EXPECT_EQ(sink.Logs().back().text, std::string(4095, 'x'));
}

TEST_F(TransLoaderTest, ConsoleCommandsReachTheModule) {
    char help[] = "help";
    char* help_argv[] = {help};
    // No module: nothing is run, nothing printed, and the caller learns why.
    Level2Reach reach = Level2Reach::kForwarded;
    EXPECT_EQ(HKTransLoader::ForwardCommand(5, help_argv, 1, &reach), 0);
    EXPECT_EQ(reach, Level2Reach::kNoModule);
    EXPECT_TRUE(HostRecorder::Instance().Consoles().empty());

    l2test::ConfigureNimbus(m_Folder, "Rate=0\n");
    ASSERT_EQ(HKTransLoader::initialize(&sink), 0);
    char rate[] = "rate";
    char fifty[] = "50";
    char* rate_argv[] = {rate, fifty};
    EXPECT_EQ(HKTransLoader::ForwardCommand(77, rate_argv, 2, &reach), 1);
    EXPECT_EQ(reach, Level2Reach::kForwarded);
    EXPECT_EQ(HKTransLoader::ForwardCommand(77, help_argv, 1), 1);
    const auto consoles = HostRecorder::Instance().Consoles();
    ASSERT_EQ(consoles.size(), 2u);
    EXPECT_EQ(consoles[0].console, 77u);
    EXPECT_EQ(consoles[0].text, "nimbus: rate 50 snapshots per second\n");
    EXPECT_NE(consoles[1].text.find("rate [N]"), std::string::npos);
}

TEST_F(TransLoaderTest, RefusesPushesItMustNotRead) {
    sink.path = m_Folder.Join("absent.so");
    HKTransLoader::initialize(&sink);
    const Bytes push = l2test::Cat({l2test::Header(0), l2test::SnapshotRecord("00001")});
    const Bytes packet = [&] {
        Bytes out(push.size() + 64);
        const int32_t n = L2PacketServices::Pack(2, 41, push.data(), static_cast<int32_t>(push.size()),
                                                 out.data(), static_cast<int32_t>(out.size()));
        out.resize(n > 0 ? n : 0);
        return out;
    }();
    ASSERT_FALSE(packet.empty());
    // Bit 14: compressed by an outside compressor this driver does not have.
    Bytes external(push.size() + 11);
    ASSERT_EQ(RvProtocol::BuildPacket('#', 2, 41, 40001, 1, 0, 0, push.data(), static_cast<uint16_t>(push.size()),
                                      external.data(), static_cast<uint16_t>(external.size()), 1, 0),
              static_cast<int32_t>(external.size()));
    const Bytes garbage(300, 0x23);
    struct {
        const char* name;
        uint8_t main_type, sub_type;
        const void* data;
        int32_t length;
        uint8_t compressed;
    } refused[] = {
        {"sub type 40", 2, 40, push.data(), static_cast<int32_t>(push.size()), 0},
        {"main type 3", 3, 41, push.data(), static_cast<int32_t>(push.size()), 0},
        {"negative length", 2, 41, push.data(), -1, 0},
        {"most negative length", 2, 41, push.data(), INT32_MIN, 0},
        {"zero length", 2, 41, push.data(), 0, 0},
        {"length beyond 16 bits", 2, 41, push.data(), 65536 + 259, 0},
        {"null data", 2, 41, nullptr, 259, 0},
        {"packed, negative length", 2, 41, packet.data(), -1, 1},
        {"packed, length beyond 16 bits", 2, 41, packet.data(), 70000, 1},
        {"packed garbage", 2, 41, garbage.data(), static_cast<int32_t>(garbage.size()), 1},
        {"packet cut short", 2, 41, packet.data(), static_cast<int32_t>(packet.size() - 1), 1},
        {"externally compressed packet", 2, 41, external.data(), static_cast<int32_t>(external.size()), 1},
    };
    for (const auto& c : refused) {
        HKTransLoader::OnCbPush(c.main_type, c.sub_type, c.data, c.length, 30, 0, c.compressed);
        EXPECT_TRUE(sink.Pushes().empty()) << c.name;
    }

    // The same bytes, sound, go through; the market number is always 30.
    HKTransLoader::OnCbPush(2, 41, push.data(), static_cast<int32_t>(push.size()), 99, 4, 0);
    HKTransLoader::OnCbPush(2, 41, packet.data(), static_cast<int32_t>(packet.size()), 99, 4, 1);
    EXPECT_EQ(sink.Pushes(), (std::vector<Bytes>{push, push}));
    EXPECT_EQ(sink.Markets(), (std::vector<uint8_t>{30, 30}));

    // Once the owner says stopped, nothing reaches it.
    sink.stopped = true;
    HKTransLoader::OnCbPush(2, 41, push.data(), static_cast<int32_t>(push.size()), 30, 0, 0);
    HKTransLoader::OnCbPush(2, 41, packet.data(), static_cast<int32_t>(packet.size()), 30, 0, 1);
    EXPECT_EQ(sink.Pushes().size(), 2u);
}

TEST_F(TransLoaderTest, FailedStartsLeaveNoModule) {
    l2test::ConfigureNimbus(m_Folder, "Replay=" + m_Folder.Join("no-such-feed") + "\n");
    const std::string absent = m_Folder.Join("absent.so");
    const std::string nimbus = NIMBUS_SO_PATH;
    const std::string system = tests::kSystemLibrary;
    const std::string loaded = "HKTransLoader::initialize() : 加载L2传输成功! [VER:V1.00 B044]";
    struct {
        std::string path;
        int32_t result;
        std::vector<LogLine> lines;
    } cases[] = {
        {absent, -1,
         {{1, kUnload, "HKTransLoader::release() : [" + absent + "]"},
          {1, kLoad, "HKTransLoader::initialize() : 忽略加载L2传输模块! [" + absent + "]"}}},
        {system, -2,  // loads, but is no driver
         {{1, kUnload, "HKTransLoader::release() : [" + system + "]"},
          {2, kLoad, "HKTransLoader::initialize() : 加载L2传输模块接口失败!"},
          {1, kUnload, "HKTransLoader::release() : [" + system + "]"}}},
        {nimbus, -3,  // nimbus refuses to start without its recorded feed
         {{1, kUnload, "HKTransLoader::release() : [" + nimbus + "]"},
          {1, kLoad, loaded},
          {2, kStart, "HKTransLoader::initialize() : 启动传输模块失败! errorcode = -3"},
          {1, kUnload, "HKTransLoader::release() : [" + nimbus + "]"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        sink.path = c.path;
        sink.ClearLogs();
        EXPECT_EQ(HKTransLoader::initialize(&sink), c.result);
        EXPECT_EQ(sink.BridgeLines(), c.lines);
        EXPECT_EQ(HKTransLoader::GetStartedCount(), 0);
        EXPECT_EQ(HKTransLoader::release(), 0);  // already unloaded
    }
}

TEST_F(TransLoaderTest, ReleaseTwiceLogsTwiceAndStaysAtZero) {
    l2test::ConfigureNimbus(m_Folder, "Rate=0\n");
    ASSERT_EQ(HKTransLoader::initialize(&sink), 0);
    // A second initialize starts clean: release first, then load and start again.
    ASSERT_EQ(HKTransLoader::initialize(&sink), 0);
    EXPECT_EQ(HKTransLoader::GetStartedCount(), 1);
    const auto release_lines = [&] {
        int n = 0;
        for (const LogLine& l : sink.Logs()) {
            if (l.text == "HKTransLoader::release() : [" + sink.path + "]" && l.module == "卸载港股L2传输") ++n;
        }
        return n;
    };
    const int before = release_lines();
    EXPECT_EQ(HKTransLoader::release(), 1);
    EXPECT_EQ(HKTransLoader::release(), 0);
    EXPECT_EQ(release_lines(), before + 2);
    EXPECT_EQ(HKTransLoader::GetStartedCount(), 0);
}

}  // namespace
}  // namespace zephyr
