#include "foundation/MText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

using namespace zephyr;

TEST(MText, CopyKeepsSizeMinusOneAndTerminates) {
    char buffer[6];
    std::memset(buffer, 'x', sizeof(buffer));
    EXPECT_EQ(MText::Copy(buffer, sizeof(buffer), "abcdefgh"), buffer);
    EXPECT_STREQ(buffer, "abcde");
    EXPECT_STREQ(MText::Copy(buffer, sizeof(buffer), "ab"), "ab");
    EXPECT_STREQ(MText::CopyN(buffer, sizeof(buffer), "12345678", 3), "123");
    EXPECT_STREQ(MText::CopyN(buffer, sizeof(buffer), "1\0" "345", 5), "1");

    // Nothing done, null result: null destination or source, size 0.
    EXPECT_EQ(MText::Copy(nullptr, 6, "a"), nullptr);
    EXPECT_EQ(MText::Copy(buffer, sizeof(buffer), nullptr), nullptr);
    EXPECT_EQ(MText::Copy(buffer, 0, "zz"), nullptr);
    EXPECT_STREQ(buffer, "1");
}

TEST(MText, AppendStaysWithinSize) {
    char buffer[8] = "abc";
    EXPECT_STREQ(MText::Append(buffer, sizeof(buffer), "defghijk"), "abcdefg");
    EXPECT_STREQ(MText::Append(buffer, sizeof(buffer), "x"), "abcdefg");
    // A destination without a terminator inside size is not touched.
    char full[4] = {'a', 'b', 'c', 'd'};
    MText::Append(full, sizeof(full), "e");
    EXPECT_EQ(0, std::memcmp(full, "abcd", 4));
    EXPECT_EQ(MText::Append(nullptr, 4, "a"), nullptr);
}

TEST(MText, FormatCutsAndTerminates) {
    char buffer[8];
    EXPECT_EQ(MText::Format(buffer, sizeof(buffer), "%d-%s", 12345, "abcdef"), 7);
    EXPECT_STREQ(buffer, "12345-a");
    EXPECT_EQ(MText::Format(buffer, sizeof(buffer), "[Err:%d]", -1), 7);
    EXPECT_STREQ(buffer, "[Err:-1");
    EXPECT_EQ(MText::Format(buffer, sizeof(buffer), "%s", ""), 0);
    EXPECT_EQ(MText::Format(nullptr, 8, "x"), 0);
}

TEST(MText, TrimsBlanksOnly) {
    char text[] = " \t\r\nab c\r\n \t";
    EXPECT_STREQ(MText::TrimRight(text), " \t\r\nab c");
    EXPECT_STREQ(MText::TrimLeft(text), "ab c");
    char blanks[] = " \r\n";
    EXPECT_STREQ(MText::Trim(blanks), "");
    EXPECT_EQ(MText::Trim(nullptr), nullptr);
}

TEST(MText, ToIntegerFollowsStrtolWithinTheBuffer) {
    struct Case {
        const char* text;
        size_t length;
        int32_t expected;
    } cases[] = {
        {"123", 3, 123},
        {"  -42x", 6, -42},
        {"\t+7", 3, 7},
        {"123456", 3, 123},      // stops at the buffer's end
        {"12\0" "34", 5, 12},    // and at a zero byte
        {"abc", 3, 0},
        {"-", 1, 0},
        {"", 0, 0},
        {"2147483647", 10, 2147483647},
        {"2147483648", 10, 2147483647},  // saturates like strtol on a 32-bit long
        {"-2147483648", 11, INT32_MIN},
        {"-99999999999999999999999", 24, INT32_MIN},
        {"0010", 4, 10},         // decimal, not octal
        {"0x1A", 4, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MText::ToInteger(c.text, c.length), c.expected) << c.text;
    }
    EXPECT_EQ(MText::ToInteger("  99 bottles"), 99);
    EXPECT_EQ(MText::ToInteger(nullptr), 0);
    EXPECT_EQ(MText::ToInt64("18446744073709551616", 20), INT64_MAX);
    EXPECT_EQ(MText::ToInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(MText::ToInt64("123456789012", 12), 123456789012LL);
}

TEST(MText, ToDoubleReadsDecimalFormsOnly) {
    struct Case {
        const char* text;
        size_t length;
        double expected;
    } cases[] = {
        {"1.5", 3, 1.5},
        {"  -12.5e3xyz", 12, -12500.0},
        {"1.5", 1, 1.0},        // bounded by the length
        {"7.25E-2", 7, 0.0725},
        {"3.", 2, 3.0},
        {".5", 2, 0.5},
        {"1e", 2, 1.0},         // an exponent without digits is not part of the number
        {"1e+", 3, 1.0},
        {".", 1, 0.0},
        {"-", 1, 0.0},
        {"abc", 3, 0.0},
        {"inf", 3, 0.0},
        {"nan", 3, 0.0},
        {"0x10", 4, 0.0},
        {"7.8000", 6, 7.8},
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(MText::ToDouble(c.text, c.length), c.expected) << c.text;
    }
    // More digits than the scratch room: the integer part still scales correctly.
    std::string big = "1" + std::string(200, '0') + ".5";
    EXPECT_DOUBLE_EQ(MText::ToDouble(big.c_str()), 1e200);
    EXPECT_DOUBLE_EQ(MText::ToDouble(nullptr), 0.0);
}

// Prices, amounts and rates as the exchange writes them, short and long: every value is the
// double strtod gives, to the last bit (short forms take a quicker path than long ones).
TEST(MText, ToDoubleRoundsAsStrtod) {
    std::mt19937_64 random(20151007);
    for (int n = 0; n < 20000; ++n) {
        const int int_digits = static_cast<int>(random() % 12);
        const int fraction_digits = static_cast<int>(random() % 9);
        std::string text = random() % 8 == 0 ? "-" : "";
        for (int d = 0; d < int_digits; ++d) text += static_cast<char>('0' + random() % 10);
        if (fraction_digits > 0 || random() % 2 == 0) text += '.';
        for (int d = 0; d < fraction_digits; ++d) text += static_cast<char>('0' + random() % 10);
        if (int_digits + fraction_digits == 0) continue;
        const double expected = std::strtod(text.c_str(), nullptr);
        const double got = MText::ToDouble(text.c_str(), text.size());
        ASSERT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << text;
    }
}
