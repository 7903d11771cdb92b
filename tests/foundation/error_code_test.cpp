#include "foundation/MErrorCode.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace zephyr;

TEST(ErrorCode, TableCodesAreNegativeAndEndWithTerminator) {
    size_t i = 0;
    uint32_t previous = 0xA0000000;
    for (; MErrorCode[i].code != 0; ++i) {
        EXPECT_LT(static_cast<int32_t>(MErrorCode[i].code), 0);
        EXPECT_GT(MErrorCode[i].code, previous);
        EXPECT_FALSE(MErrorCode[i].code > 0xA000002C && MErrorCode[i].code < 0xA0000031);
        previous = MErrorCode[i].code;
    }
    EXPECT_EQ(previous, 0xA0000036u);
    EXPECT_STREQ(MErrorCode[i].module, "MErrorCode");
    EXPECT_EQ(0, std::memcmp(MErrorCode[i].message, "\xB4\xED\xCE\xF3\xB1\xED\xBD\xE1\xCA\xF8\xB1\xEA\xD6\xBE", 14));
}

TEST(ErrorCode, SystemErrorKeepsLower31Bits) {
    EXPECT_EQ(SystemError(2), static_cast<int32_t>(0x80000002u));
    EXPECT_EQ(SystemError(2), -2147483646);
    EXPECT_EQ(SystemError(0x80000005u), static_cast<int32_t>(0x80000005u));
    EXPECT_EQ(ERR_NO_MEMORY, -1610612735);
}
