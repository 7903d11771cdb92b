// The write path into the market: placement by serial, pushes only of changes while working.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "foundation/MErrorCode.h"
#include "loaders/MarketWriter.h"
#include "market/CodeTable.h"
#include "market/ProductStatusTable.h"
#include "market/SnapshotTable.h"

namespace zephyr {
namespace {

struct Frame {
    uint8_t type;
    std::string data;
};

int32_t Record(void* context, const void* frame, uint32_t length) {
    const char* bytes = static_cast<const char*>(frame);
    static_cast<std::vector<Frame>*>(context)->push_back({static_cast<uint8_t>(bytes[0]), std::string(bytes + 1, length - 1)});
    return 1;
}
bool Working(void* context) { return *static_cast<bool*>(context); }

class MarketWriterTest : public ::testing::Test {
protected:
    MarketWriterTest() {
        IndexDefinition index{};
        memcpy(index.code, "999001", 6);
        m_Codes.AddIndexEntries(true, &index, 1);
        for (const char* code : {"00700", "00005"}) {
            CodeEntry e{};
            memcpy(e.code, code, 5);
            m_Codes.PutSerial(&e);
            Snapshot s{};
            memcpy(s.code, code, 5);
            m_Snapshots.Append(&s);
            ProductStatus st{};
            memcpy(st.code, code, 5);
            m_Statuses.Append(&st);
        }
        m_Writer.SetPushSink(&Record, &m_Frames);
        m_Writer.SetWorkingTest(&Working, &m_Working);
    }
    static Snapshot Quote(const char* code, uint32_t last) {
        Snapshot s{};
        memcpy(s.code, code, 5);
        s.last = last;
        return s;
    }

    CodeTable m_Codes;
    SnapshotTable m_Snapshots;
    ProductStatusTable m_Statuses;
    MarketWriter m_Writer{m_Codes, m_Snapshots, m_Statuses};
    std::vector<Frame> m_Frames;
    bool m_Working = false;
};

TEST_F(MarketWriterTest, SnapshotsArePlacedByCodeAndPushedOnlyWhenChangedWhileWorking) {
    struct Step {
        const char* code;
        uint32_t last;
        bool working;
        bool stored;
        bool pushed;
    };
    const Step steps[] = {
        {"00005", 100, false, true, false},
        {"00005", 100, true, false, false},  // identical
        {"00005", 101, true, true, true},
        {"00700", 5, true, true, true},
        {"00001", 5, true, false, false},    // unknown
        {"99900", 5, true, false, false},    // no such snapshot
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(std::string(step.code) + " " + std::to_string(step.last));
        m_Working = step.working;
        m_Frames.clear();
        const Snapshot s = Quote(step.code, step.last);
        EXPECT_EQ(m_Writer.UpdateSnapshot(s), step.stored);
        ASSERT_EQ(m_Frames.size(), step.pushed ? 1u : 0u);
        if (step.pushed) {
            EXPECT_EQ(m_Frames[0].type, MarketWriter::kSnapshotFrame);
            EXPECT_EQ(m_Frames[0].data, std::string(reinterpret_cast<const char*>(&s), sizeof s));
        }
    }
    Snapshot s;
    ASSERT_TRUE(m_Snapshots.Get(&s, 1));
    EXPECT_STREQ(s.code, "00005");
    EXPECT_EQ(+s.last, 101u);
}

TEST_F(MarketWriterTest, Statuses) {
    m_Working = true;
    ProductStatus st{};
    memcpy(st.code, "00005", 5);
    memcpy(st.board_lot_status, "T       ", 8);
    EXPECT_TRUE(m_Writer.UpdateStatus(st));
    EXPECT_FALSE(m_Writer.UpdateStatus(st));
    ASSERT_EQ(m_Frames.size(), 1u);
    EXPECT_EQ(m_Frames[0].type, MarketWriter::kStatusFrame);
    EXPECT_EQ(m_Frames[0].data.size(), 22u);
    ProductStatus stored;
    ASSERT_TRUE(m_Statuses.Get(&stored, 1));
    EXPECT_EQ(memcmp(&stored, &st, sizeof st), 0);
    ASSERT_TRUE(m_Statuses.Get(&stored, 0));
    EXPECT_EQ(stored.board_lot_status[0], 0);
    EXPECT_TRUE(m_Writer.UpdateSnapshot(Quote("00005", 9)));
}

TEST_F(MarketWriterTest, PushFrames) {
    const char data[] = "abc";
    EXPECT_EQ(m_Writer.Push(3, data, 3), 1);
    ASSERT_EQ(m_Frames.size(), 1u);
    EXPECT_EQ(m_Frames[0].type, 3);
    EXPECT_EQ(m_Frames[0].data, "abc");
    std::string big(MarketWriter::kMaxPushData + 1, 'x');
    EXPECT_EQ(m_Writer.Push(1, big.data(), MarketWriter::kMaxPushData), 1);
    EXPECT_EQ(m_Writer.Push(1, big.data(), MarketWriter::kMaxPushData + 1), ERR_BAD_ARGUMENT);
    EXPECT_EQ(m_Writer.Push(1, nullptr, 4), ERR_BAD_ARGUMENT);
    m_Writer.SetPushSink(nullptr, nullptr);
    EXPECT_EQ(m_Writer.Push(1, data, 3), 0);
    EXPECT_EQ(m_Frames.size(), 2u);
}

}  // namespace
}  // namespace zephyr
