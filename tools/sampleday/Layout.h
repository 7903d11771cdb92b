// Where the sample day's files go, relative to the folder of the day: the names and sub-folders
// the driver finds with its default configuration. Only the market data file and the
// trading-session status file have no default name: the driver's ini must name them
// (kMarketDataSetting, kSessionStatusSetting).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "portable/Library.h"

namespace zephyr::sampleday {

inline constexpr char kDataDir[] = "data";
inline constexpr char kMarketDataFile[] = "mktdt04.txt";
inline constexpr char kSessionStatusFile[] = "trdses04.txt";
inline constexpr char kMarketDataSetting[] = "./data/mktdt04.txt";
inline constexpr char kSessionStatusSetting[] = "./data/trdses04.txt";
inline constexpr const char* kTradingHoursFiles[3] = {"lonkind.cfg", "lonkind1.cfg", "lonkind2.cfg"};
inline constexpr char kHolidayFile[] = "holiday.ini";
inline constexpr char kIndexConfigFile[] = "hsindexconfig.ini";
inline constexpr char kShortNameFile[] = "namehk.dbf";
inline constexpr char kManifestFile[] = "sampleday-manifest.tsv";
inline constexpr char kDriverIniFile[] = "Zephyr.ini";

// The stand-in level-2 module's file on this system ("nimbus.so", "nimbus.dll"), and the
// TransModule value that loads it from beside the driver.
inline std::string ModuleFile() { return std::string("nimbus") + portable::LibrarySuffix(); }
inline std::string ModuleSetting() { return "./" + ModuleFile(); }

// Daily file names carry the month and day of the date (MMDD).
inline std::string DatedName(const char* format, uint32_t date) {
    char buf[32];
    snprintf(buf, sizeof buf, format, date % 10000);
    return buf;
}
inline std::string ReferenceFileName(uint32_t date) { return DatedName("reff04%04u.txt", date); }
inline std::string RateFileName(uint32_t date) { return DatedName("exra04%04u.txt", date); }
inline std::string SpreadFileName(uint32_t date) { return DatedName("zxjc%04u.txt", date); }

inline std::string InDir(const std::string& dir, const std::string& name) { return dir + "/" + name; }
inline std::string InData(const std::string& dir, const std::string& name) {
    return dir + "/" + kDataDir + "/" + name;
}

}  // namespace zephyr::sampleday
