#include "foundation/MIniFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "foundation/MErrorCode.h"
#include "foundation/MException.h"
#include "foundation/MModule.h"
#include "tests/SystemErrors.h"
#include "tests/TempFolder.h"

using namespace zephyr;

namespace zephyr {
// Readable failure messages for MString results.
void PrintTo(const MString& text, std::ostream* out) { *out << '"' << text.GetData() << '"'; }
}  // namespace zephyr

namespace {

// GBK bytes with CR LF and LF line ends, blank lines, tabs, comments behind ";" and "；" on
// section and key lines and on lines of their own, a repeated section, a line without "=".
// Made from UTF-8 text with: printf '...' | iconv -f UTF-8 -t GBK > gbk_comments.ini
const std::string kGbkIni = ZEPHYR_SOURCE_DIR "/tests/foundation/fixtures/gbk_comments.ini";

// The fixture after the writes of ReadsGbkCommentsAndSavesFixedLayout, written by hand.
// Header and key lines are padded to 50 bytes (the CR LF before a header counts), Chinese
// characters take two bytes and so two columns.
const char kSavedGbkIni[] =
    "; 全局说明\r\n"
    "Top = 1                                           \r\n"
    "\r\n[Main]                                          ;主配置\r\n"
    ";段内注释\r\n"
    "Name = 港股通                                     ;新的名称\r\n"
    "Rate = x                                          ;汇\r\n"
    "Flag = FALSE                                      ;  键后注释 with spaces\r\n"
    "; after garbage\r\n"
    "Count = 8                                         ;计数\r\n"
    "\r\n[main]                                          \r\n"
    "Name = second                                     \r\n"
    "\r\n[Other]                                         ;全角注释\r\n"
    ";整行全角注释\r\n"
    "Count = 12abc                                     \r\n"
    "Letters = abc                                     \r\n"
    "On = true                                         ;开关\r\n"
    "\r\n[New]                                           \r\n"
    "Size = 5                                          \r\n";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

class IniFileTest : public ::testing::Test {
protected:
    std::string Path(const char* name = "t.ini") const { return m_Folder.Path() + "/" + name; }

    tests::TempFolder m_Folder{"zephyr_ini_"};
};

TEST_F(IniFileTest, ReadsGbkCommentsAndSavesFixedLayout) {
    const std::string path = Path();
    WriteAll(path, ReadAll(kGbkIni));
    MIniFile ini;
    ASSERT_EQ(ini.Open(path.c_str(), MIniFile::kLineMode), 1);
    EXPECT_FALSE(ini.IsModified());
    EXPECT_EQ(ini.GetPath(), path.c_str());

    ASSERT_EQ(ini.GetSectionCount(), 4u);
    EXPECT_EQ(ini.GetSectionName(0), "");
    EXPECT_EQ(ini.GetSectionName(1), "Main");
    EXPECT_EQ(ini.GetSectionName(2), "main");
    EXPECT_EQ(ini.GetSectionName(3), "Other");
    EXPECT_EQ(ini.GetSectionName(4), "");

    // Names match with ASCII case ignored; only the first of two same-named sections is searched.
    EXPECT_EQ(ini.ReadString("MAIN", "NAME", "?"), "港股通");
    EXPECT_EQ(ini.ReadString("main", "name", "?"), "港股通");
    EXPECT_EQ(ini.ReadString("Main", "Rate", "?"), "a=b c");
    EXPECT_EQ(ini.ReadInteger("", "Top", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Main", "Count", 0), 7);
    EXPECT_TRUE(ini.ReadBool("Main", "Flag", false));
    EXPECT_EQ(ini.ReadInteger("Other", "Count", 0), 12);
    EXPECT_EQ(ini.ReadInteger("Other", "Letters", 5), 0);
    EXPECT_FALSE(ini.ReadBool("", "Top", true));  // "1" is not "true"
    EXPECT_EQ(ini.ReadString("Other", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("Nowhere", "x", -3), -3);
    EXPECT_TRUE(ini.ReadBool("Nowhere", "x", true));

    // Nothing changed: the file is left alone.
    EXPECT_EQ(ini.Save(), 1);
    EXPECT_EQ(ReadAll(path), ReadAll(kGbkIni));

    EXPECT_EQ(ini.WriteString("MAIN", "name", "港股通", "新的名称"), 1);  // longer comment
    EXPECT_EQ(ini.WriteString("Main", "Rate", "x", "汇"), 1);             // shorter comment
    EXPECT_EQ(ini.WriteInteger("Main", "Count", 8, "计数"), 1);           // first comment
    EXPECT_EQ(ini.WriteString("Main", "Flag", "FALSE", ""), 1);           // comments kept
    EXPECT_EQ(ini.WriteInteger("New", "Size", 5), 1);
    EXPECT_EQ(ini.WriteBool("Other", "On", true, "开关"), 1);
    EXPECT_TRUE(ini.IsModified());
    ASSERT_EQ(ini.Save(), 1);
    EXPECT_EQ(ReadAll(path), std::string(kSavedGbkIni));

    MIniFile again;
    ASSERT_EQ(again.Open(path.c_str(), MIniFile::kLineMode), 1);
    EXPECT_EQ(again.ReadString("main", "rate", "?"), "x");
    EXPECT_EQ(again.ReadInteger("new", "size", 0), 5);
}

// Names and values read back as saved: a cut to their room never leaves the blank it was made
// at, which reading the saved line would trim away; a value holding "；" is kept whole.
TEST_F(IniFileTest, CutNamesAndValuesReadBackAsSaved) {
    const std::string path = Path();
    const std::string name = std::string(30, 'k') + " cut";
    const std::string value = std::string(98, 'v') + " cut";
    WriteAll(path, "[" + std::string(30, 's') + " cut]\r\n" + name + " = " + value + "\r\n" +
                       "Wide = a\xA3\xBB" "b ; the value holds a full-width semicolon\r\n");
    MIniFile ini;
    ASSERT_EQ(ini.Open(path.c_str(), MIniFile::kLineMode), 1);
    ASSERT_EQ(ini.WriteString("Other", "Written", value.c_str()), 1);
    ASSERT_EQ(ini.WriteString("Other", "Wide", "c\xA3\xBB" "d"), 1);
    ASSERT_EQ(ini.Save(), 1);

    MIniFile again;
    ASSERT_EQ(again.Open(path.c_str(), MIniFile::kLineMode), 1);
    EXPECT_EQ(again.GetSectionName(1), std::string(30, 's').c_str());
    const MString section(std::string(30, 's').c_str());
    const MString key(std::string(30, 'k').c_str());
    EXPECT_EQ(again.ReadString(section, key, "?"), std::string(98, 'v').c_str());
    EXPECT_EQ(ini.ReadString(section, key, "!"), std::string(98, 'v').c_str());
    EXPECT_EQ(again.ReadString("Other", "Written", "?"), std::string(98, 'v').c_str());
    EXPECT_EQ(ini.ReadString("Other", "Written", "!"), std::string(98, 'v').c_str());
    // A value holding "；" reads back whole, with or without a comment behind it.
    EXPECT_EQ(again.ReadString(section, "Wide", "?"), "a\xA3\xBB" "b");
    EXPECT_EQ(again.ReadString("Other", "Wide", "?"), "c\xA3\xBB" "d");
}

TEST_F(IniFileTest, MissingFileIsCreatedOnceWithWhatWasWritten) {
    const std::string path = Path("new.ini");
    {
        MIniFile ini;
        EXPECT_EQ(ini.Open(path.c_str(), MIniFile::kLineMode), SystemError(tests::kNoSuchFile));
        EXPECT_TRUE(ini.IsModified());
        EXPECT_EQ(ini.WriteString("Sec", "Key", "Val", "note"), 1);
    }
    EXPECT_EQ(ReadAll(path),
              "\r\n[Sec]                                           \r\n"
              "Key = Val                                         ;note\r\n");

    // Two saves in a row write the file once.
    MIniFile ini;
    ASSERT_EQ(ini.Open(path.c_str(), MIniFile::kLineMode), 1);
    EXPECT_EQ(ini.WriteInteger("Sec", "Key", 2), 1);
    ASSERT_EQ(ini.Save(), 1);
    ASSERT_EQ(std::remove(path.c_str()), 0);
    EXPECT_EQ(ini.Save(), 1);
    EXPECT_FALSE(Exists(path));
}

TEST_F(IniFileTest, FailedSaveKeepsTheOldFile) {
    const std::string path = Path();
    const std::string original = "[A]\r\nk=1 ;one\r\n";
    WriteAll(path, original);
    MIniFile ini;
    ASSERT_EQ(ini.Open(path.c_str(), MIniFile::kLineMode), 1);
    ASSERT_EQ(ini.WriteString("A", "k", "2"), 1);

    // The new file cannot be created beside the old one.
    ASSERT_TRUE(std::filesystem::create_directory(path + ".tmp"));
    EXPECT_EQ(ini.Save(), SystemError(tests::kNameTaken));
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_FALSE(ini.IsModified());
    ASSERT_TRUE(std::filesystem::remove(path + ".tmp"));

    // A leftover temporary file does not stop the next save, and none is left behind.
    WriteAll(path + ".tmp", "stale");
    ASSERT_EQ(ini.WriteString("A", "k", "3"), 1);
    ASSERT_EQ(ini.Save(), 1);
    EXPECT_EQ(ReadAll(path), "\r\n[A]                                             \r\n"
                             "k = 3                                             ;one\r\n");
    EXPECT_FALSE(Exists(path + ".tmp"));
}

TEST_F(IniFileTest, ModelNeverOpenedHasNowhereToSave) {
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(m_Folder.Path());
    WriteAll(".tmp", "someone's file");
    int32_t saved = 0;
    {
        MIniFile ini;
        ASSERT_EQ(ini.WriteString("S", "k", "v"), 1);
        saved = ini.Save();
    }
    EXPECT_EQ(saved, SystemError(tests::kNoSuchFile));
    EXPECT_EQ(ReadAll(".tmp"), "someone's file");
    std::remove(".tmp");
    std::filesystem::current_path(cwd);
}

TEST_F(IniFileTest, CommentWithoutOwnerRaises) {
    const std::string path = Path();
    WriteAll(path, "no equals sign\r\n;orphan\r\n");
    MIniFile ini;
    try {
        ini.Open(path.c_str(), MIniFile::kLineMode);
        ADD_FAILURE() << "no exception";
    } catch (const MException& e) {
        EXPECT_STREQ(e.what(), "<MIniFile>当前Section指针发生异常");
    }
}

TEST_F(IniFileTest, LineModes) {
    const struct {
        const char* line;
        int32_t mode;
        const char* value;  // of key "X"; "?" when no key was added
    } cases[] = {
        {"X = a=b c ; note", MIniFile::kLineMode, "a=b c"},
        {"X = a=b c ; note", 0, "b"},
        {"X=v1；宽注释", MIniFile::kLineMode, "v1"},
        {"X", MIniFile::kLineMode, "?"},
        {"X", 0, ""},
        {"X = ; empty", MIniFile::kLineMode, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.line) + " mode " + std::to_string(c.mode));
        WriteAll(Path(), std::string("[S]\r\n") + c.line + "\r\n");
        MIniFile ini;
        ASSERT_EQ(ini.Open(Path().c_str(), c.mode), 1);
        EXPECT_EQ(ini.ReadString("S", "X", "?"), c.value);
    }
}

TEST_F(IniFileTest, LongNamesAndValuesAreCut) {
    const std::string key(40, 'k');
    const std::string value(150, 'v');
    MIniFile ini;
    ini.Open(Path().c_str(), MIniFile::kLineMode);
    ASSERT_EQ(ini.WriteString("S", key.c_str(), value.c_str()), 1);
    // Found again by the name it was written with, and by the part that is kept.
    EXPECT_EQ(ini.ReadString("S", key.c_str(), "?"), value.substr(0, 99).c_str());
    EXPECT_EQ(ini.ReadString("S", key.substr(0, 31).c_str(), "?"), value.substr(0, 99).c_str());
    ASSERT_EQ(ini.WriteString("S", key.c_str(), "short"), 1);
    ASSERT_EQ(ini.Save(), 1);
    EXPECT_EQ(ReadAll(Path()), "\r\n[S]                                             \r\n" +
                                   key.substr(0, 31) + " = short" + std::string(11, ' ') + "\r\n");
}

TEST_F(IniFileTest, FullCommentPoolFailsTheWrite) {
    MIniFile ini;
    const std::string comment(MIniFile::kTableLimit, 'c');
    EXPECT_EQ(ini.WriteString("S", "k", "v", comment.c_str()), ERR_ARRAY_LIMIT);
    EXPECT_FALSE(ini.IsModified());
}

TEST_F(IniFileTest, BareNameIsTakenFromTheExecutableDirectory) {
    // The program's directory as the foundation finds it (module_dll_test checks that).
    const std::string dir = MModule::GetDirectory(nullptr).GetData();
    ASSERT_FALSE(dir.empty());
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::string name = "m_ZephyrIniTest" + std::to_string(stamp) + ".ini";
    {
        MIniFile ini;
        EXPECT_LT(ini.Open(name.c_str(), MIniFile::kLineMode), 0);
        EXPECT_EQ(ini.GetPath(), (dir + name).c_str());
    }
    EXPECT_EQ(MIniFile::ResolvePath(name.c_str()), (dir + name).c_str());
    EXPECT_EQ(MIniFile::ResolvePath("dir/"), (dir + "dir/").c_str());  // nothing after the "/"
    EXPECT_EQ(MIniFile::ResolvePath("./a.ini"), "./a.ini");
    EXPECT_EQ(MIniFile::ResolvePath("c:\\a.ini"), "c:\\a.ini");
    // The failed open leaves the model modified: it is saved, as an empty file, where it belongs.
    EXPECT_TRUE(Exists(dir + name));
    std::remove((dir + name).c_str());
}

}  // namespace
