#include "push/MPushPool.h"

#include <cstdlib>
#include <cstring>

#include "foundation/MErrorCode.h"
#include "foundation/MLocalSection.h"
#include "foundation/MLog.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

uint32_t MarketTimeOf(void* context) {
    MarketInfo info;
    static_cast<Market*>(context)->GetInfo(&info);
    return info.time;
}

}  // namespace

MPushPool::MPushPool()
    : m_Ring(nullptr),
      m_Capacity(0),
      m_Read(0),
      m_Write(0),
      m_PutCount(0),
      m_MainType(kMainType),
      m_SubType(kSubType),
      m_MarketNumber(kMarketNumber),
      m_ConfiguredSize(kRingSize),
      m_FlushThreshold(0),
      m_Push(nullptr),
      m_DriverId(0),
      m_Logger(nullptr),
      m_TimeSource(nullptr),
      m_TimeContext(nullptr) {}

MPushPool::~MPushPool() { std::free(m_Ring); }

void MPushPool::SetHost(PushDataCallback push, uint16_t driver_id) {
    MLocalSection guard(m_Lock);
    m_Push = push;
    m_DriverId = driver_id;
}

void MPushPool::SetLogger(MLogger* logger) {
    MLocalSection guard(m_Lock);
    m_Logger = logger;
}

void MPushPool::SetMarketTimeSource(MarketTimeSource source, void* context) {
    MLocalSection guard(m_Lock);
    m_TimeSource = source;
    m_TimeContext = context;
}

void MPushPool::SetMarket(Market* market) {
    SetMarketTimeSource(market != nullptr ? &MarketTimeOf : nullptr, market);
}

int32_t MPushPool::Init(uint8_t main_type, uint8_t sub_type, uint8_t market_number,
                        uint32_t configured_size, uint16_t flush_threshold) {
    MLocalSection guard(m_Lock);
    m_MainType = main_type;
    m_SubType = sub_type;
    m_MarketNumber = market_number;
    m_ConfiguredSize = configured_size;
    m_FlushThreshold = flush_threshold;
    Release();
    m_Ring = static_cast<uint8_t*>(std::malloc(kRingSize));
    if (m_Ring == nullptr) return ERR_NO_MEMORY;
    m_Capacity = kRingSize;
    return 1;
}

void MPushPool::Release() {
    MLocalSection guard(m_Lock);
    std::free(m_Ring);
    m_Ring = nullptr;
    m_Capacity = 0;
    m_Read = 0;
    m_Write = 0;
    m_PutCount = 0;
}

uint32_t MPushPool::PendingLocked() const {
    if (m_Capacity == 0) return 0;
    return (m_Write + m_Capacity - m_Read) % m_Capacity;
}

uint32_t MPushPool::FreeLocked() const {
    if (m_Capacity == 0) return 0;
    return (m_Read + m_Capacity - m_Write - 1) % m_Capacity;
}

uint32_t MPushPool::Pending() {
    MLocalSection guard(m_Lock);
    return PendingLocked();
}

uint32_t MPushPool::Capacity() {
    MLocalSection guard(m_Lock);
    return m_Capacity;
}

void MPushPool::CopyIn(const void* data, uint32_t length) {
    const uint8_t* in = static_cast<const uint8_t*>(data);
    const uint32_t first = m_Capacity - m_Write < length ? m_Capacity - m_Write : length;
    std::memcpy(m_Ring + m_Write, in, first);
    if (first < length) std::memcpy(m_Ring, in + first, length - first);
    m_Write = (m_Write + length) % m_Capacity;
}

void MPushPool::LogError(const char* format, int32_t code) {
    if (m_Logger != nullptr) m_Logger->Write(kLogWarning, kModule, format, code);
}

int32_t MPushPool::PutData(const void* data, uint32_t length) {
    // Read before the pool's lock, in case this put flushes: the pool never holds its lock while
    // it waits for the market's.
    const uint32_t market_time = MarketTime();
    MLocalSection guard(m_Lock);
    return PutLocked(data, length, nullptr, 0, market_time);
}

int32_t MPushPool::PutFrames(uint8_t type, const void* records, uint32_t record_size, uint32_t n) {
    if (n == 0) return 1;
    if (records == nullptr) return ERR_BAD_ARGUMENT;
    const uint32_t market_time = MarketTime();
    const uint8_t* record = static_cast<const uint8_t*>(records);
    int32_t result = 1;
    MLocalSection guard(m_Lock);
    for (uint32_t i = 0; i < n; ++i, record += record_size) {
        const int32_t put = PutLocked(&type, 1, record, record_size, market_time);
        if (put < 0 && result > 0) result = put;
    }
    return result;
}

int32_t MPushPool::PutLocked(const void* data, uint32_t length, const void* tail, uint32_t tail_length,
                             uint32_t market_time) {
    const uint32_t total = length + tail_length;
    if (total != 0) {
        if (data == nullptr || m_Ring == nullptr || total > FreeLocked()) {
            const int32_t flushed = FlushLocked(market_time);
            // A flush that sent something leaves the ring empty, so the frame is tried again
            // even when it is longer than what was sent.
            if (flushed < 0) {
                LogError("<MPushPool>PushOutOnce错误[Err:%d]", flushed);
                return flushed;
            }
            int32_t refused = 0;
            if (data == nullptr) {
                refused = ERR_BAD_ARGUMENT;
            } else if (m_Ring == nullptr) {
                refused = ERR_NOT_INITIALISED;
            } else if (total > FreeLocked()) {
                refused = ERR_LOOPBUF_FULL;
            }
            if (refused != 0) {
                LogError("<MPushPool>PutData错误[Err:%d]", refused);
                return refused;
            }
        }
        CopyIn(data, length);
        if (tail_length > 0) CopyIn(tail, tail_length);
    }
    ++m_PutCount;
    if (m_PutCount >= static_cast<int32_t>(m_FlushThreshold)) {
        const int32_t flushed = FlushLocked(market_time);
        if (flushed < 0) {
            LogError("<MPushPool>PushOutOnce错误[Err:%d]", flushed);
            return flushed;
        }
    }
    return 1;
}

uint32_t MPushPool::MarketTime() const {
    // The source is set before the pool is shared between threads; read without the lock.
    return m_TimeSource != nullptr ? m_TimeSource(m_TimeContext) : 0;
}

int32_t MPushPool::PushOutOnce() {
    const uint32_t market_time = MarketTime();
    MLocalSection guard(m_Lock);
    return FlushLocked(market_time);
}

int32_t MPushPool::FlushLocked(uint32_t market_time) {
    if (m_Ring == nullptr || m_Capacity == 0) return ERR_NOT_INITIALISED;
    const uint32_t n = PendingLocked();
    if (n == 0) return ERR_LOOPBUF_EMPTY;

    StoreLe<uint32_t>(m_PushBuffer, market_time);
    const uint32_t first = m_Capacity - m_Read < n ? m_Capacity - m_Read : n;
    std::memcpy(m_PushBuffer + kHeaderSize, m_Ring + m_Read, first);
    if (first < n) std::memcpy(m_PushBuffer + kHeaderSize + first, m_Ring, n - first);
    m_Read = (m_Read + n) % m_Capacity;

    // Held across the callback: pushes reach the host in ring order, one at a time.
    if (m_Push != nullptr) {
        m_Push(m_MainType, m_SubType, m_PushBuffer, static_cast<int32_t>(n + kHeaderSize),
              m_MarketNumber, m_DriverId, 0);
    }
    m_PutCount = 0;
    return static_cast<int32_t>(n);
}

}  // namespace zephyr
