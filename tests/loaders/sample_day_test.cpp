// A generated full-size trading day through every loader, checked against the generator's own
// manifest and day model; then a later market data file of the same day.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "loaders/HKMExraLoader.h"
#include "loaders/HKMktdtLoader.h"
#include "loaders/HKRefDbf.h"
#include "loaders/HKTrdsesLoader.h"
#include "loaders/HKZxjcLoader.h"
#include "market/CodeRules.h"
#include "tools/sampleday/Day.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/ManifestReader.h"
#include "tools/sampleday/Output.h"
#include "tools/sampleday/SampleDay.h"
#include "tools/sampleday/Text.h"
#include "LoaderTestHost.h"

namespace zephyr::testing {
namespace {

using sampleday::InData;
using sampleday::InDir;

constexpr uint32_t kDate = 20141208;
constexpr uint64_t kSeed = 20141208;
constexpr uint32_t kShares = 2600;

// The generator's manifest: one row per share, by column name.
sampleday::Manifest Manifest(const std::string& dir) {
    sampleday::Manifest rows;
    EXPECT_TRUE(sampleday::ReadManifest(dir, rows));
    return rows;
}

uint64_t Number(const sampleday::ManifestRow& row, const char* column) {
    return sampleday::ManifestNumber(row, column);
}

std::string Text(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

// The quote fields a snapshot carries from the file (the last price, not the nominal one).
std::string QuoteKey(const std::map<std::string, std::string>& row) {
    std::string key;
    for (const char* column : {"last", "high", "low", "volume", "turnover", "bid", "bid_volume", "ask", "ask_volume"})
        key += row.at(column) + "/";
    return key;
}

void ExpectSnapshotMatches(const Snapshot& s, const std::map<std::string, std::string>& row) {
    EXPECT_EQ(+s.previous_close, Number(row, "prev_close"));
    EXPECT_EQ(+s.open, s.previous_close != 0 ? +s.previous_close : +s.last);
    EXPECT_EQ(+s.last, Number(row, "last"));
    EXPECT_EQ(+s.high, Number(row, "high"));
    EXPECT_EQ(+s.low, Number(row, "low"));
    EXPECT_EQ(+s.volume, Number(row, "volume"));
    EXPECT_DOUBLE_EQ(s.amount, std::strtod(row.at("turnover").c_str(), nullptr));
    EXPECT_EQ(+s.bid_price, Number(row, "bid"));
    EXPECT_EQ(+s.bid_volume, Number(row, "bid_volume"));
    EXPECT_EQ(+s.ask_price, Number(row, "ask"));
    EXPECT_EQ(+s.ask_volume, Number(row, "ask_volume"));
}

TEST(SampleDay, FullDayLoadsAndALaterFileUpdatesOnlyChangedQuotes) {
    LoaderTestHost host;
    host.SetTime(2014, 12, 8, 10, 0, 0);
    const std::string dir = host.folder.Path();
    sampleday::Options options;
    options.date = kDate;
    options.seed = kSeed;
    options.shares = kShares;
    options.time = 100000;
    std::string error;
    ASSERT_TRUE(sampleday::WriteSampleDay(options, dir, error)) << error;
    const std::string data = dir + "/" + sampleday::kDataDir;
    host.settings.reff = data.c_str();
    host.settings.exra = data.c_str();
    host.settings.price_tb = data.c_str();
    host.settings.mktdt = InData(dir, sampleday::kMarketDataFile).c_str();
    host.settings.trdses = InData(dir, sampleday::kSessionStatusFile).c_str();
    ASSERT_EQ(host.short_names.LoadAll(InDir(dir, sampleday::kShortNameFile).c_str()), 1);

    HKMktdtLoader market_data(host);
    HKRefDbf reference(host, market_data);
    HKTrdsesLoader status(host, market_data);
    HKMExraLoader rates(host);
    HKZxjcLoader spreads(host);

    // Initialisation: the tables hold every share of the day.
    ASSERT_EQ(reference.Instance(), 0);
    const auto manifest = Manifest(dir);
    ASSERT_EQ(manifest.size(), kShares);
    EXPECT_EQ(host.codes.Count(), kShares);
    EXPECT_EQ(host.snapshots.Count(), kShares);
    EXPECT_EQ(host.statuses.Count(), kShares);
    EXPECT_EQ(market_data.DayCount(), kShares);
    EXPECT_EQ(host.CountLog("跳过超长行"), 0u);
    for (const auto& item : manifest) {
        const auto& row = item.second;
        char code[6] = {};
        memcpy(code, item.first.data(), 5);
        CodeEntry e;
        ASSERT_TRUE(host.codes.GetByCode(&e, code)) << code;
        EXPECT_EQ(sampleday::Hex(Text(e.full_name, 16)), row.at("name_gbk_hex")) << code;
        EXPECT_EQ(Text(e.second_name, 16), row.at("english").substr(0, 16)) << code;
        EXPECT_EQ(e.currency, CurrencyNumber(row.at("currency").c_str())) << code;
        const std::string short_name = row.at("short_name_gbk_hex");
        EXPECT_EQ(sampleday::Hex(Text(e.short_name, 8)), short_name.empty() ? sampleday::Hex(item.first) : short_name)
            << code;
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, code));
        EXPECT_EQ(+s.previous_close, Number(row, "prev_close")) << code;
    }

    // The day's rates, spreads and (once working) statuses.
    const sampleday::Day day = sampleday::BuildDay(kDate, kSeed, kShares);
    EXPECT_EQ(rates(true), 0);
    const ExchangeRate got = host.rates.Copy();
    EXPECT_EQ(+got.buying, day.buyRate);
    EXPECT_EQ(+got.selling, day.sellRate);
    EXPECT_EQ(+got.middle, day.midRate);
    EXPECT_EQ(spreads.Instance(host.prices), 0);
    const auto& classes = sampleday::SpreadClasses();
    for (size_t c = 0; c < classes.size(); ++c) {
        const PriceSection& section = host.prices.sections[c];
        EXPECT_EQ(std::string(section.price_code, 2), classes[c].code);
        EXPECT_EQ(static_cast<uint32_t>(section.lowest_limit), classes[c].lowest);
        EXPECT_EQ(static_cast<size_t>(section.level_count), classes[c].levels.size());
        for (size_t l = 0; l < classes[c].levels.size() && l < kPriceLevels; ++l) {
            EXPECT_EQ(static_cast<uint32_t>(section.levels[l].lower_bound), classes[c].levels[l].lower);
            EXPECT_EQ(static_cast<uint32_t>(section.levels[l].spread), classes[c].levels[l].spread);
        }
    }

    host.working = true;
    EXPECT_EQ(status.Instance(true), 0);
    const int64_t remaining_quota = status.KeptQuotaStatus().remaining_quota;  // packed field: a copy
    EXPECT_EQ(remaining_quota, static_cast<int64_t>(sampleday::RemainingQuota(day, 100000)));
    EXPECT_EQ(std::string(status.KeptQuotaStatus().trading_state, 8), sampleday::MarketState(day, 100000));
    for (const sampleday::Share& share : day.shares) {
        ProductStatus st;
        ASSERT_TRUE(host.statuses.Get(&st, host.statuses.FindCode(std::string(share.code + '\0').c_str())));
        EXPECT_EQ(std::string(st.board_lot_status, 8), sampleday::BoardLotState(day, share, 100000)) << share.code;
        EXPECT_EQ(std::string(st.odd_lot_status, 8), sampleday::OddLotState(day, share, 100000)) << share.code;
    }

    // The first refresh applies the quotes of the file and moves the market time.
    host.pushes.clear();
    EXPECT_EQ(market_data(HKMktdtLoader::kRefresh), 0);
    EXPECT_EQ(host.MarketTime(), 100000u);
    for (const auto& item : manifest) {
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, std::string(item.first + '\0').c_str()));
        SCOPED_TRACE(item.first);
        ExpectSnapshotMatches(s, item.second);
    }

    // A later file of the day: exactly the shares whose quotes changed are updated and pushed.
    ASSERT_TRUE(sampleday::RefreshMarketData(options, dir, 103000, error)) << error;
    const auto later = Manifest(dir);
    std::set<std::string> changed;
    for (const auto& item : later)
        if (QuoteKey(item.second) != QuoteKey(manifest.at(item.first))) changed.insert(item.first);
    ASSERT_FALSE(changed.empty());
    ASSERT_LT(changed.size(), kShares);
    host.SetTime(2014, 12, 8, 10, 30, 0);
    host.pushes.clear();
    EXPECT_EQ(market_data(HKMktdtLoader::kRefresh), 0);
    EXPECT_EQ(host.MarketTime(), 103000u);
    std::set<std::string> pushed;
    for (const PushedFrame& frame : host.pushes) {
        ASSERT_EQ(frame.type, MarketWriter::kSnapshotFrame);
        ASSERT_EQ(frame.data.size(), sizeof(Snapshot));
        pushed.insert(std::string(frame.data.data(), 5));
    }
    EXPECT_EQ(pushed, changed);
    EXPECT_EQ(host.pushes.size(), changed.size());
    for (const auto& item : later) {
        Snapshot s;
        ASSERT_TRUE(host.snapshots.GetByCode(&s, std::string(item.first + '\0').c_str()));
        SCOPED_TRACE(item.first);
        ExpectSnapshotMatches(s, item.second);
    }
}

}  // namespace
}  // namespace zephyr::testing
