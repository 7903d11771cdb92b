// Category of a code, currency numbers and the full-name clean-up.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "market/CodeRules.h"
#include "tests/market/TestCodes.h"

namespace zephyr {
namespace {

TEST(CodeRules, CategoryOfCode) {
    struct Case {
        const char* code;
        uint8_t category;
    } cases[] = {{"00700", 1}, {"99999", 1}, {"999000", 0}, {"999999", 0}, {"998999", 1},
                 {"HSI", 1},   {"", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        char code[6];
        testing::SetCode(code, c.code);
        EXPECT_EQ(CategoryOfCode(code), c.category);
    }
}

TEST(CodeRules, CurrencyNumber) {
    struct Case {
        const char* text;
        uint8_t number;
    } cases[] = {{"HKD", 24}, {"USD", 54}, {"CNY", 13}, {"AED", 1}, {"ZAR", 55}, {"HKDX", 24},
                 {"hkd", 0},  {"HK", 0},   {"", 0},     {"XXX", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CurrencyNumber(c.text), c.number);
    }
    EXPECT_EQ(CurrencyNumber(nullptr), 0);
    EXPECT_EQ(CurrencyNumber("USDxx", 2), 0);  // fewer than three characters given
}

std::string Field(const char* bytes, size_t size) { return std::string(bytes, strnlen(bytes, size)); }

TEST(CodeRules, FullNameCleanUp) {
    struct Case {
        const char* name;
        const char* full;    // up to 16 bytes
        const char* second;  // up to 16 bytes
        const char* expected;
    } cases[] = {
        {"trailing spaces", "ABC   ", "SECOND", "ABC"},
        {"trailing full-width blanks", "腾讯\xA1\xA1\xA1\xA1", "SECOND", "腾讯"},
        {"mixed trailing blanks", "AB \xA1\xA1 \xA1\xA1", "SECOND", "AB"},
        {"inner blanks stay", "A B\xA1\xA1" "C ", "SECOND", "A B\xA1\xA1" "C"},
        {"blank name takes the second name", "    ", "TENCENT", "TENCENT"},
        {"empty name takes the second name", "", "TENCENT", "TENCENT"},
        {"leading space takes the second name", " ABC", "TENCENT", "TENCENT"},
        {"leading full-width blank", "\xA1\xA1" "ABC", "TENCENT", "TENCENT"},
        {"no second name: the code", "\xA1\xA1\xA1\xA1", "", "00700"},
        {"second name starting with a space: the code", "  ", " X", "00700"},
        {"second name starting with a tab: the code", "", "\tX", "00700"},
        {"a character ending in A1 stays whole", "\xB0\xA1\xA1\xA1", "SECOND", "\xB0\xA1"},
        {"a cut character is not a blank", "\xB0\xA1\xA1", "SECOND", "\xB0\xA1\xA1"},
        {"a full 16-byte name", "ABCDEFGHIJKLMNOP", "SECOND", "ABCDEFGHIJKLMNOP"},
        {"a full 16-byte second name", "", "ABCDEFGHIJKLMNOP", "ABCDEFGHIJKLMNOP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CodeEntry e;
        std::memset(&e, 0, sizeof(e));
        testing::SetCode(e.code, "00700");
        std::memcpy(e.full_name, c.full, strnlen(c.full, 16));
        std::memcpy(e.second_name, c.second, strnlen(c.second, 16));
        CleanFullName(e);
        EXPECT_EQ(Field(e.full_name, 16), c.expected);
        // What the clean-up freed is zero.
        for (size_t i = strnlen(e.full_name, 16); i < 16; ++i) EXPECT_EQ(e.full_name[i], 0);
    }
}

TEST(CodeRules, TrimAloneHasNoFallback) {
    CodeEntry e;
    std::memset(&e, 0, sizeof(e));
    testing::SetCode(e.code, "00700");
    std::memcpy(e.full_name, "  \xA1\xA1", 4);
    std::memcpy(e.second_name, "SECOND", 6);
    TrimFullName(e);
    EXPECT_EQ(Field(e.full_name, 16), "");
}

}  // namespace
}  // namespace zephyr
