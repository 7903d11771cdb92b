#include "foundation/MGbk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "foundation/MErrorCode.h"

using namespace zephyr;

namespace {

// Converts from a heap copy of exactly the given bytes, so a read past them is caught.
std::string Convert(const std::string& utf16le, uint32_t size = 64, int32_t* result = nullptr) {
    std::unique_ptr<char[]> source(new char[utf16le.size() + 1]);
    std::memcpy(source.get(), utf16le.data(), utf16le.size());
    std::unique_ptr<char[]> out(new char[size]);
    const int32_t n = MGbk::FromUtf16Le(source.get(), static_cast<uint32_t>(utf16le.size()),
                                        out.get(), size);
    if (result != nullptr) {
        *result = n;
    }
    EXPECT_GE(n, 0);
    EXPECT_EQ(std::strlen(out.get()), static_cast<size_t>(n));
    return std::string(out.get());
}

const std::string kZhongWen("\x2D\x4E\x87\x65", 4);  // U+4E2D U+6587

}  // namespace

TEST(MGbk, ConvertsWithinBothBounds) {
    struct Case {
        std::string utf16le;
        uint32_t size;
        std::string gbk;
    } cases[] = {
        {std::string("A\0B\0", 4), 64, "AB"},
        {kZhongWen, 64, "\xD6\xD0\xCE\xC4"},
        {kZhongWen, 5, "\xD6\xD0\xCE\xC4"},
        {kZhongWen, 4, "\xD6\xD0"},                                 // a character fits whole or not at all
        {kZhongWen, 2, ""},
        {kZhongWen, 1, ""},
        {std::string("A\0B", 3), 64, "A"},                          // odd last byte ignored
        {std::string("A\0\0\0B\0", 6), 64, "A"},                    // stops at a zero unit
        {std::string("\x3D\xD8\x00\xDE" "A\0", 6), 64, "?A"},       // U+1F600: no GBK form
        {std::string("\x00\xD8" "A\0", 4), 64, "?A"},               // lone high surrogate
        {std::string("A\0\x00\xDC", 4), 64, "A?"},                  // lone low surrogate at the end
        {std::string("A\0\x00\xD8", 4), 64, "A?"},                  // pair cut at the end
        {"", 64, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Convert(c.utf16le, c.size), c.gbk) << c.utf16le.size() << " / " << c.size;
    }
}

TEST(MGbk, NameFieldOfAFixedWidthRecord) {
    // A 40-byte name field: "腾讯控股" padded with zero units.
    std::string field("\x7E\x81\xAF\x8B\xA7\x63\xA1\x80", 8);
    field.resize(40, '\0');
    EXPECT_EQ(Convert(field, 41), "腾讯控股");
}

TEST(MGbk, BadArguments) {
    char out[4] = "xyz";
    EXPECT_EQ(MGbk::FromUtf16Le("A\0", 2, nullptr, 4), ERR_BAD_ARGUMENT);
    EXPECT_EQ(MGbk::FromUtf16Le("A\0", 2, out, 0), ERR_BAD_ARGUMENT);
    EXPECT_STREQ(out, "xyz");
    EXPECT_EQ(MGbk::FromUtf16Le(nullptr, 10, out, sizeof(out)), 0);
    EXPECT_STREQ(out, "");
}
