// Lines of the exchange's text files, over-long lines and files that change while read.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "host/ScratchFolder.h"
#include "loaders/LineReader.h"

namespace zephyr {
namespace {

// in_place: the lines as NextInPlace leaves them in a block of the caller's that is a little
// larger than the reader's own, so that lines fall across its ends elsewhere.
std::vector<std::string> ReadAll(const std::string& path, uint32_t max_line, uint32_t* skipped, bool in_place = false) {
    MFile file;
    EXPECT_EQ(file.Open(path.c_str(), MFile::kRead), 1);
    std::vector<char> block(LineReader::kBlockSize + 7233);
    LineReader reader(file, max_line, in_place ? block.data() : nullptr, static_cast<uint32_t>(block.size()));
    std::vector<std::string> lines;
    char line[LineReader::kMaxLineLimit + 1];
    const char* at = nullptr;
    int32_t n;
    while ((n = in_place ? reader.NextInPlace(&at) : reader.Next(line, sizeof line)) > 0) {
        if (in_place) {
            EXPECT_TRUE(at >= block.data() && at + n <= block.data() + block.size());
        }
        lines.push_back(std::string(in_place ? at : line, n));
    }
    EXPECT_EQ(n, 0);
    *skipped = reader.SkippedLines();
    return lines;
}

TEST(LineReader, Lines) {
    struct Case {
        const char* name;
        std::string bytes;
        uint32_t max_line;
        std::vector<std::string> lines;
        uint32_t skipped;
    };
    const std::string big(40000, 'q');
    std::vector<std::string> many;
    std::string many_bytes;
    for (int i = 0; i < 5000; ++i) {
        many.push_back("line " + std::to_string(i) + "\n");
        many_bytes += many.back();
    }
    const Case cases[] = {
        {"plain", "a\nb\n", 10, {"a\n", "b\n"}, 0},
        {"CR stays, no end at last", "a\r\n\nb", 10, {"a\r\n", "\n", "b"}, 0},
        {"empty", "", 10, {}, 0},
        {"zero bytes", std::string("a\0b\n", 4), 10, {std::string("a\0b\n", 4)}, 0},
        {"exactly the limit", "123456789\n", 10, {"123456789\n"}, 0},
        {"one over", "1234567890\nok\n", 10, {"ok\n"}, 1},
        {"long in the middle", "short\n" + std::string(25, 'x') + "|MD401|00700\nnext\n", 10, {"short\n", "next\n"}, 1},
        {"long last line", "ok\n" + std::string(25, 'x'), 10, {"ok\n"}, 1},
        {"limit at the end", "ok\n1234567890", 10, {"ok\n", "1234567890"}, 0},
        {"longer than a block", "a\n" + big + "\nb\n" + big, 8191, {"a\n", "b\n"}, 2},
        {"across blocks", many_bytes, 8191, many, 0},
    };
    hostkit::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.WriteFile("f.txt", c.bytes);
        for (bool in_place : {false, true}) {
            SCOPED_TRACE(in_place ? "in place" : "copied");
            uint32_t skipped = 0;
            EXPECT_EQ(ReadAll(folder.Join("f.txt"), c.max_line, &skipped, in_place), c.lines);
            EXPECT_EQ(skipped, c.skipped);
        }
    }
}

TEST(LineReader, RewindAndGrowingFile) {
    hostkit::ScratchFolder folder;
    folder.WriteFile("f.txt", "one\ntw");
    MFile file;
    ASSERT_EQ(file.Open(folder.Join("f.txt").c_str(), MFile::kRead), 1);
    LineReader reader(file, 100);
    char line[101];
    ASSERT_EQ(reader.Next(line, sizeof line), 4);
    EXPECT_EQ(reader.Next(line, 50), ERR_BAD_ARGUMENT);
    // The file grows while it is read: reading goes on to the new end.
    {
        std::ofstream out(folder.Join("f.txt"), std::ios::app | std::ios::binary);
        out << "o\nthree\n";
    }
    ASSERT_EQ(reader.Next(line, sizeof line), 4);
    EXPECT_STREQ(line, "two\n");
    ASSERT_EQ(reader.Next(line, sizeof line), 6);
    EXPECT_EQ(reader.Next(line, sizeof line), 0);
    ASSERT_EQ(reader.Rewind(), 1);
    ASSERT_EQ(reader.Next(line, sizeof line), 4);
    EXPECT_STREQ(line, "one\n");
}

// The end mark is looked for at the end of the file first; wherever it stands, the answer is
// the one reading every line gives, and reading starts again at the first line.
TEST(LineReader, TrailerFoundWhereverItStands) {
    const std::string long_line(40, 'x');
    struct Case {
        const char* what;
        std::string bytes;
        int32_t found;
    } cases[] = {
        {"last, with line end", "a|1\nb|2\nTRAILER\n", 1},
        {"last, without line end", "a|1\nTRAILER", 1},
        {"last, CR LF", "a|1\r\nTRAILER\r\n", 1},
        {"the whole file", "TRAILER", 1},
        {"inside the file only", "a|1\nTRAILER\nb|2\n", 1},
        {"before an empty last line", "a|1\nTRAILER\n\n", 1},
        {"not at a line start", "a|1\nb|TRAILER\n", 0},
        {"too short", "a|1\nTRAILE\n", 0},
        {"last but over-long", "a|1\nTRAILER" + long_line + "\n", 0},
        {"after an over-long line", long_line + "\nTRAILER\n", 1},
        {"over-long last line, mark earlier", "TRAILER\n" + long_line, 1},
        {"empty file", "", 0},
    };
    hostkit::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        folder.WriteFile("f.txt", c.bytes);
        MFile file;
        ASSERT_EQ(file.Open(folder.Join("f.txt").c_str(), MFile::kRead), 1);
        LineReader reader(file, 20);
        char line[LineReader::kMaxLineLimit + 1];
        EXPECT_EQ(reader.FindTrailerAndRewind(line, sizeof line), c.found);
        if (c.found == 1) {
            uint32_t skipped = 0;
            std::vector<std::string> lines = ReadAll(folder.Join("f.txt"), 20, &skipped);
            int32_t n = reader.Next(line, sizeof line);
            ASSERT_GT(n, 0);
            EXPECT_EQ(std::string(line, n), lines.front());
        }
    }
}

}  // namespace
}  // namespace zephyr
