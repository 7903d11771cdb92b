// The market digest a driver stores in its market record (bytes 33-48): MD5 over the market
// record with its status byte and market time zeroed, every category, every code record and the
// 960-byte price table, in that order. The digest bytes themselves take part as they stood when
// the driver computed it: zero after a start, the previous digest after a re-initialisation.
#pragma once
#include <string>

#include "host/MarketImage.h"

namespace zephyr::hostkit {

// The 16 digest bytes over an image, with `digest_in_hash` (16 bytes) standing in the digest
// field while hashing.
std::string ComputeMarketDigest(const MarketImage& image, const std::string& digest_in_hash);

enum class DigestCheck {
    kMatchesAfterStart,    // equal with the digest field zeroed
    kMatchesAfterReinit,   // equal with the previous digest in the field
    kDiffers,
    kNoImage,
    kUnknownPrevious,      // re-initialised before this host held the market: computed over a
                           // digest the host never saw
};

// Checks the digest stored in the image; `previous` is the digest before the last reset (empty
// when there was none), `previous_known` false when a reset came while the host held no market.
DigestCheck CheckMarketDigest(const MarketImage& image, const std::string& previous,
                              bool previous_known = true);
const char* DigestCheckText(DigestCheck check);
// No fault found in the digest: it matches, or this host cannot check it (kUnknownPrevious, a
// limit of the host, not a fault of the driver; DigestCheckText tells the two apart).
bool DigestOk(DigestCheck check);
std::string HexBytes(const std::string& bytes);

}  // namespace zephyr::hostkit
