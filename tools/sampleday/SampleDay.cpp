#include "tools/sampleday/SampleDay.h"

#include <cstdlib>

#include "tools/sampleday/Day.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/Output.h"
#include "tools/sampleday/Writers.h"

namespace zephyr::sampleday {

std::string DriverIniText() {
    return "[DataSource]\r\nTransModule = " + ModuleSetting() + "\r\nMktdt = " + kMarketDataSetting +
           "\r\nTrdses = " + kSessionStatusSetting + "\r\n\r\n[HSI]\r\nEnable = true\r\n";
}

bool CheckOptions(const Options& o, std::string& error) {
    if (!ValidDate(o.date)) error = "the date must be a calendar date YYYYMMDD (1990..2099)";
    else if (o.shares < 1 || o.shares > kMaxShares) error = "the share count must be 1.." + std::to_string(kMaxShares);
    else if (!ValidTime(o.time)) error = "the time must be HHMMSS";
    else return true;
    return false;
}

bool WriteSampleDay(const Options& o, const std::string& dir, std::string& error,
                    std::vector<std::string>* written) {
    if (!CheckOptions(o, error)) return false;
    if (!MakeDirectories(dir + "/" + kDataDir, error)) return false;
    const Day day = BuildDay(o.date, o.seed, o.shares);

    std::string marketData, manifest;
    if (!MarketDataText(day, o.time, marketData, error) || !ManifestText(day, o.time, manifest, error))
        return false;
    const std::string data = std::string(kDataDir) + "/";
    std::vector<std::pair<std::string, std::string>> files = {
        {data + ReferenceFileName(o.date), ReferenceDataText(day, o.time)},
        {data + kMarketDataFile, marketData},
        {data + kSessionStatusFile, SessionStatusText(day, o.time)},
        {data + RateFileName(o.date), RateText(day, o.time)},
        {data + SpreadFileName(o.date), SpreadText(day)},
        {kHolidayFile, HolidayText(day)},
        {kIndexConfigFile, IndexConfigText(day)},
        {kShortNameFile, ShortNameDbf(day)},
        {kManifestFile, manifest},
    };
    // Every trading-hours file holds the hours of its own period.
    const uint32_t periodDates[3] = {20110306, 20120304, 20120305};
    for (int i = 0; i < 3; ++i)
        files.push_back({kTradingHoursFiles[i], TradingHoursFile(HoursForDate(periodDates[i]))});
    if (o.driverIni) files.push_back({kDriverIniFile, DriverIniText()});

    for (const auto& [name, bytes] : files) {
        if (!ReplaceFile(dir + "/" + name, bytes, error)) return false;
        if (written) written->push_back(name);
    }
    return true;
}

bool MarketDataStamp(const std::string& text, uint32_t& date, uint32_t& hhmmss) {
    const size_t end = text.find('\n');
    if (text.compare(0, 7, "HEADER|") != 0 || end == std::string::npos) return false;
    size_t pos = 0;
    for (int field = 0; field < 6; ++field) {
        pos = text.find('|', pos);
        if (pos == std::string::npos || pos > end) return false;
        ++pos;
    }
    // YYYYMMDD-HH:MM:SS
    if (pos + 17 > end || text[pos + 8] != '-') return false;
    const std::string stamp = text.substr(pos, 17);
    date = uint32_t(std::strtoul(stamp.substr(0, 8).c_str(), nullptr, 10));
    hhmmss = uint32_t(std::strtoul(stamp.substr(9, 2).c_str(), nullptr, 10) * 10000 +
                      std::strtoul(stamp.substr(12, 2).c_str(), nullptr, 10) * 100 +
                      std::strtoul(stamp.substr(15, 2).c_str(), nullptr, 10));
    return true;
}

bool RefreshMarketData(const Options& o, const std::string& dir, uint32_t hhmmss, std::string& error) {
    if (!CheckOptions(o, error)) return false;
    if (!ValidTime(hhmmss)) {
        error = "the refresh time must be HHMMSS";
        return false;
    }
    const std::string path = InData(dir, kMarketDataFile);
    std::string current;
    uint32_t date = 0, time = 0;
    if (!ReadFile(path, current) || !MarketDataStamp(current, date, time)) {
        error = "no market data file at " + path + ": write the day first";
        return false;
    }
    if (date != o.date) {
        error = "the market data file at " + path + " is of " + std::to_string(date);
        return false;
    }
    if (hhmmss <= time) {
        error = "the refresh time must be later than the file's time " + std::to_string(time);
        return false;
    }
    const Day day = BuildDay(o.date, o.seed, o.shares);
    // The file must be this day's own: another seed or share count would not match the other files.
    std::string expected;
    if (!MarketDataText(day, time, expected, error)) return false;
    if (expected != current) {
        error = "the market data file at " + path + " was not written with these options";
        return false;
    }
    std::string marketData, manifest;
    if (!MarketDataText(day, hhmmss, marketData, error) || !ManifestText(day, hhmmss, manifest, error))
        return false;
    return ReplaceFile(path, marketData, error) && ReplaceFile(InDir(dir, kManifestFile), manifest, error);
}

}  // namespace zephyr::sampleday
