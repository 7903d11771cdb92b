// Pulled data frames of a table: the count rule (FramePlan) and the body (FrameFill), including
// the two guards of the body: a first record beyond the end gives an empty frame, and a frame is
// never longer than the caller's buffer.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/market/TestCodes.h"
#include "market/CodeTable.h"
#include "foundation/PackedCodec.h"
#include "market/SnapshotTable.h"

namespace zephyr {
namespace {

using testing::V;

void FillCodes(CodeTable& codes, uint32_t n) {
    CodeEntry e;
    std::memset(&e, 0, sizeof(e));
    for (uint32_t i = 0; i < n; ++i) {
        std::snprintf(e.code, sizeof(e.code), "%05u", i);
        ASSERT_TRUE(codes.AppendSerial(&e));
    }
}

struct PlanCase {
    const char* name;
    uint32_t start, frame_size, budget;
    int32_t frames;
    uint8_t last;  // 7: left as it was
};

TEST(Frames, PlanFollowsTheTableRule) {
    CodeTable codes;  // 250 records of 79 bytes
    FillCodes(codes, 250);
    const PlanCase cases[] = {
        {"whole table in budget", 0, 7992, 100000, 3, 1},
        {"budget of two frames", 0, 7992, 2 * 7992, 2, 0},
        {"budget below one frame", 0, 7992, 100, 1, 0},
        {"from the middle", 200, 7992, 100000, 1, 1},
        {"start at the end", 250, 7992, 100000, 1, 1},
        {"start past the end", 300, 7992, 100000, 1, 1},
        {"frame smaller than a record", 0, 70, 100000, 0, 7},
        {"frame size zero", 0, 0, 100000, 0, 7},
        {"exactly one frame of records", 149, 7992, 100000, 1, 1},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        uint8_t last = 7;
        EXPECT_EQ(codes.FramePlan(c.start, c.frame_size, c.budget, &last), c.frames);
        EXPECT_EQ(last, c.last);
    }
}

TEST(Frames, BodyCarriesTheNextStartAndTheRecords) {
    CodeTable codes;
    FillCodes(codes, 250);
    std::vector<uint8_t> buffer(8192, 0xEE);
    const uint32_t lengths[] = {2 + 101 * 79, 2 + 101 * 79, 2 + 48 * 79};
    const uint16_t next[] = {101, 202, 250};
    for (uint32_t f = 0; f < 3; ++f) {
        SCOPED_TRACE(f);
        std::fill(buffer.begin(), buffer.end(), 0xEE);
        ASSERT_EQ(codes.FrameFill(0, f, 7992, buffer.data(), 7992), static_cast<int32_t>(lengths[f]));
        EXPECT_EQ(LoadLe<uint16_t>(buffer.data()), next[f]);
        CodeEntry first;
        DecodeRecord(buffer.data() + 2, first);
        EXPECT_EQ(V(first.serial), f * 101);
        CodeEntry last;
        DecodeRecord(buffer.data() + lengths[f] - 79, last);
        EXPECT_EQ(V(last.serial), next[f] - 1);
        EXPECT_EQ(buffer[lengths[f]], 0xEE) << "nothing written past the frame";
    }
    // Frame 2 of the example: records 202-249 behind u16 250, 3794 bytes.
    EXPECT_EQ(lengths[2], 3794u);
}

TEST(Frames, BodyAnswersZeroForAnUnusableBuffer) {
    CodeTable codes;
    FillCodes(codes, 10);
    std::vector<uint8_t> buffer(8192, 0xEE);
    struct Case {
        const char* name;
        uint32_t frame_size;
        bool null_buffer;
        uint32_t length;
    } cases[] = {
        {"frame smaller than a record", 70, false, 8192},
        {"null buffer", 7992, true, 8192},
        {"zero length", 7992, false, 0},
        {"buffer shorter than the frame size", 7992, false, 7991},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(codes.FrameFill(0, 0, c.frame_size, c.null_buffer ? nullptr : buffer.data(), c.length), 0);
        EXPECT_EQ(buffer[0], 0xEE);
    }
}

TEST(Frames, FirstRecordBeyondTheEndGivesAnEmptyFrame) {
    CodeTable codes;
    FillCodes(codes, 250);
    std::vector<uint8_t> buffer(8192, 0xEE);
    // Frame 5 would begin at record 505 of 250.
    EXPECT_EQ(codes.FrameFill(0, 5, 7992, buffer.data(), 7992), 2);
    EXPECT_EQ(LoadLe<uint16_t>(buffer.data()), 505);
    EXPECT_EQ(buffer[2], 0xEE);
    // A request starting at the end: u16 count and no record.
    EXPECT_EQ(codes.FrameFill(250, 0, 7992, buffer.data(), 7992), 2);
    EXPECT_EQ(LoadLe<uint16_t>(buffer.data()), 250);
    // A huge frame number does not wrap into the table.
    EXPECT_EQ(codes.FrameFill(65535, 65535, 7992, buffer.data(), 7992), 2);
}

TEST(Frames, FrameNeverLongerThanTheBuffer) {
    // Two snapshots fill a 148-byte frame size exactly, so a full frame needs 150 bytes.
    SnapshotTable snapshots;
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    for (int i = 0; i < 3; ++i) {
        std::snprintf(s.code, sizeof(s.code), "%05d", i);
        ASSERT_TRUE(snapshots.Append(&s));
    }
    uint8_t last = 0;
    EXPECT_EQ(snapshots.FramePlan(0, 148, 1000, &last), 2);  // the count stays as the rule says
    EXPECT_EQ(last, 1);

    std::vector<uint8_t> buffer(200, 0xEE);
    EXPECT_EQ(snapshots.FrameFill(0, 0, 148, buffer.data(), 148), 0);
    EXPECT_EQ(buffer[0], 0xEE);
    EXPECT_EQ(snapshots.FrameFill(0, 0, 148, buffer.data(), 150), 150);
    EXPECT_EQ(buffer[150], 0xEE);
    // The short last frame fits the frame size.
    EXPECT_EQ(snapshots.FrameFill(0, 1, 148, buffer.data(), 148), 2 + 74);
    EXPECT_EQ(LoadLe<uint16_t>(buffer.data()), 3);
}

}  // namespace
}  // namespace zephyr
