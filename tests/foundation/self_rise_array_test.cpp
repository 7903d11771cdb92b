#include "foundation/MSelfRiseArray.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "foundation/MErrorCode.h"
#include "foundation/MException.h"

using namespace zephyr;

namespace {

struct Section {  // an ini section record: 36 bytes
    char name[32];
    int32_t value;
};
static_assert(sizeof(Section) == 36, "record size");

using Ints = MSelfRiseArray<int32_t, 64>;

// An array of the values 0..n-1.
void Fill(Ints& array, int32_t n) {
    for (int32_t i = 0; i < n; ++i) {
        ASSERT_EQ(array.Append(&i, 1), i);
    }
}

std::vector<int32_t> Values(const Ints& array) {
    std::vector<int32_t> values(array.GetCount());
    if (!values.empty()) {
        array.Get(0, values.data(), array.GetCount());
    }
    return values;
}

}  // namespace

TEST(MSelfRiseArray, InlineUntilFullThenSteps) {
    MSelfRiseArray<Section, 4096> sections(20000);
    EXPECT_EQ(sections.GetCapacity(), 113u);
    Section record = {};
    for (int32_t i = 0; i < 113; ++i) {
        record.value = i;
        ASSERT_EQ(sections.Append(&record, 1), i);
    }
    EXPECT_TRUE(sections.IsInline());
    record.value = 113;
    EXPECT_EQ(sections.Append(&record, 1), 113);
    EXPECT_FALSE(sections.IsInline());
    EXPECT_EQ(sections.GetCapacity(), 256u);
    for (int32_t i = 0; i < 114; ++i) {
        ASSERT_EQ(sections.At(static_cast<uint32_t>(i)).value, i);
    }
    // A need of exactly 256 goes to 512.
    std::vector<Section> more(142);
    EXPECT_EQ(sections.Append(more.data(), 142), 114);
    EXPECT_EQ(sections.GetCapacity(), 256u);
    EXPECT_EQ(sections.Append(more.data(), 1), 256);
    EXPECT_EQ(sections.GetCapacity(), 512u);

    // Clear keeps the heap storage and its capacity.
    sections.Clear();
    EXPECT_EQ(sections.GetCount(), 0u);
    EXPECT_EQ(sections.GetCapacity(), 512u);
    EXPECT_FALSE(sections.IsInline());
}

TEST(MSelfRiseArray, LimitStopsGrowthAndLeavesTheArrayUnchanged) {
    MSelfRiseArray<char, 4096> bytes(20000);
    std::vector<char> block(19967, 'a');
    EXPECT_EQ(bytes.Append(block.data(), 19967), 0);
    EXPECT_EQ(bytes.GetCapacity(), 19968u);
    EXPECT_EQ(bytes.Append("b", 1), 19967);
    EXPECT_EQ(bytes.Append("c", 1), ERR_ARRAY_LIMIT);
    EXPECT_EQ(bytes.Insert(0, "c", 1), ERR_ARRAY_LIMIT);
    EXPECT_EQ(bytes.GetCount(), 19968u);
    EXPECT_EQ(bytes.GetCapacity(), 19968u);
    EXPECT_EQ(bytes.At(0), 'a');
    EXPECT_EQ(bytes.At(19967), 'b');

    // A single growth past the limit fails from the inline block too.
    MSelfRiseArray<char, 4096> fresh(20000);
    std::vector<char> too_many(19968, 'x');
    EXPECT_EQ(fresh.Append(too_many.data(), 19968), ERR_ARRAY_LIMIT);
    EXPECT_EQ(fresh.GetCount(), 0u);
    EXPECT_TRUE(fresh.IsInline());
}

TEST(MSelfRiseArray, ArgumentChecks) {
    Ints array(1000);
    Fill(array, 5);
    const int32_t one = 1;
    struct Case {
        const char* what;
        int32_t result;
    } cases[] = {
        {"append n=0", array.Append(&one, 0)},
        {"append null", array.Append(nullptr, 1)},
        {"append wrapping to 0", array.Append(&one, 0xFFFFFFFFu - 4)},
        {"append wrapping past 0", array.Append(&one, 0xFFFFFFFFu)},
        {"insert at count", array.Insert(5, &one, 1)},
        {"insert n=0", array.Insert(0, &one, 0)},
        {"insert null", array.Insert(0, nullptr, 1)},
        {"insert wrapping", array.Insert(0, &one, 0xFFFFFFFFu)},
        {"get at count", array.Get(5, nullptr, 1)},
        {"delete at count", array.Delete(5, 1)},
        {"delete at -1", array.Delete(0xFFFFFFFFu, 1)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, ERR_BAD_ARGUMENT) << c.what;
    }
    EXPECT_EQ(Values(array), (std::vector<int32_t>{0, 1, 2, 3, 4}));
}

TEST(MSelfRiseArray, InsertGetDelete) {
    Ints array(1000);
    Fill(array, 5);
    const int32_t front[2] = {10, 11};
    EXPECT_EQ(array.Insert(0, front, 2), 0);
    EXPECT_EQ(Values(array), (std::vector<int32_t>{10, 11, 0, 1, 2, 3, 4}));

    int32_t out[100] = {};
    EXPECT_EQ(array.Get(3, out, 100), 4);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[3], 4);

    EXPECT_EQ(array.Delete(5, 10), 2);
    EXPECT_EQ(Values(array), (std::vector<int32_t>{10, 11, 0, 1, 2}));
    EXPECT_EQ(array.Delete(1, 2), 2);
    EXPECT_EQ(Values(array), (std::vector<int32_t>{10, 1, 2}));

    // Inserting across the growth from the inline block (16 ints) keeps the order.
    Ints grow(1000);
    Fill(grow, 16);
    const int32_t mid = 99;
    EXPECT_EQ(grow.Insert(8, &mid, 1), 8);
    EXPECT_FALSE(grow.IsInline());
    std::vector<int32_t> expected;
    for (int32_t i = 0; i < 16; ++i) {
        if (i == 8) expected.push_back(99);
        expected.push_back(i);
    }
    EXPECT_EQ(Values(grow), expected);
}

TEST(MSelfRiseArray, ElementsOfItselfSurviveGrowth) {
    Ints array(1000);
    Fill(array, 16);  // inline block full
    EXPECT_EQ(array.Append(&array.At(3), 2), 16);
    EXPECT_EQ(array.At(16), 3);
    EXPECT_EQ(array.At(17), 4);
    EXPECT_EQ(array.Insert(0, &array.At(17), 1), 0);
    EXPECT_EQ(array.At(0), 4);
    EXPECT_EQ(array.At(1), 0);
}

TEST(MSelfRiseArray, AtOutOfRangeRaises) {
    Ints array(1000);
    Fill(array, 5);
    EXPECT_EQ(array.At(4), 4);
    for (uint32_t position : {5u, 0xFFFFFFFFu}) {
        try {
            array.At(position);
            ADD_FAILURE() << "no exception for " << position;
        } catch (const MException& e) {
            EXPECT_STREQ(e.what(), "<MSelfRiseArrayBase>数组序号越界");
        }
    }
    const Ints& constant = array;
    EXPECT_THROW(constant.At(5), std::exception);
}
