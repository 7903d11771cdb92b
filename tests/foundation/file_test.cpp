#include "foundation/MFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/MErrorCode.h"
#include "host/ScratchFolder.h"
#include "tests/SystemErrors.h"

using namespace zephyr;
using zephyr::hostkit::ScratchFolder;

namespace {

// The lines ReadLine hands out, in order, for a file and a buffer size.
std::vector<std::string> ReadLines(const std::string& path, uint32_t size) {
    MFile file;
    EXPECT_EQ(file.Open(path.c_str(), 13), 1);
    std::vector<std::string> lines;
    std::vector<char> buffer(size);
    for (int guard = 0; guard < 100; ++guard) {
        const int32_t n = file.ReadLine(buffer.data(), size);
        EXPECT_GE(n, 0);
        if (n <= 0) {
            break;
        }
        EXPECT_EQ(static_cast<size_t>(n), std::strlen(buffer.data()));
        lines.emplace_back(buffer.data(), static_cast<size_t>(n));
    }
    return lines;
}

}  // namespace

TEST(MFile, ReadLineKeepsTheRunOfLineEnds) {
    struct Case {
        std::string content;
        uint32_t size;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb", 100, {"a\r\n", "b"}},
        {"a\n\nb\n", 100, {"a\n\n", "b\n"}},   // the empty line stays inside the run
        {"a\r\n\r\nb", 100, {"a\r\n\r\n", "b"}},
        {"one\ntwo\n", 100, {"one\n", "two\n"}},
        {"abcdef\nx", 4, {"abc", "def", "\n", "x"}},  // longer than size - 1: in pieces
        {"\n\nx", 100, {"\n\n", "x"}},
        {"", 100, {}},
        {"abc", 2, {"a", "b", "c"}},
    };
    ScratchFolder folder;
    for (const Case& c : cases) {
        folder.WriteFile("lines.txt", c.content);
        EXPECT_EQ(ReadLines(folder.Join("lines.txt"), c.size), c.lines) << c.content;
    }
}

TEST(MFile, ReadLineLeavesThePositionAfterTheLine) {
    ScratchFolder folder;
    folder.WriteFile("f.txt", "ab\ncd\n");
    MFile file;
    ASSERT_EQ(file.Open(folder.Join("f.txt").c_str(), 13), 1);
    char buffer[64];
    EXPECT_EQ(file.ReadLine(buffer, sizeof(buffer)), 3);
    EXPECT_EQ(file.Seek(0, MFile::kCurrent), 3);
    EXPECT_EQ(file.Read(buffer, 2), 2);
    EXPECT_EQ(std::string(buffer, 2), "cd");
    EXPECT_EQ(file.ReadLine(buffer, 1), ERR_BAD_ARGUMENT);
    EXPECT_EQ(file.ReadLine(buffer, sizeof(buffer)), 1);
    EXPECT_EQ(file.ReadLine(buffer, sizeof(buffer)), 0);
    EXPECT_STREQ(buffer, "");
}

TEST(MFile, OpenModesAndSystemErrors) {
    ScratchFolder folder;
    const std::string path = folder.Join("data.bin");
    MFile file;
    EXPECT_EQ(file.Open(path.c_str(), 13), SystemError(tests::kNoSuchFile));
    EXPECT_FALSE(file.IsOpen());

    ASSERT_EQ(file.Create(path.c_str(), 15), 1);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(file.GetPath(), path.c_str());
    EXPECT_EQ(file.Write("hello world", 11), 11);
    EXPECT_EQ(file.Flush(), 1);
    EXPECT_EQ(file.Seek(-5, MFile::kEnd), 6);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 5);
    EXPECT_STREQ(buffer, "world");
    EXPECT_EQ(file.Read(buffer, sizeof(buffer)), 0);
    EXPECT_EQ(file.SetLength(5), 1);
    EXPECT_EQ(file.Seek(0, MFile::kCurrent), 5);
    EXPECT_EQ(file.GetLength(), 5);
    EXPECT_EQ(file.Seek(0, 7), ERR_BAD_ARGUMENT);
    EXPECT_EQ(file.Seek(-1, MFile::kBegin), SystemError(tests::kNegativeSeek));

    // Create never overwrites.
    MFile other;
    EXPECT_EQ(other.Create(path.c_str(), 15), SystemError(tests::kNameTaken));
    // Mode 13 reads but cannot write.
    ASSERT_EQ(other.Open(path.c_str(), 13), 1);
    EXPECT_EQ(other.Read(buffer, sizeof(buffer)), 5);
    EXPECT_EQ(other.Write("x", 1), SystemError(tests::kWrongAccess));
    // Write only.
    ASSERT_EQ(other.Open(path.c_str(), MFile::kWrite), 1);
    EXPECT_EQ(other.Read(buffer, 1), SystemError(tests::kWrongAccess));
    EXPECT_EQ(other.Open(path.c_str(), MFile::kShareRead | MFile::kShareWrite), ERR_BAD_ARGUMENT);
    EXPECT_FALSE(other.IsOpen());
    EXPECT_EQ(other.Open(folder.Path().c_str(), 13), SystemError(tests::kFolderOpened));

    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.GetPath(), "");
    EXPECT_EQ(file.Read(buffer, 1), SystemError(tests::kNotOpen));
    EXPECT_EQ(file.Write("x", 1), SystemError(tests::kNotOpen));
    EXPECT_EQ(file.Seek(0, MFile::kBegin), SystemError(tests::kNotOpen));
    file.Close();
}

TEST(MFile, ExistsAndDelete) {
    ScratchFolder folder;
    const std::string path = folder.Join("gone.txt");
    EXPECT_EQ(MFile::Exists(path.c_str()), 0);
    folder.WriteFile("gone.txt", "x");
    EXPECT_EQ(MFile::Exists(path.c_str()), 1);
    EXPECT_EQ(MFile::Delete(path.c_str()), 1);
    EXPECT_EQ(MFile::Exists(path.c_str()), 0);
    EXPECT_EQ(MFile::Delete(path.c_str()), SystemError(tests::kNoSuchFile));
    EXPECT_EQ(MFile::Exists(nullptr), 0);
    EXPECT_EQ(MFile::Exists(folder.Path().c_str()), 0);
}
