// The same options give the same bytes everywhere; a refresh moves only the shares that traded
// since the file's time, and moves the header time.
#include <set>

#include "SampleDayFixture.h"
#include "tools/sampleday/Day.h"

namespace zephyr::sampleday::testing {
namespace {

const char* const kTextFiles[] = {"data/reff041210.txt", "data/mktdt04.txt", "data/trdses04.txt",
                                  "data/exra041210.txt", "data/zxjc1210.txt", "holiday.ini",
                                  "hsindexconfig.ini",   "namehk.dbf",       "lonkind.cfg",
                                  "lonkind1.cfg",        "lonkind2.cfg",     "sampleday-manifest.tsv"};

uint64_t Fnv1a(const std::string& bytes, uint64_t h = 0xCBF29CE484222325ull) {
    for (unsigned char c : bytes) h = (h ^ c) * 0x100000001B3ull;
    return h;
}

uint64_t DigestOfDay(const std::string& dir) {
    uint64_t h = 0xCBF29CE484222325ull;
    for (const char* name : kTextFiles) h = Fnv1a(Slurp(dir + "/" + name), h);
    return h;
}

std::map<std::string, std::string> ShareLinesByCode(const std::string& dir) {
    std::map<std::string, std::string> lines;
    for (const std::string& line : Lines(Slurp(InData(dir, kMarketDataFile))))
        if (line.compare(0, 6, "MD401|") == 0) lines[line.substr(6, 5)] = line;
    return lines;
}

TEST(SampleDayDeterminism, SameOptionsGiveTheSameBytesOnEveryPlatform) {
    ScratchDir a, b, c;
    std::string error;
    ASSERT_TRUE(WriteSampleDay(SmallDay(7), a.path(), error)) << error;
    ASSERT_TRUE(WriteSampleDay(SmallDay(7), b.path(), error)) << error;
    ASSERT_TRUE(WriteSampleDay(SmallDay(8), c.path(), error)) << error;
    for (const char* name : kTextFiles)
        EXPECT_EQ(Slurp(a.path() + "/" + name), Slurp(b.path() + "/" + name)) << name;
    EXPECT_NE(Slurp(InData(a.path(), kMarketDataFile)), Slurp(InData(c.path(), kMarketDataFile)));

    // Pinned so the i386 and the 64-bit build are held to the same output. A deliberate change
    // of the generated day changes this value.
    EXPECT_EQ(DigestOfDay(a.path()), 0xc1754c743bb46ff4ull) << std::hex << DigestOfDay(a.path());
}

class SampleDayRefresh : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        std::string error;
        ASSERT_TRUE(WriteSampleDay(options, dir.path(), error)) << error;
    }
    Options options = SmallDay();
    ScratchDir dir;
};

TEST_F(SampleDayRefresh, MovesOnlySharesThatTradedAndTheHeaderTime) {
    const std::string before = Slurp(InData(dir.path(), kMarketDataFile));
    const std::string status = Slurp(InData(dir.path(), kSessionStatusFile));
    const auto oldLines = ShareLinesByCode(dir.path());
    std::string error;
    ASSERT_TRUE(RefreshMarketData(options, dir.path(), 103000, error)) << error;
    const std::string after = Slurp(InData(dir.path(), kMarketDataFile));
    const auto newLines = ShareLinesByCode(dir.path());

    uint32_t date = 0, time = 0;
    ASSERT_TRUE(MarketDataStamp(after, date, time));
    EXPECT_EQ(date, 20261210u);
    EXPECT_EQ(time, 103000u);
    EXPECT_EQ(after.size(), before.size()) << "fixed-width lines";
    EXPECT_EQ(Slurp(InData(dir.path(), kSessionStatusFile)), status) << "only the market data file is rewritten";

    // The chosen subset: the shares with trades between 10:00:00 and 10:30:00.
    const Day day = BuildDay(options.date, options.seed, options.shares);
    std::set<std::string> traded, changed;
    for (const Share& s : day.shares)
        if (QuoteAt(day, s, 103000).trades != QuoteAt(day, s, 100000).trades) traded.insert(s.code);
    ASSERT_EQ(newLines.size(), oldLines.size());
    for (const auto& [code, line] : newLines) {
        ASSERT_TRUE(oldLines.count(code));
        if (oldLines.at(code) == line) continue;
        changed.insert(code);
        const std::vector<std::string> was = Fields(oldLines.at(code), true), now = Fields(line, true);
        EXPECT_GT(std::strtoull(now[4].c_str(), nullptr, 10), std::strtoull(was[4].c_str(), nullptr, 10))
            << code << ": volume must grow";
        EXPECT_EQ(now[6], was[6]) << code << ": the previous close stays";
    }
    EXPECT_EQ(changed, traded);
    EXPECT_GT(changed.size(), 0u);
    EXPECT_LT(changed.size(), newLines.size());

    // The manifest follows the refreshed file.
    EXPECT_NE(Slurp(dir.path() + "/" + kManifestFile).find("time=103000"), std::string::npos);
}

TEST_F(SampleDayRefresh, RefusesWhatTheDriverWouldIgnoreAndKeepsTheFile) {
    const std::string before = Slurp(InData(dir.path(), kMarketDataFile));
    struct Case {
        const char* what;
        uint32_t date;
        uint64_t seed;
        uint32_t shares;
        uint32_t time;
    };
    const Case cases[] = {
        {"same time", 20261210, 7, 300, 100000},     {"earlier time", 20261210, 7, 300, 95959},
        {"not a time", 20261210, 7, 300, 106000},    {"another day", 20261211, 7, 300, 110000},
        {"another seed", 20261210, 8, 300, 110000},  {"another size", 20261210, 7, 301, 110000},
    };
    for (const Case& c : cases) {
        Options o = options;
        o.date = c.date;
        o.seed = c.seed;
        o.shares = c.shares;
        std::string error;
        EXPECT_FALSE(RefreshMarketData(o, dir.path(), c.time, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(Slurp(InData(dir.path(), kMarketDataFile)), before) << c.what;
    }
    ScratchDir empty;
    std::string error;
    EXPECT_FALSE(RefreshMarketData(options, empty.path(), 110000, error));
}

TEST(SampleDayOptions, RejectsOutOfRangeValues) {
    struct Case {
        const char* what;
        uint32_t date, shares, time;
    };
    const Case cases[] = {
        {"month 13", 20261310, 300, 100000}, {"30 February", 20260230, 300, 100000},
        {"no shares", 20261210, 0, 100000},  {"too many shares", 20261210, kMaxShares + 1, 100000},
        {"minute 60", 20261210, 300, 106000},
    };
    for (const Case& c : cases) {
        Options o = SmallDay();
        o.date = c.date;
        o.shares = c.shares;
        o.time = c.time;
        ScratchDir dir;
        std::string error;
        EXPECT_FALSE(WriteSampleDay(o, dir.path(), error)) << c.what;
        EXPECT_FALSE(std::filesystem::exists(InData(dir.path(), kMarketDataFile))) << c.what;
    }
}

TEST(SampleDayQuotes, LaterTimesOnlyAddTrades) {
    const Day day = BuildDay(20261210, 3, 200);
    const uint32_t times[] = {90000, 92000, 93000, 100000, 120000, 123000, 130000, 160000, 170000};
    for (const Share& s : day.shares) {
        Quote previous = QuoteAt(day, s, times[0]);
        EXPECT_EQ(previous.volume, 0u) << s.code << " traded before the opening auction";
        for (uint32_t t : times) {
            const Quote q = QuoteAt(day, s, t);
            EXPECT_GE(q.volume, previous.volume) << s.code << " at " << t;
            EXPECT_GE(q.amountMilli, previous.amountMilli) << s.code << " at " << t;
            EXPECT_EQ(q.prevClose, s.prevClose);
            previous = q;
        }
        // Nothing trades in the lunch break or after the close.
        EXPECT_EQ(QuoteAt(day, s, 125959).trades, QuoteAt(day, s, 120000).trades) << s.code;
        EXPECT_EQ(QuoteAt(day, s, 170000).trades, QuoteAt(day, s, 160000).trades) << s.code;
    }
}

}  // namespace
}  // namespace zephyr::sampleday::testing
