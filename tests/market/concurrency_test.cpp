// Tables, name lookup and market used from several threads at once: readers copy frames and
// records while writers update, grow and rebuild. Every record a reader sees must be whole (one
// writer generation throughout). Meant to run under ThreadSanitizer as well.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "foundation/MClock.h"
#include "market/CodeTable.h"
#include "market/Market.h"
#include "market/NameLookup.h"
#include "foundation/PackedCodec.h"
#include "market/SnapshotTable.h"

namespace zephyr {
namespace {

constexpr uint32_t kRecords = 300;

// Lets writers start only once the readers run, so the two really overlap.
class StartGate {
public:
    explicit StartGate(int readers) : m_Waiting(readers) {}
    void ReaderRunning() { --m_Waiting; }
    void WaitForReaders() const {
        while (m_Waiting.load() > 0) std::this_thread::yield();
    }

private:
    std::atomic<int> m_Waiting;
};

Snapshot Generation(uint32_t position, uint32_t generation) {
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    std::snprintf(s.code, sizeof(s.code), "%05u", position);
    s.high = s.open = s.low = s.previous_close = s.last = generation;
    s.volume = generation;
    s.voip = generation;
    return s;
}

bool Whole(const Snapshot& s) {
    const uint32_t g = s.high;
    return s.open == g && s.low == g && s.previous_close == g && s.last == g && s.volume == g && s.voip == g;
}

TEST(Concurrency, FrameReadersWhileAWriterUpdatesAndGrows) {
    SnapshotTable table;
    for (uint32_t i = 0; i < kRecords; ++i) {
        Snapshot s = Generation(i, 0);
        ASSERT_TRUE(table.Append(&s));
    }
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    StartGate gate(3);

    // The writer rewrites whole records by position, by key and by Put, rolls the closes (which
    // keeps records whole: previous close := last) and appends enough to grow the block.
    std::thread writer([&] {
        gate.WaitForReaders();
        uint32_t appended = 0;
        for (uint32_t g = 1; g <= 200; ++g) {
            for (uint32_t i = 0; i + 2 < kRecords; i += 3) {
                Snapshot a = Generation(i, g), b = Generation(i + 1, g), c = Generation(i + 2, g);
                table.UpdateAt(&a, i);
                table.UpdateByKey(&b);
                table.Put(&c);
            }
            table.RollClose();
            for (int k = 0; k < 30; ++k, ++appended) {
                Snapshot extra = Generation(kRecords + appended, g);
                table.Append(&extra);
            }
        }
        done = true;
    });

    auto frame_reader = [&] {
        const uint32_t frame_size = 100 * sizeof(Snapshot);
        std::vector<uint8_t> buffer(2 + frame_size);
        gate.ReaderRunning();
        while (!done) {
            uint8_t last = 0;
            const int32_t frames = table.FramePlan(0, frame_size, 1u << 24, &last);
            for (int32_t f = 0; f < frames; ++f) {
                const int32_t length = table.FrameFill(0, static_cast<uint32_t>(f), frame_size, buffer.data(),
                                                       static_cast<uint32_t>(buffer.size()));
                for (int32_t at = 2; at + static_cast<int32_t>(sizeof(Snapshot)) <= length;
                     at += sizeof(Snapshot)) {
                    Snapshot s;
                    DecodeRecord(buffer.data() + at, s);
                    if (!Whole(s)) ++torn;
                }
            }
        }
    };
    auto record_reader = [&] {
        gate.ReaderRunning();
        while (!done) {
            for (uint32_t i = 0; i < kRecords; i += 7) {
                Snapshot s;
                if (table.Get(&s, i) && !Whole(s)) ++torn;
                Snapshot copy[4];
                const uint32_t n = table.CopyRange(copy, i, 4);
                for (uint32_t k = 0; k < n; ++k) {
                    if (!Whole(copy[k])) ++torn;
                }
            }
            table.FrameCount(0, 7992);
        }
    };
    std::thread r1(frame_reader), r2(frame_reader), r3(record_reader);
    writer.join();
    r1.join();
    r2.join();
    r3.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(table.Count(), kRecords + 200 * 30);
    EXPECT_GT(table.Capacity(), 6000u);
}

TEST(Concurrency, CodeTableGrowsUnderReaders) {
    CodeTable codes;
    ASSERT_TRUE(codes.Allocate(100));
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    StartGate gate(1);
    std::thread writer([&] {
        gate.WaitForReaders();
        CodeEntry e;
        std::memset(&e, 0, sizeof(e));
        for (uint32_t i = 0; i < 7000; ++i) {  // grows past the block twice
            std::snprintf(e.code, sizeof(e.code), "%05u", i);
            codes.AppendSerial(&e);
        }
        done = true;
    });
    std::thread reader([&] {
        std::vector<uint8_t> buffer(8192);
        gate.ReaderRunning();
        while (!done) {
            const uint32_t count = codes.Count();
            CodeEntry e;
            if (count == 0) continue;
            if (!codes.Get(&e, count - 1) || e.serial != count - 1) ++bad;
            else if (codes.FindCode(e.code) != count - 1) ++bad;
            codes.FrameFill(0, count / 101, 7992, buffer.data(), 8192);
        }
    });
    writer.join();
    reader.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_EQ(codes.Count(), 7000u);
}

TEST(Concurrency, NameLookupRebuiltWhileFound) {
    NameLookup lookup;
    ASSERT_EQ(lookup.Build(1000), 1);
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    StartGate gate(1);
    std::thread builder([&] {
        gate.WaitForReaders();
        for (int round = 0; round < 50; ++round) {
            lookup.Build(1000);
            for (uint32_t i = 0; i < 1000; ++i) {
                char code[6];
                std::snprintf(code, sizeof(code), "%05u", i * 7);
                lookup.Insert(i, code);
            }
        }
        done = true;
    });
    std::thread finder([&] {
        gate.ReaderRunning();
        while (!done) {
            for (uint32_t i = 0; i < 1000; i += 13) {
                char code[6];
                std::snprintf(code, sizeof(code), "%05u", i * 7);
                const int32_t found = lookup.Find(code);
                if (found != -2 && found != static_cast<int32_t>(i)) ++wrong;
            }
        }
    });
    builder.join();
    finder.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Concurrency, MarketReadersWhileItIsWritten) {
    Market market;
    market.Configure({"/nonexistent-dir/", 0, 0, nullptr});
    ASSERT_EQ(market.Init(1), 1);
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    StartGate gate(1);
    std::thread writer([&] {
        gate.WaitForReaders();
        for (uint32_t i = 1; i <= 2000; ++i) {
            MarketInfo info;
            market.GetInfo(&info);
            info.time = i;
            info.item_count = static_cast<uint16_t>(i);
            market.SetInfo(&info);
            uint8_t digest[16];
            std::memset(digest, static_cast<int>(i & 0xFF), sizeof(digest));
            market.SetDigest(digest);
            market.SetStatus(static_cast<uint8_t>(i & 1));
            CategoryInfo board;
            if (market.GetCategory(&board, 1) == 1) {
                board.count = static_cast<uint16_t>(i);
                market.UpdateCategory(&board);
            }
            if (i % 100 == 0) market.LoadSessions();
        }
        done = true;
    });
    std::thread reader([&] {
        gate.ReaderRunning();
        while (!done) {
            MarketInfo info;
            market.GetInfo(&info);
            if (info.item_count != static_cast<uint16_t>(info.time)) ++bad;
            for (uint8_t b : info.digest) {
                if (b != info.digest[0]) ++bad;
            }
            CategoryInfo c;
            for (int32_t k = 0; k < 2; ++k) market.GetCategory(&c, k);
        }
    });
    writer.join();
    reader.join();
    EXPECT_EQ(bad.load(), 0);
}

}  // namespace
}  // namespace zephyr
