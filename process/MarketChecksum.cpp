#include "process/MarketChecksum.h"

// MD5_Init / MD5_Update / MD5_Final are the interface the digest is defined by; OpenSSL 3 marks
// them deprecated in favour of EVP, which computes the same bytes.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md5.h>

#include <cstring>

#include "market/CodeTable.h"
#include "market/Market.h"
#include "foundation/PackedCodec.h"

namespace zephyr {

namespace {

// Code records are copied out in blocks so that the table lock is taken once per block.
constexpr uint32_t kCodeBlock = 128;

}  // namespace

void ComputeMarketDigest(Market& market, CodeTable& codes, const PriceTable& prices,
                         uint8_t digest[kMarketDigestSize]) {
    MD5_CTX context;
    MD5_Init(&context);

    MarketInfo info;
    market.GetInfo(&info);
    info.status = 0;
    info.time = 0;
    uint8_t info_bytes[sizeof(MarketInfo)];
    EncodeRecord(info, info_bytes);
    MD5_Update(&context, info_bytes, sizeof info_bytes);

    for (int32_t i = 0; i < info.category_count; ++i) {
        CategoryInfo category;
        if (market.GetCategory(&category, i) != 1) continue;
        uint8_t bytes[sizeof(CategoryInfo)];
        EncodeRecord(category, bytes);
        MD5_Update(&context, bytes, sizeof bytes);
    }

    CodeEntry block[kCodeBlock];
    for (uint32_t start = 0;;) {
        const uint32_t n = codes.CopyRange(block, start, kCodeBlock);
        if (n == 0) break;
        for (uint32_t j = 0; j < n; ++j) {
            uint8_t bytes[sizeof(CodeEntry)];
            EncodeRecord(block[j], bytes);
            MD5_Update(&context, bytes, sizeof bytes);
        }
        start += n;
    }

    uint8_t price_bytes[sizeof(PriceTable)];
    EncodeRecord(prices, price_bytes);
    MD5_Update(&context, price_bytes, sizeof price_bytes);

    MD5_Final(digest, &context);
}

void ComputeMarketChecksum(Market& market, CodeTable& codes, const PriceTable& prices) {
    uint8_t digest[kMarketDigestSize];
    ComputeMarketDigest(market, codes, prices, digest);
    market.SetDigest(digest);
}

}  // namespace zephyr
