// The two market-wide status records the processing unit keeps one copy of: the market quota
// status of the trading-session status file and the reference exchange rates. Both travel to the
// host unchanged (push frame type 3, pulled frames 0x58 and 0x57), so sizes and offsets are fixed.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zephyr {

#pragma pack(push, 1)

struct MarketQuotaStatus {
    int64_t first_quota;      // first quota amount of the market line, unchanged
    int64_t remaining_quota;  // never negative: a negative value in the file is stored as 0
    char quota_state;         // first character of its field
    char trading_state[8];    // market trading state of the header line, not terminated
};

// Rates x 100000.
struct ExchangeRate {
    uint32_t buying;
    uint32_t selling;
    uint32_t middle;
};

#pragma pack(pop)

static_assert(sizeof(MarketQuotaStatus) == 25, "MarketQuotaStatus layout");
static_assert(offsetof(MarketQuotaStatus, remaining_quota) == 8 &&
                  offsetof(MarketQuotaStatus, quota_state) == 16 &&
                  offsetof(MarketQuotaStatus, trading_state) == 17,
              "MarketQuotaStatus offsets");
static_assert(sizeof(ExchangeRate) == 12 && offsetof(ExchangeRate, selling) == 4 &&
                  offsetof(ExchangeRate, middle) == 8,
              "ExchangeRate layout");

}  // namespace zephyr
