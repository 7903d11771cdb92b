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
    : ring_(nullptr),
      capacity_(0),
      read_(0),
      write_(0),
      put_count_(0),
      main_type_(kMainType),
      sub_type_(kSubType),
      market_number_(kMarketNumber),
      configured_size_(kRingSize),
      flush_threshold_(0),
      push_(nullptr),
      driver_id_(0),
      logger_(nullptr),
      time_source_(nullptr),
      time_context_(nullptr) {}

MPushPool::~MPushPool() { std::free(ring_); }

void MPushPool::SetHost(PushDataCallback push, uint16_t driver_id) {
    MLocalSection guard(lock_);
    push_ = push;
    driver_id_ = driver_id;
}

void MPushPool::SetLogger(MLogger* logger) {
    MLocalSection guard(lock_);
    logger_ = logger;
}

void MPushPool::SetMarketTimeSource(MarketTimeSource source, void* context) {
    MLocalSection guard(lock_);
    time_source_ = source;
    time_context_ = context;
}

void MPushPool::SetMarket(Market* market) {
    SetMarketTimeSource(market != nullptr ? &MarketTimeOf : nullptr, market);
}

int32_t MPushPool::Init(uint8_t main_type, uint8_t sub_type, uint8_t market_number,
                        uint32_t configured_size, uint16_t flush_threshold) {
    MLocalSection guard(lock_);
    main_type_ = main_type;
    sub_type_ = sub_type;
    market_number_ = market_number;
    configured_size_ = configured_size;
    flush_threshold_ = flush_threshold;
    Release();
    ring_ = static_cast<uint8_t*>(std::malloc(kRingSize));
    if (ring_ == nullptr) return ERR_NO_MEMORY;
    capacity_ = kRingSize;
    return 1;
}

void MPushPool::Release() {
    MLocalSection guard(lock_);
    std::free(ring_);
    ring_ = nullptr;
    capacity_ = 0;
    read_ = 0;
    write_ = 0;
    put_count_ = 0;
}

uint32_t MPushPool::PendingLocked() const {
    if (capacity_ == 0) return 0;
    return (write_ + capacity_ - read_) % capacity_;
}

uint32_t MPushPool::FreeLocked() const {
    if (capacity_ == 0) return 0;
    return (read_ + capacity_ - write_ - 1) % capacity_;
}

uint32_t MPushPool::Pending() {
    MLocalSection guard(lock_);
    return PendingLocked();
}

uint32_t MPushPool::Capacity() {
    MLocalSection guard(lock_);
    return capacity_;
}

uint16_t MPushPool::FlushThreshold() {
    MLocalSection guard(lock_);
    return flush_threshold_;
}

void MPushPool::CopyIn(const void* data, uint32_t length) {
    const uint8_t* in = static_cast<const uint8_t*>(data);
    const uint32_t first = capacity_ - write_ < length ? capacity_ - write_ : length;
    std::memcpy(ring_ + write_, in, first);
    if (first < length) std::memcpy(ring_, in + first, length - first);
    write_ = (write_ + length) % capacity_;
}

void MPushPool::LogError(const char* format, int32_t code) {
    if (logger_ != nullptr) logger_->Write(kLogWarning, kModule, format, code);
}

int32_t MPushPool::PutData(const void* data, uint32_t length) {
    // Read before the pool's lock, in case this put flushes: the pool never holds its lock while
    // it waits for the market's.
    const uint32_t market_time = MarketTime();
    MLocalSection guard(lock_);
    if (length != 0) {
        if (data == nullptr || ring_ == nullptr || length > FreeLocked()) {
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
            } else if (ring_ == nullptr) {
                refused = ERR_NOT_INITIALISED;
            } else if (length > FreeLocked()) {
                refused = ERR_LOOPBUF_FULL;
            }
            if (refused != 0) {
                LogError("<MPushPool>PutData错误[Err:%d]", refused);
                return refused;
            }
        }
        CopyIn(data, length);
    }
    ++put_count_;
    if (put_count_ >= static_cast<int32_t>(flush_threshold_)) {
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
    return time_source_ != nullptr ? time_source_(time_context_) : 0;
}

int32_t MPushPool::PushOutOnce() {
    const uint32_t market_time = MarketTime();
    MLocalSection guard(lock_);
    return FlushLocked(market_time);
}

int32_t MPushPool::FlushLocked(uint32_t market_time) {
    if (ring_ == nullptr || capacity_ == 0) return ERR_NOT_INITIALISED;
    const uint32_t n = PendingLocked();
    if (n == 0) return ERR_LOOPBUF_EMPTY;

    StoreLe<uint32_t>(push_buffer_, market_time);
    const uint32_t first = capacity_ - read_ < n ? capacity_ - read_ : n;
    std::memcpy(push_buffer_ + kHeaderSize, ring_ + read_, first);
    if (first < n) std::memcpy(push_buffer_ + kHeaderSize + first, ring_, n - first);
    read_ = (read_ + n) % capacity_;

    // Held across the callback: pushes reach the host in ring order, one at a time.
    if (push_ != nullptr) {
        push_(main_type_, sub_type_, push_buffer_, static_cast<int32_t>(n + kHeaderSize),
              market_number_, driver_id_, 0);
    }
    put_count_ = 0;
    return static_cast<int32_t>(n);
}

}  // namespace zephyr
