// Number conversions of the exchange's text fields: the same results in every build.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "foundation/MText.h"
#include "loaders/TextFields.h"

namespace zephyr::testing {
namespace {

TextField Field(const char* text) { return TextField{text, static_cast<uint32_t>(strlen(text))}; }

TEST(TextFields, PricesAndRates) {
    struct Case {
        const char* text;
        uint32_t price;     // integer part of ((x + 0.0005) x 1000), each step a double
        int32_t signed_price;
        uint32_t rate;      // integer part of (x x 100000)
    };
    const Case cases[] = {
        {"12.3456", 12346, 12346, 1234560},
        {"0.0245", 25, 25, 2450},
        {"0.0244", 24, 24, 2440},
        // The sum lands just below the next thousandth once stored as a double; the i386
        // build must not keep it wider than that.
        {"0.5125", 512, 512, 51249},
        {"0.0045", 4, 4, 449},
        {"0.79", 790, 790, 79000},
        {"0.0000099", 0, 0, 0},
        {"10.050|", 10050, 10050, 1005000},
        {"", 0, 0, 0},
        {"-1.5", 0, -1499, 0},
        {"1e20", 4294967295u, 2147483647, 4294967295u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PriceThousandths(Field(c.text)), c.price);
        EXPECT_EQ(SignedThousandths(Field(c.text)), c.signed_price);
        EXPECT_EQ(RateHundredThousandths(Field(c.text)), c.rate);
    }
}

// The fields read without the general number reader give what it gives, at the edges of the
// forms read directly (15 decimal and 18 integer digits) and just past them.
TEST(TextFields, NumbersAsTheGeneralReaderReadsThem) {
    const char* texts[] = {"0",
                           "7",
                           "12.3456\n",
                           ".5",
                           "12.",
                           ".",
                           "123456789012345",
                           "1234567890123456",
                           "12345678.9012345",
                           "12345678.90123456",
                           "123456789012345678",
                           "1234567890123456789",
                           "9999999999999999999",
                           "    999999999999999999",
                           "99999999999999999999999",
                           "1.5e3",
                           "15E2",
                           " 42",
                           "      0.131",
                           "        20660000",
                           "   ",
                           "  \t7",
                           "  -7",
                           "+42",
                           "-42.5",
                           "42abc",
                           "00000000000000000001",
                           "0.000000000000001",
                           "x",
                           ""};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        const TextField field = Field(text);
        const double general = MText::ToDouble(text, strlen(text));
        const double direct = FieldDouble(field);
        EXPECT_EQ(memcmp(&general, &direct, sizeof general), 0) << general << " " << direct;
        EXPECT_EQ(FieldInt64(field), MText::ToInt64(text, strlen(text)));
    }
}

// Prices of up to three decimals are read without doubles: the same thousandths as the
// doubles give, over the whole range of u32 results and with the exchange's padding.
TEST(TextFields, ShortPricesAsTheDoublesGiveThem) {
    std::mt19937_64 random(20261210);
    const uint64_t scale[4] = {1000, 100, 10, 1};
    for (int i = 0; i < 200000; ++i) {
        const uint32_t fraction = static_cast<uint32_t>(random() % 4);
        const uint64_t top = 4294967295ull / scale[fraction] + 2;  // a little past the top too
        const uint64_t mantissa = i % 3 == 0 ? random() % 100000 : random() % top;
        std::string text = std::to_string(mantissa);
        if (fraction > 0) {
            text.insert(0, fraction + 1 > text.size() ? fraction + 1 - text.size() : 0, '0');
            text.insert(text.size() - fraction, ".");
        }
        text.insert(0, random() % 12, ' ');
        volatile double sum = MText::ToDouble(text.c_str(), text.size()) + 0.0005;
        volatile double product = sum * 1000.0;
        const double v = product;
        const uint32_t expected = v >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(v);
        ASSERT_EQ(PriceThousandths(Field(text.c_str())), expected) << "'" << text << "'";
    }
}

// The three readers of a field give what the general reader and the double formula give. The
// field is its own allocation of exactly its bytes, so a read past either end shows under the
// address sanitizer.
void ExpectAsTheGeneralReader(const std::string& text) {
    const std::vector<char> bytes(text.begin(), text.end());
    const TextField field{bytes.data(), static_cast<uint32_t>(bytes.size())};
    const double general = MText::ToDouble(text.data(), text.size());
    const double direct = FieldDouble(field);
    ASSERT_EQ(memcmp(&general, &direct, sizeof general), 0) << "'" << text << "' " << general << " " << direct;
    ASSERT_EQ(FieldInt64(field), MText::ToInt64(text.data(), text.size())) << "'" << text << "'";
    volatile double sum = general + 0.0005;
    volatile double product = sum * 1000.0;
    const double v = product;
    const uint32_t expected = !(v > 0) ? 0 : v >= 4294967295.0 ? 4294967295u : static_cast<uint32_t>(v);
    ASSERT_EQ(PriceThousandths(field), expected) << "'" << text << "'";
}

// Short numbers are read a word at a time: any mix of the characters that matter, at every
// length and padding.
TEST(TextFields, ShortFieldsOfAnyBytesAsTheGeneralReaderReadsThem) {
    std::mt19937 random(20261211);
    const char alphabet[] = "0123456789999..  eE+-|x\n\t";
    for (int i = 0; i < 300000; ++i) {
        std::string text(random() % 19, ' ');
        for (char& c : text) c = alphabet[random() % (sizeof alphabet - 1)];
        if (i % 2 == 0) text.insert(0, random() % 10, ' ');
        ExpectAsTheGeneralReader(text);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

// Every shape of up to six characters made of a digit, a zero, a point, a space, an exponent and
// a sign, right-aligned at its own width and in the exchange's field widths: the prices and
// volumes the exchange writes are among them, and so is every near miss of their forms.
TEST(TextFields, PaddedShapesAsTheGeneralReaderReadsThem) {
    const char kinds[] = "70. e-";
    for (uint32_t length = 1; length <= 6; ++length) {
        uint32_t shapes = 1;
        for (uint32_t k = 0; k < length; ++k) shapes *= 6;
        for (uint32_t shape = 0; shape < shapes; ++shape) {
            std::string number;
            for (uint32_t k = 0, rest = shape; k < length; ++k, rest /= 6) number += kinds[rest % 6];
            for (size_t width : {size_t{0}, size_t{8}, size_t{11}, size_t{16}}) {
                ExpectAsTheGeneralReader(std::string(width > length ? width - length : 0, ' ') + number);
                if (::testing::Test::HasFatalFailure()) return;
            }
        }
    }
    for (const char* price : {"0.000", "8.910", "99.999", "1234.567", "12345.678", "1.23", "1.2345", ".123", "1.", "123"}) {
        for (size_t width = 0; width <= 18; ++width) {
            ExpectAsTheGeneralReader(std::string(width > strlen(price) ? width - strlen(price) : 0, ' ') + price);
            if (::testing::Test::HasFatalFailure()) return;
        }
    }
}

// A code is the number in its first five characters, in whatever form the general reader takes.
TEST(TextFields, CodeValueAsTheGeneralReaderReadsIt) {
    for (const char* text : {"00003", "99999", "123456", " 0003", "0003x", "-0003", "+1234", "12", "", "x0003"}) {
        SCOPED_TRACE(text);
        const uint32_t length = static_cast<uint32_t>(strlen(text));
        EXPECT_EQ(CodeValue(Field(text)), MText::ToInteger(text, length < 5 ? length : 5));
    }
    EXPECT_EQ(CodeValue(Field("00700")), 700);
}

// Lines of every length up to a few blocks, with separators anywhere (next to each other, first,
// last): the cursor gives the fields a plain split gives, reading only the line's own bytes.
TEST(TextFields, CursorSplitsAsAPlainSplitDoes) {
    std::mt19937 random(20261212);
    for (int i = 0; i < 20000; ++i) {
        std::string line(random() % 70, 'a');
        for (char& c : line) c = random() % 6 == 0 ? '|' : static_cast<char>('a' + random() % 26);
        std::vector<std::string> expected;
        for (size_t start = 0; start < line.size();) {
            const size_t bar = line.find('|', start);
            const size_t end = bar == std::string::npos ? line.size() : bar;
            expected.push_back(line.substr(start, end - start));
            start = bar == std::string::npos ? end : end + 1;
        }
        const std::vector<char> bytes(line.begin(), line.end());
        FieldCursor cursor(bytes.data(), static_cast<uint32_t>(bytes.size()));
        std::vector<std::string> got;
        for (TextField field; cursor.Next(&field);) got.emplace_back(field.text, field.length);
        ASSERT_EQ(got, expected) << "'" << line << "'";
    }
}

}  // namespace
}  // namespace zephyr::testing
