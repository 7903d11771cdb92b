// Splitting one push of the driver's push pool into its frames.
//
// A push is a 4-byte market time followed by whole push frames back to back, each a type byte
// and its payload: 0 market header (10 bytes), 1 snapshots (74 bytes each), 3 quota status (25),
// 4 index entries (42 each), 5 one product status (22). Frames carry no length: a snapshot or
// index frame holds one record, and further records of the same frame follow as long as the
// next byte is printable ASCII: a record begins with the text of its code, a frame with a type
// byte 0..5. Any other byte where a frame should begin makes the push not understood.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::hostkit {

enum PushType : uint8_t {
    kPushMarketHeader = 0,
    kPushSnapshots = 1,
    kPushQuotaStatus = 3,
    kPushIndexes = 4,
    kPushProductStatus = 5,
};

struct PushFrame {
    uint8_t type = 0;
    const char* payload = nullptr;  // into the push
    size_t length = 0;              // payload bytes
    size_t records = 0;             // records of the frame's record size
};

struct DecodedPush {
    uint32_t market_time = 0;
    std::vector<PushFrame> frames;  // the frames read before any error
    std::string error;              // empty when the whole push was understood
};

// Payload size of one record of a push type; 0 for an unknown type.
size_t PushRecordSize(uint8_t type);

// Decodes the push into `out` (its frame vector is reused). False when the push is shorter than
// its header, holds an unknown type byte or ends inside a record: the frames before that point
// are still listed.
bool DecodePush(const char* data, size_t length, DecodedPush* out);

}  // namespace zephyr::hostkit
