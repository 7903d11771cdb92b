#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "foundation/MClock.h"
#include "host/GbkText.h"
#include "host/HostClock.h"
#include "host/HostRecorder.h"
#include "portable/Library.h"

using namespace zephyr::hostkit;

namespace {

TEST(HostKit, CallbacksRecordWhatTheDriverSends) {
    HostRecorder& host = HostRecorder::Instance();
    host.Clear();
    const zephyr::DriverWorkParams params = MakeWorkParams(12, 4000, 1000);
    // The log text stands in the format position and is never formatted again.
    params.log(3, 12, 0, "Zephyr", "100%s done");
    params.console_reply(77, "%d rows\n", 5);
    params.console_output(78, "plain");
    const uint8_t bytes[] = {1, 0, 2};
    params.push_data(2, 86, bytes, 3, 30, 12, 0);
    params.market_reset(30, 12);

    ASSERT_EQ(host.Logs().size(), 1u);
    EXPECT_EQ(host.Logs()[0].text, "100%s done");
    EXPECT_EQ(host.Logs()[0].level, 3);
    ASSERT_EQ(host.Consoles().size(), 2u);
    EXPECT_TRUE(host.Consoles()[0].reply);
    EXPECT_EQ(host.Consoles()[0].console, 77u);
    EXPECT_EQ(host.Consoles()[0].text, "5 rows\n");
    EXPECT_FALSE(host.Consoles()[1].reply);
    ASSERT_EQ(host.Pushes().size(), 1u);
    EXPECT_EQ(host.Pushes()[0].data, std::string("\x01\x00\x02", 3));
    EXPECT_EQ(host.Pushes()[0].sub_type, 86);
    ASSERT_EQ(host.Resets().size(), 1u);
    EXPECT_EQ(host.Resets()[0].driver_id, 12);
    EXPECT_EQ(host.LogsContaining("done").size(), 1u);
    EXPECT_TRUE(host.WaitForLog("done", 0));
    EXPECT_FALSE(host.WaitForLog("absent", 10));
}

TEST(HostKit, WaitForLogSeesLinesFromOtherThreads) {
    HostRecorder& host = HostRecorder::Instance();
    host.Clear();
    std::thread writer([] { RecordLog(1, 0, 0, "m", "late line"); });
    EXPECT_TRUE(host.WaitForLog("late", 5000));
    writer.join();
}

TEST(HostKit, GbkIsShownAsUtf8) {
    // The literal is GBK in the binary; the expected text is spelled in UTF-8 bytes.
    EXPECT_EQ(GbkToUtf8("港股"), "\xE6\xB8\xAF\xE8\x82\xA1");
    EXPECT_EQ(GbkToUtf8("a\x81"), "a?");
}

TEST(HostKit, ClockEntryIsVisibleAndSettable) {
    void* entry = zephyr::portable::ProgramSymbol(zephyr::kClockSourceSymbol);
    ASSERT_NE(entry, nullptr);
    const zephyr::MClockSource* source = reinterpret_cast<zephyr::MClockSourceLookup>(entry)();
    ASSERT_NE(source, nullptr);
    HostClock::SetLocal(2015, 10, 7, 9, 29, 59);
    HostClock::SetTick(0xFFFFFF00u);
    EXPECT_EQ(source->now_seconds(source->context), HostClock::LocalSeconds(2015, 10, 7, 9, 29, 59));
    HostClock::AdvanceMs(1500);
    EXPECT_EQ(source->now_seconds(source->context), HostClock::LocalSeconds(2015, 10, 7, 9, 30, 0));
    EXPECT_EQ(source->tick_ms(source->context), 0xFFFFFF00u + 1500u);
    // The driver's own time reads in this process go through the same entry.
    EXPECT_EQ(zephyr::MClock::NowSeconds(), HostClock::LocalSeconds(2015, 10, 7, 9, 30, 0));
}

}  // namespace
