#include "foundation/MString.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/MErrorCode.h"

using namespace zephyr;

TEST(MString, GrowthRuleAndStorage) {
    struct Case {
        size_t length;
        uint32_t capacity;
    } cases[] = {{0, 256}, {255, 256}, {256, 512}, {510, 512}, {511, 768}, {1000, 1024}};
    for (const Case& c : cases) {
        const std::string text(c.length, 'a');
        MString s;
        EXPECT_EQ(s.Assign(text.c_str()), 1);
        EXPECT_EQ(s.GetCapacity(), c.capacity) << c.length;
        EXPECT_EQ(s.GetLength(), c.length);
        EXPECT_EQ(s, text.c_str());
    }
    // Storage never shrinks.
    MString s(std::string(300, 'b').c_str());
    s = "x";
    EXPECT_EQ(s.GetCapacity(), 512u);
    EXPECT_EQ(s, "x");
}

TEST(MString, AppendGrowsToTheSumAndConcatLeavesTheOriginal) {
    MString s(std::string(200, 'a').c_str());
    EXPECT_EQ(s.Append(std::string(100, 'b').c_str()), 1);
    EXPECT_EQ(s.GetLength(), 300u);
    EXPECT_EQ(s.GetCapacity(), 512u);
    EXPECT_EQ(std::string(s.GetData()), std::string(200, 'a') + std::string(100, 'b'));

    // Appending itself (its storage moves while growing).
    s.Append(s);
    EXPECT_EQ(s.GetLength(), 600u);
    EXPECT_EQ(std::string(s.GetData() + 300), std::string(200, 'a') + std::string(100, 'b'));

    MString left("ab");
    const MString joined = left.Concat("cd");
    EXPECT_EQ(joined, "abcd");
    EXPECT_EQ(left, "ab");
    EXPECT_EQ(left.Concat(MString("")), "ab");
}

TEST(MString, FormatNeverGrows) {
    MString s;
    const std::string long_text(400, 'z');
    EXPECT_EQ(s.Format("%s", long_text.c_str()), 255);
    EXPECT_EQ(s.GetCapacity(), 256u);
    EXPECT_EQ(std::string(s.GetData()), std::string(255, 'z'));
    // Formatting from its own text.
    s = "abc";
    s.Format("%s-%s", s.GetData(), s.GetData());
    EXPECT_EQ(s, "abc-abc");
    EXPECT_EQ(MString(int32_t(-17)), "-17");
    EXPECT_EQ(MString(true), "true");
    EXPECT_EQ(MString(false), "false");
}

TEST(MString, SplitAfterRightFind) {
    MString left, right;
    const MString line("key=value=more");
    EXPECT_EQ(line.Split("=", left, right), 1);
    EXPECT_EQ(left, "key");
    EXPECT_EQ(right, "value=more");
    EXPECT_EQ(line.After("="), "value=more");
    EXPECT_EQ(line.Find("=m"), 9);

    left = "keep";
    EXPECT_EQ(line.Split(":", left, right), ERR_NO_MATCH);
    EXPECT_EQ(left, "keep");
    EXPECT_EQ(line.After(":"), "");
    EXPECT_EQ(line.Find("x"), ERR_NO_MATCH);
    EXPECT_EQ(line.Find(""), ERR_NO_MATCH);

    // Split into itself.
    MString self("a=b");
    EXPECT_EQ(self.Split("=", self, right), 1);
    EXPECT_EQ(self, "a");
    EXPECT_EQ(right, "b");

    const MString word("abcdef");
    EXPECT_EQ(word.Right(2), "ef");
    EXPECT_EQ(word.Right(6), "abcdef");
    EXPECT_EQ(word.Right(7), "");
    EXPECT_EQ(word.Right(0), "");
}

TEST(MString, SetAtKeepsATerminator) {
    MString s("abc");
    EXPECT_EQ(s.SetAt(1, 'X'), 1);
    EXPECT_EQ(s, "aXc");
    EXPECT_EQ(s.SetAt(3, 'd'), 1);  // at the terminator: the text grows by the byte
    EXPECT_EQ(s, "aXcd");
    EXPECT_EQ(s.GetLength(), 4u);
    EXPECT_EQ(s.SetAt(2, 0), 1);
    EXPECT_EQ(s, "aX");
    EXPECT_EQ(s.GetLength(), 2u);
    EXPECT_EQ(s.SetAt(254, 'e'), 1);
    EXPECT_EQ(s, "aX");
    // The last byte of the storage stays the terminator.
    EXPECT_EQ(s.SetAt(255, 'e'), ERR_BAD_ARGUMENT);
    EXPECT_EQ(s.SetAt(256, 'e'), ERR_BAD_ARGUMENT);
}

TEST(MString, TrimCompareAndConvert) {
    MString s(" \t\r\n 12ab \r\n");
    s.TrimRight();
    EXPECT_EQ(s, " \t\r\n 12ab");
    s.TrimLeft();
    EXPECT_EQ(s, "12ab");
    EXPECT_EQ(s.ToInteger(), 12);
    EXPECT_NE(s, "12AB");
    EXPECT_EQ(MString().ToInteger(), 0);
    EXPECT_EQ(MString(" -8").ToInteger(), -8);

    struct Case {
        const char* text;
        bool expected;
    } cases[] = {{"true", true}, {"TRUE", true}, {"tRuE", true}, {"true ", false}, {"1", false},
                 {"", false}, {"false", false}};
    for (const Case& c : cases) {
        EXPECT_EQ(MString(c.text).ToBool(), c.expected) << c.text;
    }
    MString e("x");
    EXPECT_FALSE(e.IsEmpty());
    e.Empty();
    EXPECT_TRUE(e.IsEmpty());
    EXPECT_EQ(e, static_cast<const char*>(nullptr));
}
