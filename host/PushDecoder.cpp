#include "host/PushDecoder.h"

#include "host/MarketImage.h"

namespace zephyr::hostkit {

namespace {

// Codes are ASCII text; a record of a multi-record frame begins with one.
bool IsCodeStart(uint8_t byte) { return byte > 0x20 && byte < 0x7F; }

}  // namespace

size_t PushRecordSize(uint8_t type) {
    switch (type) {
        case kPushMarketHeader: return 10;
        case kPushSnapshots: return kSnapshotSize;
        case kPushQuotaStatus: return kQuotaStatusSize;
        case kPushIndexes: return kIndexEntrySize;
        case kPushProductStatus: return kProductStatusSize;
        default: return 0;
    }
}

bool DecodePush(const char* data, size_t length, DecodedPush* out) {
    out->frames.clear();
    out->error.clear();
    out->market_time = 0;
    if (length < 4) {
        out->error = "push shorter than its 4-byte market time (" + std::to_string(length) + " bytes)";
        return false;
    }
    out->market_time = LoadU32(data);
    size_t at = 4;
    while (at < length) {
        const uint8_t type = static_cast<uint8_t>(data[at]);
        const size_t size = PushRecordSize(type);
        if (size == 0) {
            out->error = "unknown frame type " + std::to_string(type) + " at byte " + std::to_string(at);
            return false;
        }
        PushFrame frame;
        frame.type = type;
        frame.payload = data + at + 1;
        size_t end = at + 1;
        const bool repeats = type == kPushSnapshots || type == kPushIndexes;
        do {
            if (length - end < size) {
                out->error = "frame of type " + std::to_string(type) + " cut short at byte " +
                             std::to_string(end);
                if (frame.records > 0) {
                    frame.length = frame.records * size;
                    out->frames.push_back(frame);
                }
                return false;
            }
            end += size;
            ++frame.records;
        } while (repeats && end < length && IsCodeStart(static_cast<uint8_t>(data[end])));
        frame.length = frame.records * size;
        out->frames.push_back(frame);
        at = end;
    }
    return true;
}

}  // namespace zephyr::hostkit
