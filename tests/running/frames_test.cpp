// A host pulling the market: a full-size day frame by frame against the generator's own record
// of it and against the digest in the market record; the frame count rules on a small day; the
// caller's buffer checks; starting, stopping and starting again in one process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "host/MarketDigest.h"
#include "host/MarketImage.h"
#include "tests/running/RunningDay.h"
#include "tools/sampleday/ManifestReader.h"
#include "tools/sampleday/Output.h"

namespace zephyr::running {
namespace {

using hostkit::LoadU16;
using hostkit::LoadU32;
using hostkit::LoadU64;
using hostkit::MakeWorkParams;
using hostkit::MarketImage;
using hostkit::Table;

// The generator's manifest: one row per share, by column name.
sampleday::Manifest Manifest(const std::string& dir) {
    sampleday::Manifest rows;
    EXPECT_TRUE(sampleday::ReadManifest(dir, rows));
    return rows;
}

uint64_t Number(const sampleday::ManifestRow& row, const char* column) {
    return sampleday::ManifestNumber(row, column);
}

std::string CodeOf(const char* record, size_t offset) {
    return std::string(record + offset, strnlen(record + offset, 6));
}

class FramesTest : public RunningDay {
protected:
    // Starts at 10:00 of a working day and waits until the driver serves the market record.
    void StartServing(const DriverWorkParams& params) {
        ASSERT_EQ(m_Driver->Begin(params), 1) << Host().LogDump();
        LetThreadsPass();
        ASSERT_TRUE(TickUntil([&] { return Working() && MarketDate() == m_Options.date; }, 2))
            << Host().LogDump();
    }
    // Ends the driver and answers how long that took.
    int64_t TimedEnd() {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(m_Driver->End(), 1);
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    }
};

TEST_F(FramesTest, FullDayPulledFrameByFrameMatchesTheDayAndItsDigest) {
    WriteDay(20151007, 95900, 2600);
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Load();
    StartServing(MakeWorkParams());

    MarketImage image;
    std::string error;
    ASSERT_EQ(hostkit::PullMarketImage(*m_Driver, 8192, &image, &error), hostkit::PullResult::kPulled) << error;
    EXPECT_EQ(image.ItemCount(), 2607u);
    EXPECT_EQ(image.MarketDate(), 20151007u);
    ASSERT_EQ(image.categories.size(), 2u);
    EXPECT_EQ(LoadU16(image.categories[0].data() + 11), 7u);
    EXPECT_EQ(LoadU16(image.categories[1].data() + 11), 2600u);
    EXPECT_EQ(hostkit::CheckMarketDigest(image, ""), hostkit::DigestCheck::kMatchesAfterStart);

    const auto& codes = image.Of(Table::kCodes);
    const auto& snapshots = image.Of(Table::kSnapshots);
    const auto& statuses = image.Of(Table::kProductStatus);
    const auto& indexes = image.Of(Table::kIndexes);
    ASSERT_EQ(codes.Count(), 2607u);
    ASSERT_EQ(snapshots.Count(), 2600u);
    ASSERT_EQ(statuses.Count(), 2600u);
    ASSERT_EQ(indexes.Count(), 7u);
    EXPECT_EQ(image.Of(Table::kPriceTable).Count(), 3u);
    EXPECT_EQ(image.Of(Table::kShortNames).Count() > 0, true);

    // Every record sits at its place: code serial = position, indices first, the snapshot and
    // status of code position p at p - 7. Until quotes arrive, a snapshot carries the previous
    // close of the day's files.
    const auto manifest = Manifest(m_Folder.Path());
    ASSERT_EQ(manifest.size(), 2600u);
    for (size_t p = 0; p < codes.Count(); ++p) {
        const char* code = codes.At(p);
        ASSERT_EQ(LoadU16(code), p);
        const std::string text = CodeOf(code, 3);
        if (p < 7) {
            EXPECT_EQ(code[2], 0) << text;
            EXPECT_EQ(CodeOf(indexes.At(p), 0), text);
            continue;
        }
        EXPECT_EQ(code[2], 1) << text;
        const char* snapshot = snapshots.At(p - 7);
        ASSERT_EQ(CodeOf(snapshot, 0), text);
        EXPECT_EQ(CodeOf(statuses.At(p - 7), 0), text);
        const auto row = manifest.find(text);
        ASSERT_NE(row, manifest.end()) << text;
        EXPECT_EQ(LoadU32(snapshot + 18), Number(row->second, "prev_close")) << text;
    }

    const auto status = m_Driver->StatusBytes();
    EXPECT_EQ(hostkit::ReadU32(status.data() + 10), 20151007u);
    EXPECT_EQ(hostkit::ReadU16(status.data() + 18), 2607u);
}

// One start per host record; each shows the rule of one frame size and budget.
TEST_F(FramesTest, FrameCountRulesAndBufferChecksAcrossRestarts) {
    WriteDay(20151007, 95900, 243);  // 250 code records with the 7 indices
    HostClock::SetLocal(2015, 10, 7, 10, 0, 0);
    Load();
    uint8_t last = 0xCC;
    std::vector<uint8_t> frame(8192);

    // F = 7992, B = 100000: 101 records a frame, 1212 allowed, 250 there.
    StartServing(MakeWorkParams(7, 8192, 100000));
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 0, 3, &last), 3);
    EXPECT_EQ(last, 1);
    ASSERT_EQ(m_Driver->OneFrame(2, 0x54, 0, 3, 2, &frame), 3794);
    EXPECT_EQ(hostkit::ReadU16(frame.data()), 250);
    EXPECT_EQ(LoadU16(reinterpret_cast<const char*>(frame.data()) + 2), 202u);  // serial of record 202
    // The price table: all three sections from 0, the third alone from 2.
    ASSERT_EQ(m_Driver->OneFrame(2, 0x5A, 0, 3, 0, &frame), 962);
    EXPECT_EQ(hostkit::ReadU16(frame.data()), 3);
    EXPECT_EQ(m_Driver->OneFrame(2, 0x5A, 2, 3, 0, &frame), 322);
    // The holiday frame starts with today.
    ASSERT_EQ(m_Driver->OneFrame(2, 0xFE, 0, 3, 0, &frame), 52);
    EXPECT_EQ(hostkit::ReadU16(frame.data()), 10);
    EXPECT_EQ(frame[2], 0);
    EXPECT_EQ(hostkit::ReadU32(frame.data() + 3), 20151007u);
    // A buffer shorter than the frame size gets no frame, whatever the table.
    for (uint8_t sub_type : {0x54, 0x55, 0x57, 0x58, 0x5A, 0xFE}) {
        std::vector<uint8_t> small(1000, 0xEE);
        EXPECT_EQ(m_Driver->OneFrame(2, sub_type, 0, 3, 0, &small), 0) << int(sub_type);
        EXPECT_EQ(small[0], 0xEE) << int(sub_type);
    }
    // The requests the host may get wrong.
    EXPECT_EQ(m_Driver->FrameCount(3, 0x54, 0, 3, &last), -2);
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 0, 2, &last), -3);
    EXPECT_EQ(m_Driver->FrameCount(2, 0x56, 0, 3, &last), -3);
    EXPECT_LT(TimedEnd(), 1000);
    EXPECT_EQ(m_Driver->IsWorking(), 0);
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 0, 3, &last), -1);

    // B < F: the budget allows no record, one frame all the same, not the last.
    StartServing(MakeWorkParams(7, 8192, 5000));
    last = 0xCC;
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 0, 3, &last), 1);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 250, 3, &last), 1);
    EXPECT_EQ(last, 1);
    ASSERT_EQ(m_Driver->OneFrame(2, 0x54, 250, 3, 0, &frame), 2);
    EXPECT_EQ(hostkit::ReadU16(frame.data()), 250);
    EXPECT_LT(TimedEnd(), 1000);

    // F = 70: no code record fits a frame.
    StartServing(MakeWorkParams(7, 70, 100000));
    last = 0xCC;
    EXPECT_EQ(m_Driver->FrameCount(2, 0x54, 0, 3, &last), 0);
    EXPECT_EQ(last, 0xCC);
    std::vector<uint8_t> small(70);
    EXPECT_EQ(m_Driver->OneFrame(2, 0x54, 0, 3, 0, &small), 0);
    EXPECT_LT(TimedEnd(), 1000);
}

}  // namespace
}  // namespace zephyr::running
