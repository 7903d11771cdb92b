#include <gtest/gtest.h>

#include <string>

#include "zephyr/DriverInterface.h"
#include "process/ProcessIO.h"
#include "tests/driver/DriverFixture.h"

using zephyr::hostkit::HostClock;
using zephyr::hostkit::LogRecord;
using zephyr::hostkit::MakeWorkParams;
using zephyr::hostkit::ReadU32;

namespace {

// The documented ini file: a named section opens with an empty line, headers and key lines
// are padded with spaces to 50 bytes, each key carries its comment.
std::string Padded(std::string text) {
    text.append(text.size() < 50 ? 50 - text.size() : 1, ' ');
    return text;
}
std::string Section(const std::string& name) { return Padded("\r\n[" + name + "]") + "\r\n"; }
std::string Key(const std::string& key, const std::string& value, const std::string& comment) {
    return Padded(key + " = " + value) + ";" + comment + "\r\n";
}

const std::string kDocumentedIni =
    Section("Other") + Key("FiltWarrant", "false", "是否过滤权证") +
    Key("UseXml", "true", "是否使用澜讯提供的Xml文件初始化") +
    Key("Holiday", "./holiday.ini", "节假日文件") + Section("InitFiles") +
    Key("HKPriceTablePath", "./hkpricetb.dat", "价位表文件路径。") +
    Key("HKHQFilePath", "./hkhq.dbf", "香港行情dbf路径，存放最后一笔动态数据。") +
    Key("HKShorNameFilePath", "./namehk.dbf", "中文简称文件路径") + Section("Time") +
    Key("KPTime", "845", "港股开盘时间(源驱动开始工作时间)") +
    Key("SPTime", "1630", "港股收盘时间(源驱动停止工作时间)") + Section("HSI") +
    Key("Enable", "false", "启用恒生指数来源") +
    Key("IndexConfig", "./hsindexconfig.ini", "恒生指数配置文件") + Section("NowPrice") +
    Key("UseNominalPrice", "false", "使用最新价还是按盘价做当前价(默认使用最新价)");

bool Logged(int level, const std::string& module, const std::string& text) {
    for (const LogRecord& line : zephyr::hostkit::HostRecorder::Instance().Logs()) {
        if (line.level == level && line.module == module && line.text == text) return true;
    }
    return false;
}

using LifecycleTest = DriverFixture;

TEST_F(LifecycleTest, FirstRunWritesTheDocumentedIniAndLaterRunsLeaveItAlone) {
    auto& driver = Load();
    ASSERT_EQ(driver.Begin(MakeWorkParams(7)), 1) << Host().LogDump();
    EXPECT_FALSE(m_Folder.Exists("Zephyr.ini"));
    EXPECT_EQ(driver.End(), 1);
    bool exists = false;
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini", &exists), kDocumentedIni);
    ASSERT_TRUE(exists);

    // The missing holiday file was a warning of the driver, with the host's id.
    const auto lines = Host().LogsContaining("加载节假日文件出错，请检查配置和文件是否存在");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].level, 2);
    EXPECT_EQ(lines[0].driver_id, 7);
    EXPECT_EQ(lines[0].reserved, 0);
    EXPECT_EQ(lines[0].module, "Zephyr");

    ASSERT_EQ(driver.Begin(MakeWorkParams(7)), 1);
    EXPECT_EQ(driver.End(), 1);
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), kDocumentedIni);
    // The holiday file is only read: still missing, still a warning.
    EXPECT_FALSE(m_Folder.Exists("holiday.ini"));
    EXPECT_EQ(Host().LogsContaining("加载节假日文件出错，请检查配置和文件是否存在").size(), 2u);
}

TEST_F(LifecycleTest, AnExistingIniIsNeverRewritten) {
    const std::string ini = "; operator's notes\r\n[Time]\r\nKPTime=930\r\n\r\n[Other]\r\nuseholiday=true\r\n";
    m_Folder.WriteFile("Zephyr.ini", ini);
    auto& driver = Load();
    // "useholiday" makes every day a working day, and this folder holds no exchange files.
    ASSERT_EQ(driver.Begin(MakeWorkParams()), -15);
    EXPECT_TRUE(Logged(2, "Zephyr", "短路节假日判断逻辑!"));
    EXPECT_TRUE(Logged(3, "Zephyr", "启动处理主单元错误[Err:-15]\n")) << Host().LogDump();
    EXPECT_EQ(driver.End(), 1);
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), ini);
}

TEST_F(LifecycleTest, StatusInfoAfterStartFollowsTheHostClock) {
    auto& driver = Load();
    ASSERT_EQ(driver.Begin(MakeWorkParams()), 1);
    auto status = driver.StatusBytes();
    EXPECT_EQ(ReadU32(&status[46]), 0u);
    EXPECT_EQ(status[50], status[5]);
    EXPECT_EQ(status[5], 0);
    HostClock::AdvanceMs(5999);
    status = driver.StatusBytes();
    EXPECT_EQ(ReadU32(&status[46]), 5u);
    EXPECT_EQ(ReadU32(&status[42]), 5u);
    EXPECT_EQ(driver.End(), 1);
    EXPECT_EQ(driver.IsWorking(), 0);
}

TEST_F(LifecycleTest, CommentWithoutOwnerFailsTheStartWithTheExceptionText) {
    m_Folder.WriteFile("Zephyr.ini", "[Time]\r\nKPTime\r\n;whose comment?\r\n");
    auto& driver = Load();
    EXPECT_EQ(driver.Begin(MakeWorkParams()), -1);
    EXPECT_TRUE(Logged(3, "Zephyr", "<MIniFile>当前Section指针发生异常")) << Host().LogDump();
    EXPECT_EQ(driver.End(), 1);
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.ini"), "[Time]\r\nKPTime\r\n;whose comment?\r\n");
}

TEST_F(LifecycleTest, HostWithoutLogCallbackIsNotLoggedTo) {
    auto& driver = Load();
    zephyr::DriverWorkParams params = MakeWorkParams();
    params.log = nullptr;
    ASSERT_EQ(driver.Begin(params), 1);  // the missing holiday file would be logged
    EXPECT_EQ(driver.End(), 1);
    EXPECT_TRUE(Host().Logs().empty());
}

TEST_F(LifecycleTest, LibraryNameWithoutSuffixGetsDefaultsAndNoIni) {
    auto& driver = Load("Zephyr.lib");
    const std::string before = m_Folder.ReadFile("Zephyr.lib");
    ASSERT_EQ(driver.Begin(MakeWorkParams()), 1);
    EXPECT_FALSE(Host().LogsContaining("<ConfigUnit>").empty()) << Host().LogDump();
    EXPECT_EQ(driver.End(), 1);
    EXPECT_EQ(m_Folder.ReadFile("Zephyr.lib"), before);
    EXPECT_FALSE(m_Folder.Exists("Zephyr.ini"));
    EXPECT_FALSE(m_Folder.Exists("Zephyr.lib.ini"));
}

TEST_F(LifecycleTest, IndexListIsLoadedBetweenConfigurationAndProcessing) {
    m_Folder.WriteFile("Zephyr.ini", "[HSI]\nEnable=true\n");
    m_Folder.WriteFile("hsindexconfig.ini",
                      "代码=英文简称=中文简称=中文全称=指数类型=族内类型\nHSI=HSI=恒生指数=恒生指数=01=01\n");
    auto& driver = Load();
    testing::internal::CaptureStdout();
    const int32_t started = driver.Begin(MakeWorkParams());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "load index from file! no.=1\nadjust name table\n");
    EXPECT_EQ(started, 1);
    EXPECT_EQ(driver.End(), 1);

    // A broken list is a warning; the start goes on.
    m_Folder.WriteFile("hsindexconfig.ini", "代码=英文简称\n");
    Host().Clear();
    EXPECT_EQ(driver.Begin(MakeWorkParams()), 1);
    EXPECT_TRUE(Logged(2, "装入恒生指数配置", "恒生代码来源文件的中文简称字段没有找到，请检查格式"))
        << Host().LogDump();
    EXPECT_EQ(driver.End(), 1);
}

// The stored copy of the host's record leaves room for the host's own frame header.
TEST(ProcessIOWorkParams, FrameSizeAbove200LosesTheHostHeader) {
    struct Case {
        uint16_t given, stored;
    } cases[] = {{8192, 7992}, {201, 1}, {200, 200}, {0, 0}};
    for (const Case& c : cases) {
        zephyr::ProcessIO process(nullptr, nullptr);
        zephyr::DriverWorkParams params = MakeWorkParams(9, c.given, 4096);
        params.tail[0] = 0x5A;
        process.SetWorkParams(params);
        const zephyr::DriverWorkParams stored = process.GetWorkParams();
        // Copies of the packed fields: the checks bind references.
        const uint16_t frame_size = stored.frame_size, driver_id = stored.driver_id;
        const uint32_t budget = stored.request_budget;
        const zephyr::LogCallback log = stored.log, expected_log = params.log;
        EXPECT_EQ(frame_size, c.stored) << c.given;
        EXPECT_EQ(driver_id, 9);
        EXPECT_EQ(budget, 4096u);
        EXPECT_EQ(stored.tail[0], 0x5A);
        EXPECT_EQ(log, expected_log);
    }
}

}  // namespace
