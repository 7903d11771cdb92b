#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "config/ConfigUnit.h"
#include "foundation/MClock.h"
#include "foundation/MException.h"
#include "host/HostClock.h"
#include "host/ScratchFolder.h"
#include "portable/FileSystem.h"
#include "tests/FileFaults.h"
#include "tests/LibraryNames.h"
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
        : m_Clock(HostClock::LocalSeconds(2015, 10, 7, 10, 0, 0), 1000),
          m_Config(m_Logs.logger(), nullptr) {
        m_Clock.Install();
        m_Folder.EnterAsWorkingDirectory();
        m_Config.SetLibraryFileName(m_Folder.Join(zephyr::tests::DriverFileName()).c_str());
    }
    ~ConfigUnitTest() override { zephyr::MClock::SetSource(nullptr); }
    // Every setting, as one text.
    std::string AllSettings() const {
        const ConfigUnit& c = m_Config;
        std::string text;
        for (const MString& value : {c.TransModule(), c.Reff(), c.Mktdt(), c.PriceTb(), c.Exra(), c.Trdses(),
                                     c.Holiday(), c.HKPriceTablePath(), c.HKHQFilePath(), c.HKShorNameFilePath(),
                                     c.IndexConfig()}) {
            text += std::string(value.GetData()) + "|";
        }
        for (const int32_t value : {int32_t(c.PushBond()), int32_t(c.FiltWarrant()), int32_t(c.UseHoliday()),
                                    int32_t(c.UseXml()), c.KPTime(), c.SPTime(), int32_t(c.HSIEnable()), c.Time1(),
                                    c.Time2(), int32_t(c.UseNominalPrice())}) {
            text += std::to_string(value) + "|";
        }
        return text;
    }
    void At(int hour, int minute, int second, int day = 7) {
        m_Clock.Set(HostClock::LocalSeconds(2015, 10, day, hour, minute, second));
    }

    ScratchFolder m_Folder;
    LogCapture m_Logs;
    zephyr::MManualClock m_Clock;
    ConfigUnit m_Config;
};

TEST_F(ConfigUnitTest, MissingIniGivesDefaultsAndIsWrittenOnceAtStop) {
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_TRUE(m_Config.IsIniMissing());
    EXPECT_EQ(m_Config.TransModule().GetData(), zephyr::tests::DefaultModule());
    EXPECT_STREQ(m_Config.Reff().GetData(), "./data/");
    EXPECT_STREQ(m_Config.Mktdt().GetData(), "./data/");
    EXPECT_STREQ(m_Config.PriceTb().GetData(), "./data/");
    EXPECT_STREQ(m_Config.Exra().GetData(), "./data/");
    EXPECT_STREQ(m_Config.Trdses().GetData(), "./data/");
    EXPECT_EQ(m_Config.PushBond(), 0);
    EXPECT_FALSE(m_Config.FiltWarrant());
    EXPECT_STREQ(m_Config.Holiday().GetData(), "./holiday.ini");
    EXPECT_FALSE(m_Config.UseHoliday());
    EXPECT_TRUE(m_Config.UseXml());
    EXPECT_STREQ(m_Config.HKPriceTablePath().GetData(), "./hkpricetb.dat");
    EXPECT_STREQ(m_Config.HKHQFilePath().GetData(), "./hkhq.dbf");
    EXPECT_STREQ(m_Config.HKShorNameFilePath().GetData(), "./namehk.dbf");
    EXPECT_EQ(m_Config.KPTime(), 845);
    EXPECT_EQ(m_Config.SPTime(), 1630);
    EXPECT_FALSE(m_Config.HSIEnable());
    EXPECT_STREQ(m_Config.IndexConfig().GetData(), "./hsindexconfig.ini");
    EXPECT_EQ(m_Config.Time1(), 20110307);
    EXPECT_EQ(m_Config.Time2(), 20120305);
    EXPECT_FALSE(m_Config.UseNominalPrice());
    EXPECT_EQ(m_Config.PushStrategyParam(), 0);
    // No holiday file beside it: a warning, not a failure.
    EXPECT_EQ(m_Logs.Count(kHolidayMissing), 1);
    EXPECT_FALSE(m_Folder.Exists("Zephyr.ini"));

    m_Config.Stop();
    bool exists = false;
    const std::string written = m_Folder.ReadFile("Zephyr.ini", &exists);
    ASSERT_TRUE(exists);
    EXPECT_FALSE(m_Config.IsIniMissing());
    // Only the documented keys go back.
    EXPECT_NE(written.find("KPTime = 845"), std::string::npos);
    EXPECT_EQ(written.find("DataSource"), std::string::npos);
    EXPECT_EQ(written.find("useholiday"), std::string::npos);

    // The next start finds the file and never writes it again. The keys left out take their
    // defaults, which are the values the writing run used: the file gives back every setting.
    const std::string in_use = AllSettings();
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_FALSE(m_Config.IsIniMissing());
    EXPECT_EQ(AllSettings(), in_use);
    m_Config.Stop();
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), written);
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
        for (const LoggedLine& line : m_Logs.lines()) n += line.text.find("写配置文件") != std::string::npos;
        return n;
    };
    int failures = 0;
    for (const auto& point : points) {
        for (int n = 1;; ++n) {
            SCOPED_TRACE(std::string(FileFaults::Name(point.operation)) + " " + std::to_string(n));
            ASSERT_EQ(m_Config.Start(), 1);
            ASSERT_TRUE(m_Config.IsIniMissing());
            bool fired;
            {
                FileFaults faults(point.operation, point.path, n);
                m_Config.Stop();
                fired = faults.Fired();
            }
            if (!fired) {  // past the last call of that kind: the stop wrote the file
                ASSERT_EQ(remove(m_Folder.Join("Zephyr.ini").c_str()), 0);
                break;
            }
            ++failures;
            EXPECT_FALSE(m_Folder.Exists("Zephyr.ini"));
            EXPECT_FALSE(m_Folder.Exists("Zephyr.ini.tmp"));
            EXPECT_EQ(failure_lines(), failures);
        }
    }
    EXPECT_GT(failures, 4);
    ASSERT_EQ(m_Config.Start(), 1);
    m_Config.Stop();
    EXPECT_NE(m_Folder.ReadFile("Zephyr.ini").find("KPTime = 845"), std::string::npos);
    EXPECT_FALSE(m_Folder.Exists("Zephyr.ini.tmp"));
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
    m_Folder.WriteFile("Zephyr.ini", ini);
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_FALSE(m_Config.IsIniMissing());
    EXPECT_STREQ(m_Config.TransModule().GetData(), "/opt/l2/other.so");
    EXPECT_STREQ(m_Config.Mktdt().GetData(), "/data/mktdt00.txt");
    EXPECT_STREQ(m_Config.Reff().GetData(), "./data/");   // missing key: default
    EXPECT_EQ(m_Config.PushBond(), 70000 & 0xFFFF);       // taken as 16 bits
    EXPECT_TRUE(m_Config.FiltWarrant());
    EXPECT_FALSE(m_Config.UseHoliday());                  // "1" is not "true"
    EXPECT_STREQ(m_Config.Holiday().GetData(), "./h.ini");
    EXPECT_EQ(m_Config.KPTime(), 930);
    EXPECT_EQ(m_Config.SPTime(), 1600);                   // the leading digits, as the reader takes them
    EXPECT_TRUE(m_Config.HSIEnable());
    EXPECT_EQ(m_Config.Time1(), 20200101);
    EXPECT_EQ(m_Config.Time2(), 20120305);
    EXPECT_TRUE(m_Config.UseNominalPrice());
    m_Config.Stop();
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), ini);
}

// A value the driver cannot use is replaced, and one warning names the key, the value and the
// value used instead; usable values, letter case and blanks aside, pass without a word.
TEST_F(ConfigUnitTest, UnusableValuesAreReplacedWithAWarningNamingKeyValueAndReplacement) {
    struct Case {
        const char* line;  // in its section
        const char* section;
        const char* warning;  // "" for none
    } cases[] = {
        {"KPTime = abc", "Time", "配置项[Time]KPTime的值\"abc\"不是整数，使用缺省值845"},
        {"KPTime =", "Time", "配置项[Time]KPTime的值\"\"不是整数，使用缺省值845"},
        {"KPTime = :930", "Time", "配置项[Time]KPTime的值\":930\"不是整数，使用缺省值845"},
        {"KPTime = 99999999999", "Time", "配置项[Time]KPTime的值\"99999999999\"不是HHMM时间(0..2400)，使用缺省值845"},
        {"SPTime = 1600abc", "Time", "配置项[Time]SPTime的值\"1600abc\"在数字后有其他字符(已忽略)，使用1600"},
        {"KPTime = 9:30", "Time", "配置项[Time]KPTime的值\"9:30\"在数字后有其他字符(已忽略)，使用9"},
        {"SPTime = 1660x", "Time", "配置项[Time]SPTime的值\"1660x\"不是HHMM时间(0..2400)，使用缺省值1630"},
        {"SPTime = 99999", "Time", "配置项[Time]SPTime的值\"99999\"不是HHMM时间(0..2400)，使用缺省值1630"},
        {"SPTime = 1660", "Time", "配置项[Time]SPTime的值\"1660\"不是HHMM时间(0..2400)，使用缺省值1630"},
        {"KPTime = -5", "Time", "配置项[Time]KPTime的值\"-5\"不是HHMM时间(0..2400)，使用缺省值845"},
        {"Enable = maybe", "HSI", "配置项[HSI]Enable的值\"maybe\"不是true或false，使用缺省值false"},
        {"useholiday = 1", "Other", "配置项[Other]useholiday的值\"1\"不是true或false，使用缺省值false"},
        {"PushBond = 70000", "Push", "配置项[Push]PushBond的值\"70000\"超出0..65535，使用其低16位4464"},
        {"PushBond = x", "Push", "配置项[Push]PushBond的值\"x\"不是整数，使用缺省值0"},
        {"PushBond = 10x", "Push", "配置项[Push]PushBond的值\"10x\"在数字后有其他字符(已忽略)，使用10"},
        {"Time2 = never", "timestep", "配置项[timestep]Time2的值\"never\"不是整数，使用缺省值20120305"},
        {"Time2 = 99999999", "timestep", ""},  // dates are only compared: sentinels pass
        {"Time1 = 0", "timestep", ""},
        {"KPTime = 0", "Time", ""},
        {"SPTime = 2400", "Time", ""},
        {"Enable = TRUE", "HSI", ""},
        {"UseNominalPrice = False", "NowPrice", ""},
        {"PushBond = 65535", "Push", ""},
        {"Time1 = 20200101", "timestep", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        m_Folder.WriteFile("Zephyr.ini", std::string("[") + c.section + "]\n" + c.line + "\n");
        const size_t before = m_Logs.lines().size();
        ASSERT_EQ(m_Config.Start(), 1);
        std::vector<LoggedLine> warnings;
        const auto lines = m_Logs.lines();
        for (size_t i = before; i < lines.size(); ++i) {
            if (lines[i].text.find("<ConfigUnit>") == 0) warnings.push_back(lines[i]);
        }
        if (*c.warning == '\0') {
            EXPECT_TRUE(warnings.empty());
            continue;
        }
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_EQ(warnings[0].level, zephyr::kLogWarning);
        EXPECT_EQ(warnings[0].text, std::string("<ConfigUnit>") + c.warning);
    }
    // The values in use after the replacements.
    m_Folder.WriteFile("Zephyr.ini", "[Push]\nPushBond = 10x\n[Time]\nKPTime = abc\nSPTime = 99999\n[HSI]\n"
                                     "Enable = maybe\n[timestep]\nTime1 = 0\nTime2 = 99999999\n");
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_EQ(m_Config.PushBond(), 10);
    EXPECT_EQ(m_Config.KPTime(), 845);
    EXPECT_EQ(m_Config.SPTime(), 1630);
    EXPECT_FALSE(m_Config.HSIEnable());
    EXPECT_EQ(m_Config.Time1(), 0);
    EXPECT_EQ(m_Config.Time2(), 99999999);
    m_Folder.WriteFile("Zephyr.ini", "[Time]\nKPTime = 0\nSPTime = 2400\n[HSI]\nEnable = TRUE\n");
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_EQ(m_Config.KPTime(), 0);
    EXPECT_EQ(m_Config.SPTime(), 2400);
    EXPECT_TRUE(m_Config.HSIEnable());
}

TEST_F(ConfigUnitTest, WorkingWindowBoundaries) {
    m_Folder.WriteFile("Zephyr.ini", "[Time]\nKPTime=930\nSPTime=1600\n");
    ASSERT_EQ(m_Config.Start(), 1);
    struct Case {
        int h, m, s;
        bool in_work_time, after_open;
    } cases[] = {
        {9, 29, 59, false, false}, {9, 30, 0, true, false}, {9, 30, 1, true, true},
        {16, 0, 0, true, true},    {16, 0, 1, false, true}, {0, 0, 0, false, false},
    };
    for (const Case& c : cases) {
        At(c.h, c.m, c.s);
        EXPECT_EQ(m_Config.InWorkTime(), c.in_work_time) << c.h << ":" << c.m << ":" << c.s;
        EXPECT_EQ(m_Config.AfterOpen(), c.after_open) << c.h << ":" << c.m << ":" << c.s;
    }
}

TEST_F(ConfigUnitTest, UseHolidayShortCircuitsTheCalendarAndWarnsOncePerStart) {
    m_Folder.WriteFile("holiday.ini", "[zephyr.2015]\n10=7\n");
    m_Folder.WriteFile("Zephyr.ini", "[Other]\nuseholiday=true\n");
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_EQ(m_Logs.Count(kShortCircuit), 1);
    EXPECT_FALSE(m_Config.IsHolidayToday());                 // listed Wednesday 2015-10-07
    At(10, 0, 0, 11);
    EXPECT_FALSE(m_Config.IsHolidayToday());                 // Sunday
    EXPECT_TRUE(m_Config.GetHolidayCalendar().IsHoliday(20151007));  // the calendar itself
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_EQ(m_Logs.Count(kShortCircuit), 2);

    // Without the short-circuit the calendar answers.
    m_Folder.WriteFile("Zephyr.ini", "[Other]\nuseholiday=false\n");
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_TRUE(m_Config.IsHolidayToday());                  // Sunday
    At(10, 0, 0, 7);
    EXPECT_TRUE(m_Config.IsHolidayToday());                  // listed
    At(10, 0, 0, 8);
    EXPECT_FALSE(m_Config.IsHolidayToday());                 // ordinary Thursday
    EXPECT_EQ(m_Logs.Count(kShortCircuit), 2);
    EXPECT_EQ(m_Logs.Count(kHolidayMissing), 0);
}

TEST_F(ConfigUnitTest, LibraryNameWithoutSuffixIsRefused) {
    m_Folder.WriteFile("Zephyr", "library bytes");
    m_Config.SetLibraryFileName(m_Folder.Join("Zephyr").c_str());
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_FALSE(m_Config.IsIniMissing());
    EXPECT_EQ(m_Config.KPTime(), 845);
    bool warned = false;
    for (const LoggedLine& line : m_Logs.lines()) {
        warned |= line.level == zephyr::kLogWarning &&
                  line.text.find("<ConfigUnit>") != std::string::npos &&
                  line.text.find(m_Folder.Join("Zephyr")) != std::string::npos;
    }
    EXPECT_TRUE(warned);
    m_Config.Stop();
    EXPECT_EQ(m_Folder.ReadFile("Zephyr"), "library bytes");
    EXPECT_FALSE(m_Folder.Exists("Zephyr.ini"));
}

TEST_F(ConfigUnitTest, NoLibraryNameFailsTheStart) {
    ConfigUnit nameless(m_Logs.logger(), nullptr);
    EXPECT_EQ(nameless.Start(), -1);
}

TEST_F(ConfigUnitTest, IniThatCannotBeReadGivesDefaultsAndStaysAsItIs) {
    // A folder where the file should be: something stands there, but it cannot be read.
    ASSERT_TRUE(zephyr::portable::MakeFolder(m_Folder.Join("Zephyr.ini")));
    ASSERT_EQ(m_Config.Start(), 1);
    EXPECT_FALSE(m_Config.IsIniMissing());
    EXPECT_EQ(m_Config.SPTime(), 1630);
    bool warned = false;
    for (const LoggedLine& line : m_Logs.lines()) {
        warned |= line.level == zephyr::kLogWarning && line.text.find("无法读取") != std::string::npos;
    }
    EXPECT_TRUE(warned);
    m_Config.Stop();
    EXPECT_TRUE(zephyr::portable::IsFolder(m_Folder.Join("Zephyr.ini")));
}

TEST_F(ConfigUnitTest, IniReadPartWayKeepsWhatWasReadAndSaysSo) {
    m_Folder.WriteFile("Zephyr.ini", "[Time]\nKPTime=930\nSPTime=1600\n");
    {
        FileFaults faults(FileFaults::Operation::kRead, "Zephyr.ini", 3);
        ASSERT_EQ(m_Config.Start(), 1);
        EXPECT_TRUE(faults.Fired());
    }
    EXPECT_EQ(m_Config.KPTime(), 930);
    EXPECT_EQ(m_Config.SPTime(), 1630);  // after the failure: the default
    int interrupted = 0;
    for (const LoggedLine& line : m_Logs.lines()) {
        interrupted += line.level == zephyr::kLogWarning && line.text.find("读取中断") != std::string::npos;
    }
    EXPECT_EQ(interrupted, 1);
    m_Config.Stop();
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), "[Time]\nKPTime=930\nSPTime=1600\n");
}

TEST_F(ConfigUnitTest, CommentWithoutOwnerRaisesTheFoundationException) {
    m_Folder.WriteFile("Zephyr.ini", "[Time]\nnot a key line\n;orphan comment\nKPTime=930\n");
    try {
        m_Config.Start();
        FAIL() << "no exception";
    } catch (const zephyr::MException& error) {
        EXPECT_STREQ(error.what(), "<MIniFile>当前Section指针发生异常");
    }
    // The unit stays usable and the file untouched.
    m_Config.Stop();
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), "[Time]\nnot a key line\n;orphan comment\nKPTime=930\n");
}

}  // namespace
