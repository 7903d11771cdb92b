#include "host/MarketDigest.h"

#include "portable/Md5.h"

namespace zephyr::hostkit {

std::string ComputeMarketDigest(const MarketImage& image, const std::string& digest_in_hash) {
    if (image.market.size() != kMarketInfoSize) return std::string();
    std::string market = image.market;
    market[1] = 0;
    for (size_t i = 0; i < 4; ++i) market[kMarketTimeOffset + i] = 0;
    market.replace(kDigestOffset, kDigestSize, digest_in_hash.size() == kDigestSize
                                                   ? digest_in_hash
                                                   : std::string(kDigestSize, '\0'));
    portable::Md5 md5;
    md5.Update(market.data(), market.size());
    // Categories up to the count the market record gives (byte 12).
    const size_t categories = static_cast<uint8_t>(market[12]);
    for (size_t i = 0; i < categories && i < image.categories.size(); ++i) {
        md5.Update(image.categories[i].data(), image.categories[i].size());
    }
    const RecordBlock& codes = image.Of(Table::kCodes);
    const RecordBlock& prices = image.Of(Table::kPriceTable);
    md5.Update(codes.bytes.data(), codes.bytes.size());
    md5.Update(prices.bytes.data(), prices.bytes.size());
    return md5.Final();  // "" when any step failed
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

bool DigestOk(DigestCheck check) {
    return check == DigestCheck::kMatchesAfterStart || check == DigestCheck::kMatchesAfterReinit ||
           check == DigestCheck::kUnknownPrevious;
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
