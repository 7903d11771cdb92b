// The files of a sample day parse as the driver's readers expect them.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>

#include "SampleDayFixture.h"
#include "tools/sampleday/Day.h"
#include "tools/sampleday/Text.h"

namespace zephyr::sampleday::testing {
namespace {

bool Digits(const std::string& s, size_t n) {
    return s.size() == n && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string Trim(const std::string& s) {
    const size_t a = s.find_first_not_of(' ');
    const size_t b = s.find_last_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

uint64_t Milli(const std::string& decimal) {  // "123.456" -> 123456, exactly
    std::string t = Trim(decimal);
    const size_t dot = t.find('.');
    EXPECT_NE(dot, std::string::npos) << decimal;
    EXPECT_EQ(t.size() - dot, 4u) << decimal;
    t.erase(dot, 1);
    return std::strtoull(t.c_str(), nullptr, 10);
}

// The UTF-16LE units of a name field up to the first 0x0000.
std::string Utf16Name(const std::string& field) {
    size_t n = 0;
    while (n + 1 < field.size() && (field[n] || field[n + 1])) n += 2;
    return field.substr(0, n);
}

class SampleDayFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(dir.path().empty());
        std::string error;
        ASSERT_TRUE(WriteSampleDay(options, dir.path(), error, &written)) << error;
        for (const std::string& line : Lines(Slurp(InData(dir.path(), kMarketDataFile))))
            if (line.compare(0, 6, "MD401|") == 0) shares.push_back(Fields(line, true));
        ASSERT_EQ(shares.size(), options.shares);
    }

    // Reference data fields by code.
    std::map<std::string, std::vector<std::string>> ReferenceLines() {
        std::map<std::string, std::vector<std::string>> byCode;
        for (const std::string& line : Lines(Slurp(InData(dir.path(), ReferenceFileName(options.date)))))
            if (line.compare(0, 6, "R0401|") == 0) byCode[Fields(line)[1]] = Fields(line);
        return byCode;
    }

    Options options = SmallDay();
    ScratchDir dir;
    std::vector<std::string> written;
    std::vector<std::vector<std::string>> shares;  // share lines of the market data file, split
};

TEST_F(SampleDayFiles, WritesEveryFileUnderItsDefaultName) {
    const std::set<std::string> expected = {
        "data/reff041210.txt", "data/mktdt04.txt",  "data/trdses04.txt", "data/exra041210.txt",
        "data/zxjc1210.txt",   "holiday.ini",       "hsindexconfig.ini", "namehk.dbf",
        "lonkind.cfg",         "lonkind1.cfg",      "lonkind2.cfg",      "sampleday-manifest.tsv"};
    EXPECT_EQ(std::set<std::string>(written.begin(), written.end()), expected);
    for (const std::string& name : expected) EXPECT_TRUE(std::filesystem::exists(dir.path() + "/" + name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/Zephyr.ini"));

    // On request also the driver ini that names the two files without a default name.
    ScratchDir other;
    Options withIni = options;
    withIni.driverIni = true;
    std::string error;
    ASSERT_TRUE(WriteSampleDay(withIni, other.path(), error)) << error;
    const std::string ini = Slurp(other.path() + "/Zephyr.ini");
    EXPECT_NE(ini.find("Mktdt = ./data/mktdt04.txt\r\n"), std::string::npos);
    EXPECT_NE(ini.find("Trdses = ./data/trdses04.txt\r\n"), std::string::npos);
}

TEST_F(SampleDayFiles, MarketDataLinesHaveTheFieldCountAndFixedWidths) {
    const std::vector<std::string> lines = Lines(Slurp(InData(dir.path(), kMarketDataFile)));
    ASSERT_EQ(lines.size(), options.shares + 2);
    const std::vector<std::string> header = Fields(lines.front());
    ASSERT_EQ(header.size(), 9u);
    EXPECT_EQ(header[0], "HEADER");
    EXPECT_EQ(header[6].substr(0, 17), "20261210-10:00:00");
    EXPECT_EQ(Trim(header[3]), std::to_string(options.shares));
    EXPECT_EQ(Trim(header[2]), std::to_string(options.shares * kShareLineBytes));
    EXPECT_EQ(header[8].size(), 8u);
    EXPECT_EQ(lines.back(), "TRAILER");

    // Widths of fields 3..14.
    const size_t widths[] = {kEnglishWidth, kVolumeWidth, kAmountWidth, kPriceWidth, kPriceWidth,
                             kPriceWidth,   kPriceWidth,  kPriceWidth,  kPriceWidth, kBookVolumeWidth,
                             kPriceWidth,   kBookVolumeWidth};
    std::string previous;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].substr(0, 11));
        EXPECT_EQ(lines[i].size() + 1, kShareLineBytes);
        const std::vector<std::string> f = Fields(lines[i], true);
        ASSERT_EQ(f.size(), kShareFieldCount);
        EXPECT_EQ(f[0], "MD401");
        EXPECT_TRUE(Digits(f[1], kCodeWidth));
        EXPECT_GT(f[1], previous);  // ascending, so no code twice
        previous = f[1];
        EXPECT_EQ(f[2].size(), kNameBytes);
        for (size_t k = 3; k < kShareFieldCount; ++k) EXPECT_EQ(f[k].size(), widths[k - 3]) << "field " << k;
    }
}

TEST_F(SampleDayFiles, QuotesArePlausible) {
    std::map<std::string, int> spreadClass;
    for (const auto& [code, f] : ReferenceLines()) spreadClass[code] = std::atoi(f[15].c_str());
    size_t traded = 0;
    for (const auto& f : shares) {
        SCOPED_TRACE(f[1]);
        const int cls = spreadClass[f[1]];
        ASSERT_GE(cls, 1);
        ASSERT_LE(cls, 3);
        const uint64_t volume = std::strtoull(f[4].c_str(), nullptr, 10);
        const uint64_t amount = Milli(f[5]);
        const uint32_t prev = Price(f[6]), high = Price(f[8]), low = Price(f[9]), last = Price(f[10]);
        const uint32_t bid = Price(f[11]), ask = Price(f[13]);
        EXPECT_GT(prev, 0u);
        for (uint32_t p : {prev, Price(f[7]), high, low, last, bid, ask})
            if (p) {
                EXPECT_EQ(SnapToGrid(cls, p), p) << "off the price grid: " << p;
            }
        if (volume == 0) {
            EXPECT_EQ(amount, 0u);
            EXPECT_EQ(high | low | last, 0u);
            continue;
        }
        ++traded;
        EXPECT_LE(low, last);
        EXPECT_LE(last, high);
        EXPECT_LE(volume * low, amount);
        EXPECT_GE(volume * high, amount);
        if (bid && ask) {
            EXPECT_LT(bid, ask);
        }
    }
    EXPECT_GT(traded, shares.size() / 2);
    EXPECT_LT(traded, shares.size());
}

TEST_F(SampleDayFiles, NamesRoundTripBetweenGbkAndUtf16) {
    const auto reference = ReferenceLines();
    size_t namesWithBar = 0;
    for (const auto& f : shares) {
        SCOPED_TRACE(f[1]);
        const std::string utf16 = Utf16Name(f[2]);
        ASSERT_FALSE(utf16.empty());
        EXPECT_EQ(f[2].substr(utf16.size()), std::string(kNameBytes - utf16.size(), '\0'));
        std::string gbk, back;
        ASSERT_TRUE(Utf16leToGbk(utf16, gbk));
        ASSERT_TRUE(GbkToUtf16le(gbk, back));
        EXPECT_EQ(back, utf16);
        EXPECT_LE(gbk.size(), 16u);
        ASSERT_TRUE(reference.count(f[1]));
        EXPECT_EQ(gbk, reference.at(f[1])[3]) << "market data and reference data disagree on the name";
        namesWithBar += utf16.find('|') != std::string::npos;
    }
    EXPECT_GT(namesWithBar, 0u) << "no name holds the byte '|': the fixture misses that case";
}

TEST_F(SampleDayFiles, ReferenceDataAgreesWithMarketDataAndRates) {
    const std::vector<std::string> lines = Lines(Slurp(InData(dir.path(), ReferenceFileName(options.date))));
    EXPECT_EQ(Fields(lines.front())[0], "HEADER");
    EXPECT_EQ(lines.back(), "TRAILER");
    const auto reference = ReferenceLines();
    for (const auto& [code, f] : reference) {
        SCOPED_TRACE(code);
        ASSERT_EQ(f.size(), 19u);
        EXPECT_TRUE(Digits(code, 5));
        EXPECT_LE(f[3].size(), 16u);
        EXPECT_LE(f[4].size(), 16u);
        EXPECT_TRUE(f[9] == "HKD" || f[9] == "CNY" || f[9] == "USD") << f[9];
        EXPECT_GT(std::atoi(f[14].c_str()), 0);
        EXPECT_LE(f[18].size(), 8u);
    }
    EXPECT_GT(reference.size(), shares.size()) << "no listed instrument that is not trading today";
    for (const auto& f : shares) {
        ASSERT_TRUE(reference.count(f[1])) << f[1];
        EXPECT_EQ(Price(reference.at(f[1])[16]), Price(f[6])) << f[1] << " previous close";
    }

    std::vector<std::string> rateLines;
    for (const std::string& line : lines)
        if (line.compare(0, 6, "R0402|") == 0) rateLines.push_back(line);
    ASSERT_EQ(rateLines.size(), 1u);
    std::vector<std::string> exra;
    for (const std::string& line : Lines(Slurp(InData(dir.path(), RateFileName(options.date)))))
        if (line.compare(0, 6, "R0402|") == 0) exra = Fields(line);
    ASSERT_GE(exra.size(), 4u);
    const double buy = std::strtod(exra[1].c_str(), nullptr), sell = std::strtod(exra[2].c_str(), nullptr);
    const double mid = std::strtod(exra[3].c_str(), nullptr);
    EXPECT_LT(buy, mid);
    EXPECT_LT(mid, sell);
    EXPECT_EQ(Fields(rateLines[0])[1], exra[3]);
}

TEST_F(SampleDayFiles, ManifestMatchesTheMarketDataFile) {
    const auto reference = ReferenceLines();
    const std::vector<std::string> lines = Lines(Slurp(dir.path() + "/" + kManifestFile));
    ASSERT_EQ(lines.size(), shares.size() + 2);
    EXPECT_EQ(lines[0].compare(0, 1, "#"), 0);
    const std::vector<std::string> names = Split(lines[1], '\t');
    auto column = [&](const char* name) {
        return size_t(std::find(names.begin(), names.end(), name) - names.begin());
    };
    for (size_t i = 0; i < shares.size(); ++i) {
        const std::vector<std::string> row = Split(lines[i + 2], '\t');
        ASSERT_EQ(row.size(), names.size());
        const auto& f = shares[i];
        SCOPED_TRACE(f[1]);
        EXPECT_EQ(row[column("code")], f[1]);
        EXPECT_EQ(row[column("name_gbk_hex")], Hex(reference.at(f[1])[3]));
        EXPECT_EQ(row[column("prev_close")], std::to_string(Price(f[6])));
        EXPECT_EQ(row[column("nominal")], std::to_string(Price(f[7])));
        EXPECT_EQ(row[column("last")], std::to_string(Price(f[10])));
        EXPECT_EQ(row[column("volume")], Trim(f[4]));
        EXPECT_EQ(row[column("turnover")], Trim(f[5]));
    }
}

TEST_F(SampleDayFiles, SessionStatusFileListsEveryShare) {
    const std::vector<std::string> lines = Lines(Slurp(InData(dir.path(), kSessionStatusFile)));
    ASSERT_GE(lines.size(), 3u);
    const std::vector<std::string> header = Fields(lines[0]);
    ASSERT_EQ(header.size(), 9u);
    EXPECT_EQ(header[0].substr(1, 4), "EADE");
    EXPECT_EQ(header[6].substr(0, 9), "20261210-");
    EXPECT_EQ(header[8], "CT      ");
    const std::vector<std::string> quota = Fields(lines[1]);  // right after the header
    ASSERT_EQ(quota.size(), 4u);
    EXPECT_EQ(quota[0].substr(1, 4), "D402");
    EXPECT_LE(std::strtoll(quota[2].c_str(), nullptr, 10), std::strtoll(quota[1].c_str(), nullptr, 10));
    EXPECT_GT(std::strtoll(quota[2].c_str(), nullptr, 10), 0);
    EXPECT_EQ(lines.back(), "TRAILER");

    std::set<std::string> codes;
    for (size_t i = 2; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> f = Fields(lines[i]);
        ASSERT_EQ(f.size(), 4u) << lines[i];
        EXPECT_EQ(f[0].substr(1, 4), "D403");
        EXPECT_TRUE(Digits(f[1], 5));
        EXPECT_EQ(f[2].size(), 8u);
        EXPECT_EQ(f[3].size(), 8u);
        codes.insert(f[1]);
    }
    for (const auto& f : shares) EXPECT_TRUE(codes.count(f[1])) << f[1];
}

TEST_F(SampleDayFiles, SpreadFileHoldsThreeConsistentClasses) {
    const std::vector<std::string> lines = Lines(Slurp(InData(dir.path(), SpreadFileName(options.date))));
    std::set<char> sections;
    for (const std::string& line : lines) {
        if (line.size() + 1 <= 9) continue;  // short lines such as "TRAILER" are skipped by the reader
        const std::vector<std::string> f = Fields(line);
        ASSERT_GE(f.size(), 9u) << line;
        EXPECT_EQ(f[0].substr(1, 4), "0403") << "a longer line that is not a spread line stops the reader";
        ASSERT_EQ(f[1].size(), 2u);
        sections.insert(f[1][1]);
        const size_t levels = size_t(std::atoi(f[5].c_str()));
        EXPECT_EQ((f.size() - 6) % 3, 0u);
        EXPECT_EQ(levels, (f.size() - 6) / 3);
        EXPECT_LE(levels, 52u);
        EXPECT_EQ(Price(f[6]), Price(f[2])) << "the first level starts at the lowest price";
        for (size_t k = 0; k < levels; ++k) {
            EXPECT_GT(Price(f[7 + 3 * k]), 0u);
            EXPECT_LT(Price(f[6 + 3 * k]), Price(f[8 + 3 * k]));
            if (k > 0) {
                EXPECT_EQ(Price(f[6 + 3 * k]), Price(f[5 + 3 * k])) << "levels join";
            }
        }
    }
    EXPECT_EQ(sections, (std::set<char>{'1', '2', '3'}));
    EXPECT_EQ(lines.back(), "TRAILER");
}

TEST_F(SampleDayFiles, TradingHoursFilesHoldTheSessionsOfTheirPeriod) {
    struct Case {
        const char* file;
        uint16_t values[4];
    };
    const Case cases[] = {{"lonkind.cfg", {1000, 1230, 1430, 1600}},
                          {"lonkind1.cfg", {930, 1200, 1330, 1600}},
                          {"lonkind2.cfg", {930, 1200, 1300, 1600}}};
    for (const Case& c : cases) {
        const std::string b = Slurp(dir.path() + "/" + c.file);
        ASSERT_EQ(b.size(), 16u + 3 * 2048) << c.file;
        for (int k = 0; k < 4; ++k) {
            const unsigned v = uint8_t(b[4122 + 2 * k]) | uint8_t(b[4123 + 2 * k]) << 8;
            EXPECT_EQ(v, c.values[k]) << c.file << " value " << k;
        }
    }
}

TEST_F(SampleDayFiles, HolidayFileListsWeekdaysOfSeveralYears) {
    // 25 December 2026 is a Friday and a holiday; as the generated day it must stay a trading day.
    ScratchDir other;
    Options christmas = options;
    christmas.date = 20261225;
    std::string error;
    ASSERT_TRUE(WriteSampleDay(christmas, other.path(), error)) << error;
    const std::vector<std::string> lines = Lines(Slurp(other.path() + "/" + kHolidayFile));

    std::vector<std::string> sections;
    std::set<uint32_t> dates;
    int year = 0;
    for (std::string line : lines) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            sections.push_back(line);
            year = std::atoi(line.c_str() + 8);
            continue;
        }
        const size_t eq = line.find('=');
        ASSERT_EQ(eq, 2u) << "month keys have two digits: " << line;
        const int month = std::atoi(line.substr(0, 2).c_str());
        ASSERT_TRUE(month >= 1 && month <= 12) << line;
        for (const std::string& day : Split(line.substr(eq + 1), ','))
            dates.insert(uint32_t(year * 10000 + month * 100 + std::atoi(day.c_str())));
    }
    EXPECT_EQ(sections, (std::vector<std::string>{"[zephyr.2025]", "[zephyr.2026]", "[zephyr.2027]"}));
    EXPECT_LE(dates.size(), 120u) << "the driver keeps at most 120 dates";
    EXPECT_GT(dates.size(), 20u);
    for (uint32_t d : dates) {
        EXPECT_TRUE(ValidDate(d)) << d;
        EXPECT_NE(Weekday(d), 0) << d;
        EXPECT_NE(Weekday(d), 6) << d;
    }
    EXPECT_FALSE(dates.count(20261225));
    EXPECT_TRUE(dates.count(20251225));
    EXPECT_TRUE(dates.count(20270101));
}

TEST_F(SampleDayFiles, IndexConfigurationNamesSixColumnsAndIndexCodes) {
    const std::vector<std::string> lines = Lines(Slurp(dir.path() + "/" + kIndexConfigFile));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], "代码=英文简称=中文简称=中文全称=指数类型=族内类型");
    std::set<std::string> codes;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Split(lines[i], '=');
        ASSERT_EQ(f.size(), 6u) << lines[i];
        EXPECT_TRUE(Digits(f[0], 6));
        const long code = std::atol(f[0].c_str());
        EXPECT_TRUE(code >= 999000 && code <= 999999) << code;
        EXPECT_LE(f[1].size(), 8u);
        EXPECT_LE(f[2].size(), 16u);
        EXPECT_LE(f[3].size(), 16u);
        EXPECT_GE(f[4].size(), 2u);
        EXPECT_GE(f[5].size(), 2u);
        codes.insert(f[0]);
    }
    EXPECT_TRUE(codes.count("999999")) << "the market-wide volume is stored under 999999";
}

TEST_F(SampleDayFiles, ShortNameDbfHeaderIsConsistent) {
    const std::string b = Slurp(dir.path() + "/" + kShortNameFile);
    ASSERT_GE(b.size(), 33u);
    auto u16 = [&](size_t at) { return unsigned(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); };
    const uint32_t records = u16(4) | uint32_t(u16(6)) << 16;
    const unsigned headerSize = u16(8), recordSize = u16(10);
    ASSERT_GE(headerSize, 33u);
    const unsigned fields = (headerSize - 32) / 32;
    EXPECT_EQ(headerSize, 32 * (fields + 1) + 1);
    EXPECT_EQ(uint8_t(b[headerSize - 1]), 0x0D);
    EXPECT_EQ(b.size(), headerSize + size_t(records) * recordSize + 1);
    EXPECT_EQ(uint8_t(b.back()), 0x1A);

    // The driver reads each field into a buffer that must be longer than the field.
    const std::map<std::string, unsigned> limits = {
        {"S1", 6}, {"S2", 8}, {"S26", 50}, {"INDEXCODE", 255}, {"NRRATE", 255}};
    std::map<std::string, std::pair<unsigned, unsigned>> layout;  // name -> offset, length
    unsigned offset = 1;
    for (unsigned i = 0; i < fields; ++i) {
        const char* d = b.data() + 32 * (i + 1);
        const std::string name(d, strnlen(d, 11));
        const unsigned length = uint8_t(d[16]);
        layout[name] = {offset, length};
        offset += length;
        ASSERT_TRUE(limits.count(name)) << name;
        EXPECT_LE(length, limits.at(name)) << name;
    }
    EXPECT_EQ(layout.size(), limits.size());
    EXPECT_EQ(offset, recordSize);

    std::map<std::string, std::string> names;  // code -> GBK name
    for (const auto& [code, f] : ReferenceLines()) names[code] = f[3];
    EXPECT_GT(records, shares.size() * 9 / 10);
    EXPECT_LT(records, shares.size()) << "some shares are left out, so the code stands in for the short name";
    for (uint32_t r = 0; r < records; ++r) {
        const std::string row = b.substr(headerSize + size_t(r) * recordSize, recordSize);
        auto field = [&](const char* name) {
            return Trim(row.substr(layout[name].first, layout[name].second));
        };
        const std::string code = field("S1");
        SCOPED_TRACE(code);
        ASSERT_TRUE(names.count(code));
        const std::string shortName = field("S2");
        EXPECT_FALSE(shortName.empty());
        EXPECT_EQ(names[code].compare(0, shortName.size(), shortName), 0) << "short name starts the name";
        std::string utf16;
        EXPECT_TRUE(GbkToUtf16le(shortName, utf16)) << "cut inside a character";
        const double rate = std::strtod(field("NRRATE").c_str(), nullptr);
        EXPECT_TRUE(rate >= 0 && rate <= 1);
    }
}

TEST(SampleDayMarket, DefaultDayHasARealisticSize) {
    ScratchDir dir;
    Options options;
    options.date = 20261210;
    std::string error;
    ASSERT_TRUE(WriteSampleDay(options, dir.path(), error)) << error;
    std::set<std::string> codes;
    std::set<std::string> currencies;
    for (const std::string& line : Lines(Slurp(InData(dir.path(), kMarketDataFile))))
        if (line.compare(0, 6, "MD401|") == 0) codes.insert(line.substr(6, 5));
    for (const auto& share : BuildDay(options.date, options.seed, options.shares).shares)
        currencies.insert(share.currency);
    EXPECT_EQ(codes.size(), 2600u);
    EXPECT_EQ(currencies, (std::set<std::string>{"CNY", "HKD", "USD"}));
}

// The largest market: distinct five-digit codes from the whole code space, each second counter
// (8xxxx) beside its first counter; a day of up to 9000 shares keeps to four-digit codes and
// their counters, as before.
TEST(SampleDayMarket, LargestDaySpansTheFiveDigitCodes) {
    const Day day = BuildDay(20261210, 7, kMaxShares);
    std::set<uint32_t> codes;
    for (const Share& s : day.shares) {
        ASSERT_EQ(s.code.size(), 5u) << s.code;
        codes.insert(static_cast<uint32_t>(std::stoul(s.code)));
    }
    EXPECT_EQ(codes.size(), kMaxShares);
    EXPECT_GT(*codes.rbegin(), 90000u);
    EXPECT_GT(std::count_if(codes.begin(), codes.end(), [](uint32_t c) { return c >= 10000 && c < 80000; }), 40000);
    for (uint32_t c : codes) {
        if (c >= 80000 && c < 90000) {
            EXPECT_EQ(codes.count(c - 80000), 1u) << c;
        }
    }
    const Day small = BuildDay(20261210, 7, 9000);
    EXPECT_LT(std::stoul(small.shares.back().code), 99000u);
    for (const Share& s : small.shares) {
        const uint32_t c = static_cast<uint32_t>(std::stoul(s.code));
        EXPECT_TRUE(c < 10000 || c >= 80000) << c;
    }
}

}  // namespace
}  // namespace zephyr::sampleday::testing
