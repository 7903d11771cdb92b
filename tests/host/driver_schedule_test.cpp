// The working window the host reads from the driver's ini must be the one the driver uses.
#include <gtest/gtest.h>

#include "host/DriverSchedule.h"
#include "host/ScratchFolder.h"
#include "portable/Library.h"

using zephyr::hostkit::DriverSchedule;
using zephyr::hostkit::ScratchFolder;

namespace {

TEST(DriverSchedule, ReadsTheWindowAsTheDriverReadsIt) {
    const struct {
        const char* ini;
        int32_t kp_time, sp_time;
        size_t notes;
    } cases[] = {
        {"[Time]\nKPTime = 930\nSPTime = 1600\n", 930, 1600, 0},
        // The leading digits, the rest ignored (with a note).
        {"[Time]\nKPTime = 930x\nSPTime = 1600abc ; closing\n", 930, 1600, 2},
        {"[Time]\nKPTime = +900\n", 900, 1630, 0},
        // No leading digit, or out of range: the driver's defaults.
        {"[Time]\nKPTime = abc\nSPTime = 99999\n", 845, 1630, 2},
        {"[Time]\nKPTime = 1660x\nSPTime = -5\n", 845, 1630, 2},
        // Only the first [Time] section counts, as in the driver's ini reader.
        {"[Time]\nKPTime = 900\n[Other]\n[time]\nKPTime = 1000\nSPTime = 1500\n", 900, 1630, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini);
        ScratchFolder folder;
        folder.WriteFile("Zephyr.ini", c.ini);
        const DriverSchedule schedule =
            DriverSchedule::ForDriver(folder.Join(std::string("Zephyr") + zephyr::portable::LibrarySuffix()), 0);
        EXPECT_TRUE(schedule.ini_found);
        EXPECT_EQ(schedule.kp_time, c.kp_time);
        EXPECT_EQ(schedule.sp_time, c.sp_time);
        EXPECT_EQ(schedule.notes.size(), c.notes);
    }
}

// The ini is found by the rule the driver uses on each system.
TEST(DriverSchedule, FindsTheIniAsTheDriverDoes) {
    using Cut = DriverSchedule::SuffixCut;
    const struct {
        const char* library;
        const char* suffix;
        Cut cut;
        const char* ini;
    } cases[] = {
        {"/opt/quote/Zephyr.so", ".so", Cut::kTrailing, "/opt/quote/Zephyr.ini"},
        {"/opt/x.so.d/Zephyr.so", ".so", Cut::kTrailing, "/opt/x.so.d/Zephyr.ini"},
        {"/opt/quote/Zephyr.so.1", ".so", Cut::kTrailing, ""},
        {"/opt/quote/Zephyr.SO", ".so", Cut::kTrailing, ""},
        {".so", ".so", Cut::kTrailing, ""},
        // Windows: the first ".dll" past the first character, whatever follows it.
        {"C:\\quote\\Zephyr.dll", ".dll", Cut::kFirst, "C:\\quote\\Zephyr.ini"},
        {"C:\\a.dll.d\\Zephyr.dll", ".dll", Cut::kFirst, "C:\\a.ini"},
        {"C:\\quote\\Zephyr.dll.bak", ".dll", Cut::kFirst, "C:\\quote\\Zephyr.ini"},
        {"C:\\QUOTE\\ZEPHYR.DLL", ".dll", Cut::kFirst, ""},
        {".dll", ".dll", Cut::kFirst, ""},
        {".dllx", ".dll", Cut::kFirst, ""},
        {"", ".dll", Cut::kFirst, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DriverSchedule::IniPathFor(c.library, c.suffix, c.cut), c.ini) << c.library;
    }
    // This system's rule.
    const std::string suffix = zephyr::portable::LibrarySuffix();
    const bool windows = suffix == ".dll";
    EXPECT_EQ(DriverSchedule::IniPathFor("d/x" + suffix + ".d/Zephyr" + suffix), windows ? "d/x.ini" : "d/x.so.d/Zephyr.ini");
}

// Listed days outside 0..99 are day 0 for the driver, not days of the following months.
TEST(DriverSchedule, ReadsHolidayDaysAsTheDriverReadsThem) {
    ScratchFolder folder;
    folder.WriteFile("days.ini", "[zephyr.2026]\n01 = 1, -3,101 , 28,99999999999\n02 = x7\n");
    folder.WriteFile("Zephyr.ini", "[Other]\nHoliday = " + folder.Join("days.ini") + "\n");
    const int64_t june_2026 = 1781496000;  // 2026-06-15 04:00 UTC
    const DriverSchedule schedule =
        DriverSchedule::ForDriver(folder.Join(std::string("Zephyr") + zephyr::portable::LibrarySuffix()), june_2026);
    const std::vector<uint32_t> expected = {20260101, 20260100, 20260100, 20260128, 20260100, 20260200};
    EXPECT_EQ(schedule.holidays, expected);
}

}  // namespace
