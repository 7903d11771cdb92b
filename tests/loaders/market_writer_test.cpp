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

int32_t RecordRun(void* context, uint8_t type, const void* records, uint32_t record_size, uint32_t n) {
    const char* bytes = static_cast<const char*>(records);
    for (uint32_t i = 0; i < n; ++i) {
        static_cast<std::vector<Frame>*>(context)->push_back({type, std::string(bytes + i * record_size, record_size)});
    }
    return 1;
}

// A run of snapshots stores and pushes what the same snapshots one by one do, across runs
// longer than one hold of the locks, with repeats inside a run (the repeat is unchanged),
// unknown codes and an index code, through the frames sink and without it.
TEST_F(MarketWriterTest, RunOfSnapshotsActsAsTheSnapshotsOneByOne) {
    std::vector<Snapshot> run;
    const char* codes[] = {"00700", "00005", "00700", "00001", "999001", "00005"};
    for (uint32_t i = 0; i < 2 * MarketWriter::kSnapshotRun + 9; ++i) {
        run.push_back(Quote(codes[i % 6], i / 4));
    }
    m_Working = true;
    for (bool frames_sink : {false, true}) {
        SCOPED_TRACE(frames_sink);
        CodeTable codes_twin;
        SnapshotTable snapshots_twin;
        ProductStatusTable statuses_twin;
        MarketWriter one_by_one{codes_twin, snapshots_twin, statuses_twin};
        IndexDefinition index{};
        memcpy(index.code, "999001", 6);
        codes_twin.AddIndexEntries(true, &index, 1);
        for (uint32_t i = 0; i < m_Codes.Count(); ++i) {
            CodeEntry e;
            ASSERT_TRUE(m_Codes.Get(&e, i));
            if (i > 0) codes_twin.PutSerial(&e);
        }
        for (uint32_t i = 0; i < m_Snapshots.Count(); ++i) {
            Snapshot s;
            ASSERT_TRUE(m_Snapshots.Get(&s, i));
            snapshots_twin.Append(&s);
        }
        std::vector<Frame> expected;
        one_by_one.SetPushSink(&Record, &expected);
        one_by_one.SetWorkingTest(&Working, &m_Working);
        uint32_t expected_changes = 0;
        for (const Snapshot& s : run) expected_changes += one_by_one.UpdateSnapshot(s) ? 1 : 0;
        ASSERT_GT(expected_changes, MarketWriter::kSnapshotRun);  // changes, repeats and refusals
        ASSERT_LT(expected_changes, run.size() / 2);

        m_Frames.clear();
        if (frames_sink) m_Writer.SetFramesSink(&RecordRun, &m_Frames);
        EXPECT_EQ(m_Writer.UpdateSnapshots(run.data(), static_cast<uint32_t>(run.size())), expected_changes);
        ASSERT_EQ(m_Frames.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(m_Frames[i].type, expected[i].type);
            EXPECT_EQ(m_Frames[i].data, expected[i].data) << i;
        }
        ASSERT_EQ(m_Snapshots.Count(), snapshots_twin.Count());
        for (uint32_t i = 0; i < m_Snapshots.Count(); ++i) {
            Snapshot a, b;
            m_Snapshots.Get(&a, i);
            snapshots_twin.Get(&b, i);
            EXPECT_EQ(memcmp(&a, &b, sizeof a), 0) << i;
        }
        // Start the next pass from the same tables as the twin.
        for (uint32_t i = 0; i < m_Snapshots.Count(); ++i) {
            Snapshot s{};
            Snapshot stored;
            m_Snapshots.Get(&stored, i);
            memcpy(s.code, stored.code, sizeof s.code);
            m_Snapshots.SetAt(&s, i);
        }
    }
    EXPECT_EQ(m_Writer.UpdateSnapshots(nullptr, 3), 0u);
}

}  // namespace
}  // namespace zephyr
