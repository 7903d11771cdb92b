// Reports while another thread rewrites the tables: every printed quote is one record's copy,
// never a mix of two updates, and nothing crashes when the tables are emptied meanwhile.
#include <atomic>
#include <cstdlib>
#include <thread>

#include "ConsoleFixture.h"

namespace zephyr::testing {
namespace {

// The number printed after label in text (-1 when absent).
long ValueAfter(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    if (at == std::string::npos) return -1;
    return std::strtol(text.c_str() + at + label.size(), nullptr, 10);
}

TEST_F(ConsoleTest, ReportsCopyRecordsWhileTheyChange) {
    CodeEntry first = MakeCode("00700", 1, "BB", "FULL");
    first.serial = 3;
    ASSERT_TRUE(m_Services.codes.SetAt(&first, 3));
    std::atomic<bool> stop{false};
    std::thread writer([this, &stop] {
        for (uint32_t k = 1000; !stop.load(); ++k) {
            Snapshot s = MakeSnapshot("00700", k);
            m_Services.snapshots.UpdateAt(&s, 1);
            CodeEntry entry = MakeCode("00700", 1, k % 2 ? "AAAAAAAA" : "BB", "FULL");
            entry.serial = 3;
            m_Services.codes.SetAt(&entry, 3);
        }
    });
    for (int i = 0; i < 200; ++i) {
        hostkit::HostRecorder::Instance().Clear();
        ASSERT_EQ(1, Run({"print", "data", "00700"}));
        const std::string text = Texts().at(0).text;
        const long last = ValueAfter(text, "最新:");
        ASSERT_GT(last, 0) << text;
        EXPECT_EQ(last + 1, ValueAfter(text, "今开:"));
        EXPECT_EQ(last + 5, ValueAfter(text, "最高:"));
        EXPECT_EQ(last - 1, ValueAfter(text, "昨收:"));
        const bool a = text.find("AAAAAAAA") != std::string::npos;
        const bool b = text.find(Pad("BB", 30) + "\n") != std::string::npos;
        EXPECT_TRUE(a != b) << text;
    }
    stop.store(true);
    writer.join();
}

TEST_F(ConsoleTest, TablesEmptiedDuringReportsAndPushes) {
    std::atomic<bool> stop{false};
    std::thread writer([this, &stop] {
        while (!stop.load()) {
            m_Services.codes.Release();
            m_Services.snapshots.Release();
            m_Services.indexes.Release();
            std::this_thread::yield();
            CodeEntry entry = MakeCode("00700", 1, "X", "Y");
            m_Services.codes.AppendSerial(&entry);
            Snapshot s = MakeSnapshot("00700", 5);
            m_Services.snapshots.Append(&s);
        }
    });
    for (int i = 0; i < 300; ++i) {
        Run({"print", "data", "00700"});
        Run({"pushdata", "00700"});
        Run({"updateclose", "00700", "9"});
    }
    Run({"print", "nametable", "0", "5"});
    stop.store(true);
    writer.join();
    for (const auto& push : m_Services.pushes) EXPECT_EQ(74u, push.second.size());
}

}  // namespace
}  // namespace zephyr::testing
