#include <cstring>

#include "tools/sampleday/Format.h"
#include "tools/sampleday/Text.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

bool ShareLine(const Share& share, const Quote& q, std::string& out, std::string& error) {
    std::string name;
    if (!GbkToUtf16le(share.nameGbk, name) || name.size() > kNameBytes) {
        error = "name of " + share.code + " does not convert to UTF-16LE";
        return false;
    }
    name.resize(kNameBytes, '\0');
    auto price = [](uint32_t p) { return "|" + Right(Thousandths(p), kPriceWidth); };
    out = "MD401|" + share.code + "|" + name + "|" + Left(share.english, kEnglishWidth) + "|" +
          Right(Number(q.volume), kVolumeWidth) + "|" + Right(Thousandths(q.amountMilli), kAmountWidth) +
          price(q.prevClose) + price(q.nominal) + price(q.high) + price(q.low) + price(q.last) +
          price(q.bid) + "|" + Right(Number(q.bidVolume), kBookVolumeWidth) + price(q.ask) + "|" +
          Right(Number(q.askVolume), kBookVolumeWidth);
    return true;
}

bool MarketDataText(const Day& day, uint32_t hhmmss, std::string& out, std::string& error) {
    std::string body;
    body.reserve(day.shares.size() * kShareLineBytes);
    std::string line;
    for (const Share& share : day.shares) {
        if (!ShareLine(share, QuoteAt(day, share, hhmmss), line, error)) return false;
        body += line;
        body += '\n';
    }
    out = HeaderLine("MKTDT04", day.date, hhmmss, day.shares.size(), body.size(),
                     MarketState(day, hhmmss)) +
          body + kTrailerLine;
    return true;
}

}  // namespace zephyr::sampleday
