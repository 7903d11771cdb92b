// The market digest: MD5 over what a host needs to hold the same market as the driver, stored in
// MarketInfo bytes 33-48 so that a host can tell whether its copy is current.
//
// Hashed, in this order: the 49-byte MarketInfo with its status byte and its market time zeroed
// (the digest bytes take part as they stand: zero after a start, the previous digest after a
// re-initialisation); every category 0 .. category count - 1 that can be read (13 bytes each);
// every code record (79 bytes each); the 960-byte price table.
#pragma once
#include <cstdint>

#include "market/Records.h"

namespace zephyr {

class Market;
class CodeTable;

constexpr uint32_t kMarketDigestSize = 16;

// The digest over the current market, tables and price table (nothing is changed).
void ComputeMarketDigest(Market& market, CodeTable& codes, const PriceTable& prices,
                         uint8_t digest[kMarketDigestSize]);
// ComputeMarketDigest, then stored into the market record.
void ComputeMarketChecksum(Market& market, CodeTable& codes, const PriceTable& prices);

}  // namespace zephyr
