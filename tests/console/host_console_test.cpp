// The console of the built library, from outside: a generated day, the driver copied beside it,
// commands through the object published in DriverBaseInfo, answers through the host's callbacks.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "host/DriverLibrary.h"
#include "host/GbkText.h"
#include "host/HostClock.h"
#include "host/HostRecorder.h"
#include "host/PushDecoder.h"
#include "host/ScratchFolder.h"
#include "tests/LibraryNames.h"
#include "tools/sampleday/SampleDay.h"

namespace {

using zephyr::hostkit::ConsoleRecord;
using zephyr::hostkit::DriverLibrary;
using zephyr::hostkit::HostClock;
using zephyr::hostkit::HostRecorder;

constexpr uint32_t kDate = 20151013;  // a Tuesday
constexpr uint32_t kConsole = 4242;

class HostConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_Folder.EnterAsWorkingDirectory();
        HostRecorder::Instance().Clear();
        zephyr::sampleday::Options options;
        options.date = kDate;
        options.seed = 7;
        options.shares = 12;
        options.time = 100000;
        options.driverIni = true;
        std::string error;
        ASSERT_TRUE(zephyr::sampleday::WriteSampleDay(options, m_Folder.Path(), error)) << error;
        HostClock::SetLocal(2015, 10, 13, 10, 0, 0);
        m_Driver.reset(new DriverLibrary(zephyr::hostkit::CopyDriverInto(m_Folder, ZEPHYR_SO_PATH)));
        ASSERT_TRUE(m_Driver->IsLoaded()) << m_Driver->Error();
    }
    void TearDown() override {
        if (m_Driver) m_Driver->End();
        m_Driver.reset();
        HostClock::UseRealTime();
    }
    void Begin() { ASSERT_EQ(1, m_Driver->Begin(zephyr::hostkit::MakeWorkParams())) << HostRecorder::Instance().LogDump(); }

    // Runs a command and returns the console texts it produced.
    std::vector<ConsoleRecord> Run(const std::vector<std::string>& words, int32_t* result = nullptr) {
        const size_t before = HostRecorder::Instance().Consoles().size();
        const int32_t r = m_Driver->Command(kConsole, words);
        if (result != nullptr) *result = r;
        const auto all = HostRecorder::Instance().Consoles();
        return std::vector<ConsoleRecord>(all.begin() + static_cast<long>(before), all.end());
    }

    // The code of the first share (the first main-board line of the name table).
    std::string FirstShareCode() {
        const auto texts = Run({"print", "nametable", "0", "100"});
        for (const auto& t : texts) {
            size_t at = 0;
            while (t.reply && at + 82 <= t.text.size()) {
                const std::string line = t.text.substr(at, 82);
                if (line.compare(70, 8, "香港主板") == 0) return line.substr(10, 5);
                at += 82;
            }
        }
        return std::string();
    }

    // Snapshot records (74 bytes) the host received for code, in order.
    static std::vector<std::string> PushedSnapshots(const std::string& code, uint8_t type = 1) {
        std::vector<std::string> records;
        for (const auto& push : HostRecorder::Instance().Pushes()) {
            EXPECT_EQ(2, push.main_type);
            EXPECT_EQ(86, push.sub_type);
            zephyr::hostkit::DecodedPush decoded;
            zephyr::hostkit::DecodePush(push.data.data(), push.data.size(), &decoded);
            for (const auto& frame : decoded.frames) {
                if (frame.type != type) continue;
                const size_t size = zephyr::hostkit::PushRecordSize(type);
                for (size_t i = 0; i < frame.records; ++i) {
                    std::string record(frame.payload + i * size, size);
                    if (record.compare(0, code.size(), code) == 0) records.push_back(record);
                }
            }
        }
        return records;
    }

    zephyr::hostkit::ScratchFolder m_Folder;
    std::unique_ptr<DriverLibrary> m_Driver;
};

TEST_F(HostConsoleTest, TextsReachTheCallbackEachIsMeantFor) {
    Begin();
    int32_t result = 0;
    auto texts = Run({"VER"}, &result);
    EXPECT_EQ(1, result);
    ASSERT_EQ(1u, texts.size());
    EXPECT_TRUE(texts[0].reply);
    EXPECT_EQ(kConsole, texts[0].console);
    EXPECT_EQ("版本号: V1.00 B047", texts[0].text);

    texts = Run({"help", "show"});
    ASSERT_EQ(2u, texts.size());
    EXPECT_FALSE(texts[0].reply);
    EXPECT_TRUE(texts[1].reply);
    EXPECT_EQ(kConsole, texts[0].console);

    texts = Run({"print", "nametable", "1"}, &result);
    EXPECT_EQ(4, result);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("USAGE:print nametable n [m]\n", texts[0].text);

    texts = Run({"print", "data"}, &result);
    EXPECT_EQ(2, result);
    EXPECT_EQ("USAGE: print data stockcode\n", texts.at(0).text);

    // The table's lines in one block (fewer than 64): output, output, reply, reply.
    texts = Run({"print", "nametable", "0", "1000"});
    ASSERT_EQ(4u, texts.size());
    EXPECT_FALSE(texts[0].reply);
    EXPECT_FALSE(texts[1].reply);
    EXPECT_TRUE(texts[2].reply);
    EXPECT_TRUE(texts[3].reply);
    EXPECT_EQ(0u, texts[2].text.size() % 82);
    EXPECT_GE(texts[2].text.size() / 82, 12u);
    EXPECT_EQ("\n", texts[3].text);

    texts = Run({"show", "config"});
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("PushBond:\n\t10\nStockBond:\n\t1\nFilt Warrant:\n\tN\nKP Time:\n\t845\nIndex Source:\n\tEnable:Y\n",
              texts[0].text);

    // No level-2 module is loaded: the commands for it say so.
    EXPECT_EQ("未加载L2传输模块\n", Run({"l2help"}).at(0).text);
    EXPECT_EQ("未加载L2传输模块\n", Run({"l2cmd", "a", "b"}).at(0).text);
    EXPECT_EQ("不支持指令\n", Run({"l2cmd"}).at(0).text);
    EXPECT_EQ("参数错误\n", Run({}).at(0).text);
}

TEST_F(HostConsoleTest, MarketReportOfTheLoadedDay) {
    Begin();
    const auto texts = Run({"print", "marketinfo"});
    ASSERT_EQ(1u, texts.size());
    const std::string& text = texts[0].text;
    EXPECT_EQ(0u, text.find("市场编号:30\n")) << zephyr::hostkit::GbkToUtf8(text);
    EXPECT_NE(std::string::npos, text.find("市场日期:20151013\n"));
    EXPECT_NE(std::string::npos, text.find("交易时段:2\n交易段 0:930 -- 1200\n交易段 1:1300 -- 1600\n"))
        << zephyr::hostkit::GbkToUtf8(text);
    const size_t digest = text.find("Md5校验 :0x");
    ASSERT_NE(std::string::npos, digest);
    EXPECT_EQ(text.size(), digest + strlen("Md5校验 :0x") + 32);
}

TEST_F(HostConsoleTest, UpdatedCloseReachesTheHostWithPushdata) {
    Begin();
    const std::string code = FirstShareCode();
    ASSERT_EQ(5u, code.size());
    EXPECT_EQ("调整" + code + "昨收价完毕", Run({"updateclose", code, "12345"}).at(0).text);
    // Nothing was pushed by the change itself.
    EXPECT_TRUE(PushedSnapshots(code).empty());

    const auto texts = Run({"pushdata", code});
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("执行推送完毕。", texts[0].text);
    EXPECT_EQ("\n", texts[1].text);
    const auto records = PushedSnapshots(code);
    ASSERT_EQ(1u, records.size());
    uint32_t previous_close = 0;
    std::memcpy(&previous_close, records[0].data() + 18, 4);
    EXPECT_EQ(12345u, previous_close);

    const auto report = Run({"print", "data", code});
    ASSERT_EQ(2u, report.size());
    EXPECT_NE(std::string::npos, report[0].text.find("昨收:  12345        "));
}

TEST_F(HostConsoleTest, PushdataOfAnIndexAndOfABadCode) {
    Begin();
    auto texts = Run({"pushdata", "999001"});
    ASSERT_EQ(2u, texts.size());
    EXPECT_EQ("执行推送完毕。", texts[0].text);
    ASSERT_EQ(1u, PushedSnapshots("999001", 4).size());

    HostRecorder::Instance().Clear();
    texts = Run({"pushdata", "12345678"});
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("无效的股票代码。", texts[0].text);
    EXPECT_TRUE(HostRecorder::Instance().Pushes().empty());
}

TEST_F(HostConsoleTest, WholeMarketPush) {
    Begin();
    const auto texts = Run({"pushdata"});
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("执行推送完毕。", texts[0].text);
    EXPECT_FALSE(PushedSnapshots("999", 4).empty());
    EXPECT_GE(PushedSnapshots("", 1).size(), 12u);
}

TEST_F(HostConsoleTest, AfterTheStopNothingChanges) {
    Begin();
    const std::string code = FirstShareCode();
    ASSERT_EQ(5u, code.size());
    ASSERT_EQ(1, m_Driver->End());
    HostRecorder::Instance().Clear();
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"updateclose", code, "1"}, {"updateclose"}, {"pushdata"}, {"pushdata", code},
             {"print", "data", code}, {"print", "nametable", "0", "10"}, {"reinstance"}, {"print", "marketinfo"}}) {
        const auto texts = Run(words);
        ASSERT_EQ(1u, texts.size()) << words[0];
        EXPECT_EQ("驱动未运行\n", texts[0].text);
    }
    EXPECT_TRUE(HostRecorder::Instance().Pushes().empty());
    EXPECT_TRUE(HostRecorder::Instance().Resets().empty());
    EXPECT_EQ("版本号: V1.00 B047", Run({"ver"}).at(0).text);

    // A new start loads the day again: the close set before the stop was never applied.
    Begin();
    const auto report = Run({"print", "data", code});
    ASSERT_EQ(2u, report.size());
    EXPECT_EQ(std::string::npos, report[0].text.find("昨收:  1            "));
}

// "reinstance" re-initialises although today's initialisation is done (the host sees the
// market reset); "updateclose" alone runs the once-per-initialisation close correction.
TEST_F(HostConsoleTest, WholeMarketActions) {
    Begin();
    EXPECT_EQ("执行重新初始化命令完毕。", Run({"reinstance"}).at(0).text);
    ASSERT_EQ(1u, HostRecorder::Instance().Resets().size());
    EXPECT_EQ(30, HostRecorder::Instance().Resets()[0].market);
    EXPECT_EQ(1u, HostRecorder::Instance().LogsContaining("重新开始初始化").size());

    EXPECT_EQ("调整全市场昨收价完毕", Run({"updateclose"}).at(0).text);
    EXPECT_EQ("调整全市场昨收价完毕", Run({"UPDATECLOSE"}).at(0).text);
    EXPECT_EQ(1u, HostRecorder::Instance().LogsContaining("进行收盘价矫正").size());
}

#ifdef NIMBUS_SO_PATH
// With the stand-in level-2 module beside the driver, l2help and l2cmd reach its console object,
// which answers on the same console through the host's reply callback.
TEST_F(HostConsoleTest, LevelTwoCommandsReachTheModule) {
    m_Folder.CopyIn(NIMBUS_SO_PATH, zephyr::tests::ModuleFileName());
    Begin();
    auto texts = Run({"L2HELP", "ignored"});
    ASSERT_EQ(1u, texts.size()) << HostRecorder::Instance().LogDump();
    EXPECT_TRUE(texts[0].reply);
    EXPECT_EQ(kConsole, texts[0].console);
    EXPECT_EQ(0u, texts[0].text.find("nimbus commands:\n"));

    int32_t result = 0;
    texts = Run({"l2cmd", "batch", "3"}, &result);
    EXPECT_EQ(1, result);
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("nimbus: batch 3 snapshots per push\n", texts[0].text);

    texts = Run({"l2cmd", "bogus"}, &result);
    EXPECT_EQ(1, result);  // the module's own result is not passed on
    ASSERT_EQ(1u, texts.size());
    EXPECT_EQ("nimbus: unknown command [bogus]; try help\n", texts[0].text);
}
#endif

// Commands that race the stop end cleanly: each either ran on the day or was refused.
TEST_F(HostConsoleTest, CommandsDuringTheStop) {
    Begin();
    const std::string code = FirstShareCode();
    std::atomic<bool> stopped{false};
    std::atomic<int> after_stop{0};
    std::thread console([&] {
        while (after_stop.load() < 3) {
            const bool was_stopped = stopped.load();
            for (const auto& words : std::vector<std::vector<std::string>>{
                     {"print", "data", code}, {"pushdata", code}, {"updateclose", code, "7"}, {"print", "marketinfo"}}) {
                EXPECT_EQ(1, m_Driver->Command(kConsole, words));
            }
            if (was_stopped) ++after_stop;
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(1, m_Driver->End());
    stopped.store(true);
    console.join();
    const auto texts = HostRecorder::Instance().Consoles();
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ("驱动未运行\n", texts.back().text);
}

TEST_F(HostConsoleTest, BeforeTheFirstStartNothingIsWritten) {
    int32_t result = 0;
    EXPECT_TRUE(Run({"print", "data", "00700"}, &result).empty());
    EXPECT_EQ(1, result);
    EXPECT_TRUE(Run({"help"}).empty());
    EXPECT_TRUE(HostRecorder::Instance().Pushes().empty());
}

}  // namespace
