#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/HSIndexConfig.h"
#include "host/ScratchFolder.h"
#include "tests/config/LogCapture.h"

using zephyr::HSIndexConfig;
using zephyr::HSIndexEntry;
using zephyr::hostkit::ScratchFolder;

namespace {

const char kHeader[] = "代码=英文简称=中文简称=中文全称=指数类型=族内类型\n";
const char kModule[] = "装入恒生指数配置";

class IndexConfigTest : public ::testing::Test {
protected:
    IndexConfigTest() : m_List(m_Logs.logger()) {}
    int32_t Load(const std::string& text) {
        m_Folder.WriteFile("hsindexconfig.ini", text);
        return m_List.Load(m_Folder.Join("hsindexconfig.ini").c_str());
    }
    HSIndexEntry Entry(uint32_t index) {
        HSIndexEntry entry;
        memset(&entry, 0xEE, sizeof entry);
        EXPECT_TRUE(m_List.Get(index, &entry));
        return entry;
    }
    static std::string Field(const char* field, size_t size) { return std::string(field, size); }

    ScratchFolder m_Folder;
    LogCapture m_Logs;
    HSIndexConfig m_List;
};

TEST_F(IndexConfigTest, OneIndexByteForByte) {
    testing::internal::CaptureStdout();
    ASSERT_EQ(Load(std::string(kHeader) + "HSI=HSI=恒生指数=恒生指数=01=01\n"), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "load index from file! no.=1\n");
    ASSERT_EQ(m_List.GetCount(), 1u);
    const HSIndexEntry e = Entry(0);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&e);
    EXPECT_EQ(Field(e.code, 6), std::string("HSI\0\0\0", 6));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 6), 8),
              std::string("01\0\0\0\0" "01", 8));  // index type, zero byte 11, family type
    EXPECT_EQ(Field(e.english_name, 8), std::string("HSI\0\0\0\0\0", 8));
    EXPECT_EQ(Field(e.short_name, 16), std::string("恒生指数") + std::string(8, '\0'));
    EXPECT_EQ(Field(e.full_name, 16), std::string("恒生指数") + std::string(8, '\0'));
    EXPECT_TRUE(m_Logs.lines().empty());
}

TEST_F(IndexConfigTest, QualifyingRulesAndFallbacks) {
    ASSERT_EQ(Load(std::string(kHeader) +
                   "HSCEI=HSCEI==国企指数全称=02=03\r\n"        // empty short name: the code
                   "HSCCI=HSCCI=红筹指数==02=03\r\n"            // empty full name: the short name
                   "X1=X1=短=全=2=03\r\n"                       // one-character index type
                   "X2=X2=短=全=02=3\r\n"                       // one-character family type
                   "=X3=短=全=02=03\r\n"                        // no code
                   "X4=X4=短=全=02\r\n"                         // a column missing
                   "X5[X5]短>全=123456789=0304\r\n"             // every separator, long types
                   "HSIVERYLONGCODE=ENGLISHNAMELONG=一二三四五六七八九=x=01=01\r\n"),
              1);
    ASSERT_EQ(m_List.GetCount(), 4u);
    HSIndexEntry e = Entry(0);
    EXPECT_EQ(Field(e.short_name, 16), std::string("HSCEI") + std::string(11, '\0'));
    EXPECT_EQ(Field(e.full_name, 16), std::string("国企指数全称") + std::string(4, '\0'));
    e = Entry(1);
    EXPECT_EQ(Field(e.full_name, 16), Field(e.short_name, 16));
    EXPECT_EQ(Field(e.short_name, 16), std::string("红筹指数") + std::string(8, '\0'));
    e = Entry(2);
    EXPECT_EQ(Field(e.code, 6), std::string("X5\0\0\0\0", 6));
    EXPECT_EQ(Field(e.index_type, 5), "12345");
    EXPECT_EQ(e.zero11, 0);
    EXPECT_EQ(Field(e.family_type, 2), "03");
    EXPECT_EQ(Field(e.short_name, 16), std::string("短") + std::string(14, '\0'));
    // Texts that fill their fields stay unterminated.
    e = Entry(3);
    EXPECT_EQ(Field(e.code, 6), "HSIVER");
    EXPECT_EQ(Field(e.english_name, 8), "ENGLISHN");
    EXPECT_EQ(Field(e.short_name, 16), "一二三四五六七八");
}

TEST_F(IndexConfigTest, BrokenFilesAreAnsweredWithWarnings) {
    EXPECT_EQ(m_List.Load(m_Folder.Join("absent.ini").c_str()), -1);
    EXPECT_EQ(Load(""), -2);
    EXPECT_EQ(Load("代码=英文简称=中文简称=中文全称=指数类型\nHSI=HSI=恒生指数=恒生指数=01=01\n"), -2);
    const std::vector<LoggedLine> lines = m_Logs.lines();
    ASSERT_EQ(lines.size(), 3u);
    for (const LoggedLine& line : lines) {
        EXPECT_EQ(line.level, zephyr::kLogWarning);
        EXPECT_EQ(line.module, kModule);
    }
    EXPECT_EQ(lines[0].text, "恒生指数代码来源文件" + m_Folder.Join("absent.ini") + "打开失败");
    EXPECT_EQ(lines[1].text, "恒生指数代码来源文件" + m_Folder.Join("hsindexconfig.ini") + "内容不对");
    EXPECT_EQ(lines[2].text, "恒生代码来源文件的族内类型字段没有找到，请检查格式");
    EXPECT_EQ(m_List.GetCount(), 0u);
}

TEST_F(IndexConfigTest, HeaderColumnsMayStandInAnyOrderAndAStartReplacesTheList) {
    ASSERT_EQ(Load("族内类型=指数类型=中文全称=中文简称=英文简称=代码\n01=02=全称=简称=EN=HSI\n"), 1);
    ASSERT_EQ(Load("族内类型=指数类型=中文全称=中文简称=英文简称=代码\n01=02=全称=简称=EN=HSI\n"
                   "01=02=全称=简称=EN=HSCEI\n"),
              1);
    ASSERT_EQ(m_List.GetCount(), 2u);
    const HSIndexEntry e = Entry(1);
    EXPECT_EQ(Field(e.code, 6), std::string("HSCEI\0", 6));
    EXPECT_EQ(Field(e.family_type, 2), "01");
    EXPECT_EQ(Field(e.index_type, 5), std::string("02\0\0\0", 5));

    // In the header "[" does not advance the number: "[代码]" is the first field.
    ASSERT_EQ(Load("[代码]英文简称=中文简称=中文全称=指数类型=族内类型\nHSI=EN=简称=全称=02=03\n"), 1);
    ASSERT_EQ(m_List.GetCount(), 1u);
    EXPECT_EQ(Field(Entry(0).code, 6), std::string("HSI\0\0\0", 6));
    EXPECT_EQ(Field(Entry(0).family_type, 2), "03");
}

}  // namespace
