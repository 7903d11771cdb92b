// Splitting pushes into frames: batches, multi-record frames and hostile pushes.
#include <gtest/gtest.h>

#include "host/PushDecoder.h"
#include "tests/host/ReplicaFixtures.h"

using namespace zephyr::hostkit;
using hosttest::Frame;
using hosttest::Header;
using hosttest::Push;
using hosttest::Snapshot;

namespace {

struct DecodeCase {
    const char* name;
    std::string push;
    bool ok;
    std::vector<std::pair<uint8_t, size_t>> frames;  // type, records
};

TEST(PushDecoder, ReadsBatchesAndRefusesBrokenPushes) {
    const std::string snap = Snapshot("00700", 350000);
    const std::string status(kProductStatusSize, 'S');
    const std::string index = hosttest::IndexEntry("999999", 1);
    const DecodeCase cases[] = {
        {"one snapshot", Push(101500, Frame(1, snap)), true, {{1, 1}}},
        {"header, snapshot, status, quota",
         Push(101500, Frame(0, Header(20261210, 101500, 1)) + Frame(1, snap) + Frame(5, status) +
                          Frame(3, std::string(kQuotaStatusSize, 'Q'))),
         true, {{0, 1}, {1, 1}, {5, 1}, {3, 1}}},
        {"three snapshots in one frame, then a header",
         Push(1, Frame(1, snap + Snapshot("00001", 1) + Snapshot("00005", 2)) + Frame(0, Header(1, 1, 1))), true,
         {{1, 3}, {0, 1}}},
        {"index entries in one frame", Push(1, Frame(4, index + index)), true, {{4, 2}}},
        {"market time only", Push(93000, ""), true, {}},
        {"shorter than the market time", std::string("\x01\x02", 2), false, {}},
        {"unknown type after a good frame", Push(1, Frame(1, snap) + Frame(2, snap)), false, {{1, 1}}},
        {"snapshot cut short", Push(1, Frame(1, snap.substr(0, 40))), false, {}},
        {"second record cut short", Push(1, Frame(1, snap + snap.substr(0, 10))), false, {{1, 1}}},
        {"header cut short", Push(1, Frame(0, Header(1, 1, 1).substr(0, 9))), false, {}},
    };
    DecodedPush decoded;
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodePush(c.push.data(), c.push.size(), &decoded), c.ok) << decoded.error;
        EXPECT_EQ(decoded.error.empty(), c.ok);
        ASSERT_EQ(decoded.frames.size(), c.frames.size());
        for (size_t i = 0; i < c.frames.size(); ++i) {
            EXPECT_EQ(decoded.frames[i].type, c.frames[i].first);
            EXPECT_EQ(decoded.frames[i].records, c.frames[i].second);
            EXPECT_EQ(decoded.frames[i].length, c.frames[i].second * PushRecordSize(c.frames[i].first));
        }
    }
    const std::string push = Push(101500, Frame(1, snap));
    ASSERT_TRUE(DecodePush(push.data(), push.size(), &decoded));
    EXPECT_EQ(decoded.market_time, 101500u);
    EXPECT_EQ(std::string(decoded.frames[0].payload, decoded.frames[0].length), snap);
}

}  // namespace
