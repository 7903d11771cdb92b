#include "host/MarketDigest.h"

#include <openssl/evp.h>

namespace zephyr::hostkit {

std::string ComputeMarketDigest(const MarketImage& image, const std::string& digest_in_hash) {
    if (image.market.size() != kMarketInfoSize) return std::string();
    std::string market = image.market;
    market[1] = 0;
    for (size_t i = 0; i < 4; ++i) market[kMarketTimeOffset + i] = 0;
    market.replace(kDigestOffset, kDigestSize, digest_in_hash.size() == kDigestSize
                                                   ? digest_in_hash
                                                   : std::string(kDigestSize, '\0'));
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (context == nullptr) return std::string();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    bool ok = EVP_DigestInit_ex(context, EVP_md5(), nullptr) == 1 &&
              EVP_DigestUpdate(context, market.data(), market.size()) == 1;
    // Categories up to the count the market record gives (byte 12).
    const size_t categories = static_cast<uint8_t>(market[12]);
    for (size_t i = 0; ok && i < categories && i < image.categories.size(); ++i) {
        ok = EVP_DigestUpdate(context, image.categories[i].data(), image.categories[i].size()) == 1;
    }
    const RecordBlock& codes = image.Of(Table::kCodes);
    const RecordBlock& prices = image.Of(Table::kPriceTable);
    ok = ok && EVP_DigestUpdate(context, codes.bytes.data(), codes.bytes.size()) == 1 &&
         EVP_DigestUpdate(context, prices.bytes.data(), prices.bytes.size()) == 1 &&
         EVP_DigestFinal_ex(context, digest, &size) == 1;
    EVP_MD_CTX_free(context);
    if (!ok) return std::string();
    return std::string(reinterpret_cast<const char*>(digest), size);
}

DigestCheck CheckMarketDigest(const MarketImage& image, const std::string& previous,
                              bool previous_known) {
    if (image.market.size() != kMarketInfoSize) return DigestCheck::kNoImage;
    const std::string stored = image.market.substr(kDigestOffset, kDigestSize);
    if (ComputeMarketDigest(image, std::string()) == stored) return DigestCheck::kMatchesAfterStart;
    if (previous.size() == kDigestSize && ComputeMarketDigest(image, previous) == stored) {
        return DigestCheck::kMatchesAfterReinit;
    }
    return previous_known ? DigestCheck::kDiffers : DigestCheck::kUnknownPrevious;
}

const char* DigestCheckText(DigestCheck check) {
    switch (check) {
        case DigestCheck::kMatchesAfterStart: return "matches";
        case DigestCheck::kMatchesAfterReinit: return "matches (over the previous digest)";
        case DigestCheck::kDiffers: return "DIFFERS";
        case DigestCheck::kNoImage: return "no market record";
        case DigestCheck::kUnknownPrevious: return "cannot be checked (re-initialised before this host held the market)";
    }
    return "?";
}

std::string HexBytes(const std::string& bytes) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

}  // namespace zephyr::hostkit
