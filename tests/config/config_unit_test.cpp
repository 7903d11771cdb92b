#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "config/ConfigUnit.h"
#include "foundation/MClock.h"
#include "foundation/MException.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "tests/FileFaults.h"
#include "tests/config/LogCapture.h"

using zephyr::ConfigUnit;
using zephyr::MString;
using zephyr::hostkit::HostClock;
using zephyr::hostkit::ScratchFolder;
using zephyr::testing::FileFaults;

namespace {

const char kShortCircuit[] = "短路节假日判断逻辑!";
const char kHolidayMissing[] = "加载节假日文件出错，请检查配置和文件是否存在";

class ConfigUnitTest : public ::testing::Test {
protected:
    ConfigUnitTest()
        : clock_(HostClock::LocalSeconds(2015, 10, 7, 10, 0, 0), 1000),
          config_(logs_.logger(), nullptr) {
        clock_.Install();
        folder_.EnterAsWorkingDirectory();
        config_.SetLibraryFileName(folder_.Join("Zephyr.so").c_str());
    }
    ~ConfigUnitTest() override { zephyr::MClock::SetSource(nullptr); }
    void At(int hour, int minute, int second, int day = 7) {
        clock_.Set(HostClock::LocalSeconds(2015, 10, day, hour, minute, second));
    }

    ScratchFolder folder_;
    LogCapture logs_;
    zephyr::MManualClock clock_;
    ConfigUnit config_;
};

TEST_F(ConfigUnitTest, MissingIniGivesDefaultsAndIsWrittenOnceAtStop) {
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_TRUE(config_.IsIniMissing());
    EXPECT_STREQ(config_.TransModule().GetData(), "./nimbus.so");
    EXPECT_STREQ(config_.Reff().GetData(), "./data/");
    EXPECT_STREQ(config_.Mktdt().GetData(), "./data/");
    EXPECT_STREQ(config_.PriceTb().GetData(), "./data/");
    EXPECT_STREQ(config_.Exra().GetData(), "./data/");
    EXPECT_STREQ(config_.Trdses().GetData(), "./data/");
    EXPECT_EQ(config_.PushBond(), 0);
    EXPECT_FALSE(config_.FiltWarrant());
    EXPECT_STREQ(config_.Holiday().GetData(), "./holiday.ini");
    EXPECT_FALSE(config_.UseHoliday());
    EXPECT_TRUE(config_.UseXml());
    EXPECT_STREQ(config_.HKPriceTablePath().GetData(), "./hkpricetb.dat");
    EXPECT_STREQ(config_.HKHQFilePath().GetData(), "./hkhq.dbf");
    EXPECT_STREQ(config_.HKShorNameFilePath().GetData(), "./namehk.dbf");
    EXPECT_EQ(config_.KPTime(), 845);
    EXPECT_EQ(config_.SPTime(), 1630);
    EXPECT_FALSE(config_.HSIEnable());
    EXPECT_STREQ(config_.IndexConfig().GetData(), "./hsindexconfig.ini");
    EXPECT_EQ(config_.Time1(), 20110307);
    EXPECT_EQ(config_.Time2(), 20120305);
    EXPECT_FALSE(config_.UseNominalPrice());
    EXPECT_EQ(config_.PushStrategyParam(), 0);
    // No holiday file beside it: a warning, not a failure.
    EXPECT_EQ(logs_.Count(kHolidayMissing), 1);
    EXPECT_FALSE(folder_.Exists("Zephyr.ini"));

    config_.Stop();
    bool exists = false;
    const std::string written = folder_.ReadFile("Zephyr.ini", &exists);
    ASSERT_TRUE(exists);
    EXPECT_FALSE(config_.IsIniMissing());
    // Only the documented keys go back.
    EXPECT_NE(written.find("KPTime = 845"), std::string::npos);
    EXPECT_EQ(written.find("DataSource"), std::string::npos);
    EXPECT_EQ(written.find("useholiday"), std::string::npos);

    // The next start finds the file and never writes it again.
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_FALSE(config_.IsIniMissing());
    config_.Stop();
    EXPECT_EQ(folder_.ReadFile("Zephyr.ini"), written);
}

// Every failure point of writing the missing ini at stop: nothing is left where the file goes
// (no file, no temporary file), one line says so, and the next stop writes it.
TEST_F(ConfigUnitTest, FailedIniWriteAtStopLeavesNothingAndIsLoggedOnce) {
    using Operation = FileFaults::Operation;
    const struct {
        Operation operation;
        const char* path;
    } points[] = {{Operation::kOpen, "Zephyr.ini.tmp"},
                  {Operation::kWrite, "Zephyr.ini.tmp"},
                  {Operation::kFlush, "Zephyr.ini.tmp"},
                  {Operation::kRename, "Zephyr.ini"}};
    auto failure_lines = [&] {
        int n = 0;
        for (const LoggedLine& line : logs_.lines()) n += line.text.find("写配置文件") != std::string::npos;
        return n;
    };
    int failures = 0;
    for (const auto& point : points) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(FileFaults::Name(point.operation)) + " " + std::to_string(n));
            ASSERT_EQ(config_.Start(), 1);
            ASSERT_TRUE(config_.IsIniMissing());
            bool fired;
            {
                FileFaults faults(point.operation, point.path, n);
                config_.Stop();
                fired = faults.Fired();
            }
            if (!fired) {  // past the last call of that kind: the stop wrote the file
                ASSERT_EQ(remove(folder_.Join("Zephyr.ini").c_str()), 0);
                break;
            }
            ++failures;
            EXPECT_FALSE(folder_.Exists("Zephyr.ini"));
            EXPECT_FALSE(folder_.Exists("Zephyr.ini.tmp"));
            EXPECT_EQ(failure_lines(), failures);
        }
    }
    EXPECT_GT(failures, 4);
    ASSERT_EQ(config_.Start(), 1);
    config_.Stop();
    EXPECT_NE(folder_.ReadFile("Zephyr.ini").find("KPTime = 845"), std::string::npos);
    EXPECT_FALSE(folder_.Exists("Zephyr.ini.tmp"));
}

TEST_F(ConfigUnitTest, ExistingIniIsReadWithItsTypesAndNeverRewritten) {
    const std::string ini =
        "[DataSource]\r\nTransModule=/opt/l2/other.so\r\nMktdt = /data/mktdt00.txt\r\n"
        "[Push]\r\nPushBond=70000\r\n"
        "[Other]\r\nFiltWarrant=TRUE\r\nuseholiday=1\r\nHoliday=./h.ini\r\n"
        "[Time]\r\nKPTime=930\r\nSPTime=1600abc\r\n"
        "[HSI]\r\nEnable=true\r\n"
        "[timestep]\r\nTime1=20200101\r\n"
        "[NowPrice]\r\nUseNominalPrice=true\r\n";
    folder_.WriteFile("Zephyr.ini", ini);
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_FALSE(config_.IsIniMissing());
    EXPECT_STREQ(config_.TransModule().GetData(), "/opt/l2/other.so");
    EXPECT_STREQ(config_.Mktdt().GetData(), "/data/mktdt00.txt");
    EXPECT_STREQ(config_.Reff().GetData(), "./data/");   // missing key: default
    EXPECT_EQ(config_.PushBond(), 70000 & 0xFFFF);       // taken as 16 bits
    EXPECT_TRUE(config_.FiltWarrant());
    EXPECT_FALSE(config_.UseHoliday());                  // "1" is not "true"
    EXPECT_STREQ(config_.Holiday().GetData(), "./h.ini");
    EXPECT_EQ(config_.KPTime(), 930);
    EXPECT_EQ(config_.SPTime(), 1600);
    EXPECT_TRUE(config_.HSIEnable());
    EXPECT_EQ(config_.Time1(), 20200101);
    EXPECT_EQ(config_.Time2(), 20120305);
    EXPECT_TRUE(config_.UseNominalPrice());
    config_.Stop();
    EXPECT_EQ(folder_.ReadFile("Zephyr.ini"), ini);
}

TEST_F(ConfigUnitTest, WorkingWindowBoundaries) {
    folder_.WriteFile("Zephyr.ini", "[Time]\nKPTime=930\nSPTime=1600\n");
    ASSERT_EQ(config_.Start(), 1);
    struct Case {
        int h, m, s;
        bool in_work_time, after_open;
    } cases[] = {
        {9, 29, 59, false, false}, {9, 30, 0, true, false}, {9, 30, 1, true, true},
        {16, 0, 0, true, true},    {16, 0, 1, false, true}, {0, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        At(c.h, c.m, c.s);
        EXPECT_EQ(config_.InWorkTime(), c.in_work_time) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(config_.AfterOpen(), c.after_open) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(ConfigUnitTest, UseHolidayShortCircuitsTheCalendarAndWarnsOncePerStart) {
    folder_.WriteFile("holiday.ini", "[zephyr.2015]\n10=7\n");
    folder_.WriteFile("Zephyr.ini", "[Other]\nuseholiday=true\n");
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_EQ(logs_.Count(kShortCircuit), 1);
    EXPECT_FALSE(config_.IsHolidayToday());                 // listed Wednesday 2015-10-07
    At(10, 0, 0, 11);
    EXPECT_FALSE(config_.IsHolidayToday());                 // Sunday
    EXPECT_TRUE(config_.GetHolidayCalendar().IsHoliday(20151007));  // the calendar itself
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_EQ(logs_.Count(kShortCircuit), 2);

    // Without the short-circuit the calendar answers.
    folder_.WriteFile("Zephyr.ini", "[Other]\nuseholiday=false\n");
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_TRUE(config_.IsHolidayToday());                  // Sunday
    At(10, 0, 0, 7);
    EXPECT_TRUE(config_.IsHolidayToday());                  // listed
    At(10, 0, 0, 8);
    EXPECT_FALSE(config_.IsHolidayToday());                 // ordinary Thursday
    EXPECT_EQ(logs_.Count(kShortCircuit), 2);
    EXPECT_EQ(logs_.Count(kHolidayMissing), 0);
}

TEST_F(ConfigUnitTest, LibraryNameWithoutSuffixIsRefused) {
    folder_.WriteFile("Zephyr", "library bytes");
    config_.SetLibraryFileName(folder_.Join("Zephyr").c_str());
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_FALSE(config_.IsIniMissing());
    EXPECT_EQ(config_.KPTime(), 845);
    bool warned = false;
    for (const LoggedLine& line : logs_.lines()) {
        warned |= line.level == zephyr::kLogWarning &&
                  line.text.find("<ConfigUnit>") != std::string::npos &&
                  line.text.find(folder_.Join("Zephyr")) != std::string::npos;
    }
    EXPECT_TRUE(warned);
    config_.Stop();
    EXPECT_EQ(folder_.ReadFile("Zephyr"), "library bytes");
    EXPECT_FALSE(folder_.Exists("Zephyr.ini"));
}

TEST_F(ConfigUnitTest, NoLibraryNameFailsTheStart) {
    ConfigUnit nameless(logs_.logger(), nullptr);
    EXPECT_EQ(nameless.Start(), -1);
}

TEST_F(ConfigUnitTest, IniThatCannotBeReadGivesDefaultsAndStaysAsItIs) {
    // A folder where the file should be: something stands there, but it cannot be read.
    ASSERT_EQ(mkdir(folder_.Join("Zephyr.ini").c_str(), 0755), 0);
    ASSERT_EQ(config_.Start(), 1);
    EXPECT_FALSE(config_.IsIniMissing());
    EXPECT_EQ(config_.SPTime(), 1630);
    bool warned = false;
    for (const LoggedLine& line : logs_.lines()) {
        warned |= line.level == zephyr::kLogWarning && line.text.find("无法读取") != std::string::npos;
    }
    EXPECT_TRUE(warned);
    config_.Stop();
    struct stat info;
    ASSERT_EQ(stat(folder_.Join("Zephyr.ini").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(ConfigUnitTest, CommentWithoutOwnerRaisesTheFoundationException) {
    folder_.WriteFile("Zephyr.ini", "[Time]\nnot a key line\n;orphan comment\nKPTime=930\n");
    try {
        config_.Start();
        FAIL() << "no exception";
    } catch (const zephyr::MException& error) {
        EXPECT_STREQ(error.what(), "<MIniFile>当前Section指针发生异常");
    }
    // The unit stays usable and the file untouched.
    config_.Stop();
    EXPECT_EQ(folder_.ReadFile("Zephyr.ini"), "[Time]\nnot a key line\n;orphan comment\nKPTime=930\n");
}

}  // namespace
