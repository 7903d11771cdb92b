// MPushPool: batches push frames (a type byte and its payload, back to back) in one 8000-byte
// ring and hands the pending bytes to the host in one PushDataCallback call per flush, behind the
// 4-byte market time read at the moment of the flush.
//
// Contract:
// - at most 7999 bytes are ever pending (one ring byte always stays free);
// - PutData stores a whole frame or nothing; a frame that does not fit flushes the ring first;
// - after "flush threshold" puts the ring is flushed (threshold 0: every put is sent at once);
// - one re-entrant lock guards everything and is held across the host callback, so the callback
//   must not come back into the push path of another thread (it may, on its own thread);
// - no allocation per frame: Init allocates the ring, the flush builds the push in a member
//   buffer of 4 + 8000 bytes;
// - results are 1 / byte counts, or negative error values (foundation/MErrorCode.h); failures
//   are logged at level 2 with module kModule through the logger given.
#pragma once
#include <cstdint>

#include "zephyr/DriverInterface.h"
#include "foundation/MCriticalSection.h"

namespace zephyr {

class MLogger;
class Market;

class MPushPool {
public:
    static constexpr uint32_t kRingSize = 8000;
    static constexpr uint32_t kHeaderSize = 4;
    static constexpr const char* kModule = "VuriZezUvuRA";
    // The processing unit's values for Init.
    static constexpr uint8_t kMainType = 2;
    static constexpr uint8_t kSubType = 86;

    // Where the market time of the push header comes from. It is read at the start of every put
    // and flush, before the pool's lock is taken, so it may take locks of its own (the market's)
    // without ever nesting them inside the pool's.
    using MarketTimeSource = uint32_t (*)(void* context);

    MPushPool();
    ~MPushPool();
    MPushPool(const MPushPool&) = delete;
    MPushPool& operator=(const MPushPool&) = delete;

    // Collaborators, set before the pool is shared between threads. A null callback drops the
    // pushes (the bytes are consumed all the same); a null logger drops the log lines; without a
    // time source the market time is 0.
    void SetHost(PushDataCallback push, uint16_t driver_id);
    void SetLogger(MLogger* logger);
    void SetMarketTimeSource(MarketTimeSource source, void* context);
    // Market time = the time field of the market's MarketInfo.
    void SetMarket(Market* market);

    // Stores the five values, releases any old ring, allocates a ring of kRingSize bytes, empty.
    // 1, or ERR_NO_MEMORY.
    int32_t Init(uint8_t main_type, uint8_t sub_type, uint8_t market_number, uint32_t configured_size,
                 uint16_t flush_threshold);
    // 1; or ERR_BAD_ARGUMENT (no data), ERR_NOT_INITIALISED (no ring), ERR_LOOPBUF_FULL (the frame
    // does not fit an empty ring), or the error of the flush the put needed. A length of 0 stores
    // nothing but counts as a put.
    int32_t PutData(const void* data, uint32_t length);
    // n frames, each the type byte followed by one record of record_size bytes (records lie back
    // to back): what n PutData calls of those frames would do, with one hold of the lock and one
    // reading of the market time for all of them. 1, or the first negative result (the frames
    // after a refused one are still put); ERR_BAD_ARGUMENT when records is null.
    int32_t PutFrames(uint8_t type, const void* records, uint32_t record_size, uint32_t n);
    // Sends everything pending: the number of bytes sent (without the header), or
    // ERR_NOT_INITIALISED (no ring) / ERR_LOOPBUF_EMPTY (nothing pending; nothing is called).
    int32_t PushOutOnce();
    // Frees the ring; capacity, positions and put count 0.
    void Release();

    uint32_t Pending();
    uint32_t Capacity();

private:
    uint32_t PendingLocked() const;
    uint32_t FreeLocked() const;
    void CopyIn(const void* data, uint32_t length);
    // One put of the frame data[0, length) followed by tail[0, tail_length).
    int32_t PutLocked(const void* data, uint32_t length, const void* tail, uint32_t tail_length,
                      uint32_t market_time);
    void LogError(const char* format, int32_t code);
    uint32_t MarketTime() const;
    int32_t FlushLocked(uint32_t market_time);

    MCriticalSection m_Lock;
    uint8_t* m_Ring;
    uint32_t m_Capacity;
    uint32_t m_Read;
    uint32_t m_Write;
    int32_t m_PutCount;

    uint8_t m_MainType;
    uint8_t m_SubType;
    uint8_t m_MarketNumber;
    uint32_t m_ConfiguredSize;
    uint16_t m_FlushThreshold;

    PushDataCallback m_Push;
    uint16_t m_DriverId;
    MLogger* m_Logger;
    MarketTimeSource m_TimeSource;
    void* m_TimeContext;

    uint8_t m_PushBuffer[kHeaderSize + kRingSize];
};

}  // namespace zephyr
