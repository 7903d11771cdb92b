#include "process/MarketChecksum.h"

#include <cstring>

#include "market/CodeTable.h"
#include "market/Market.h"
#include "foundation/MMd5.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

// Code records are copied out in blocks so that the table lock is taken once per block.
constexpr uint32_t kCodeBlock = 128;

}  // namespace

void ComputeMarketDigest(Market& market, CodeTable& codes, const PriceTable& prices,
                         uint8_t digest[kMarketDigestSize]) {
    MMd5 context;

    MarketInfo info;
    market.GetInfo(&info);
    info.status = 0;
    info.time = 0;
    uint8_t info_bytes[sizeof(MarketInfo)];
    EncodeRecord(info, info_bytes);
    context.Update(info_bytes, sizeof info_bytes);

    for (int32_t i = 0; i < info.category_count; ++i) {
        CategoryInfo category;
        if (market.GetCategory(&category, i) != 1) continue;
        uint8_t bytes[sizeof(CategoryInfo)];
        EncodeRecord(category, bytes);
        context.Update(bytes, sizeof bytes);
    }

    CodeEntry block[kCodeBlock];
    for (uint32_t start = 0;;) {
        const uint32_t n = codes.CopyRange(block, start, kCodeBlock);
        if (n == 0) break;
        for (uint32_t j = 0; j < n; ++j) {
            uint8_t bytes[sizeof(CodeEntry)];
            EncodeRecord(block[j], bytes);
            context.Update(bytes, sizeof bytes);
        }
        start += n;
    }

    uint8_t price_bytes[sizeof(PriceTable)];
    EncodeRecord(prices, price_bytes);
    context.Update(price_bytes, sizeof price_bytes);

    context.Final(digest);
}

void ComputeMarketChecksum(Market& market, CodeTable& codes, const PriceTable& prices) {
    uint8_t digest[kMarketDigestSize];
    ComputeMarketDigest(market, codes, prices, digest);
    market.SetDigest(digest);
}

}  // namespace zephyr
