#include "host/app/DemoSetup.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "portable/FileSystem.h"
#include "portable/Library.h"
#include "portable/LocalTime.h"
#include "tools/sampleday/Layout.h"
#include "tools/sampleday/Output.h"
#include "tools/sampleday/SampleDay.h"

namespace zephyr::hostapp {

namespace {

// Market data of the demo carry the current time, kept within the trading day.
uint32_t DemoTime(const tm& now) {
    const uint32_t hhmmss = static_cast<uint32_t>(now.tm_hour * 10000 + now.tm_min * 100 + now.tm_sec);
    if (hhmmss < 93000) return 93000;
    if (hhmmss > 155900) return 155900;
    return hhmmss;
}

bool CopyFile(const std::string& from, const std::string& to, std::string* error) {
    std::string bytes;
    if (!sampleday::ReadFile(from, bytes)) {
        *error = "cannot read " + from + " (is it built?)";
        return false;
    }
    if (!sampleday::ReplaceFile(to, bytes, *error)) return false;
    portable::MarkRunnable(to);
    return true;
}

std::string Absolute(const std::string& path) {
    const std::string resolved = portable::CanonicalPath(path);
    return resolved.empty() ? path : resolved;
}

// "Zephyr.so", "Zephyr.dll": a library's file name on this system.
std::string LibraryFile(const char* name) { return name + std::string(portable::LibrarySuffix()); }

// A file in the folder, with the separator the folder's path uses (Windows names it with '\\';
// elsewhere '\\' is no separator).
std::string InFolder(const std::string& dir, const std::string& name) {
    const bool backslash = portable::IsPathSeparator('\\') && dir.find('\\') != std::string::npos;
    return dir + (backslash ? "\\" : "/") + name;
}

}  // namespace

std::string DemoDriverIni() {
    // KPTime 0 and SPTime 2400: the working window is the whole day; useholiday short-circuits
    // the holiday test, so weekends and listed holidays serve too.
    return "[DataSource]\r\n"
           "TransModule = " + sampleday::ModuleSetting() + "\r\n"
           "Reff = ./data/\r\n"
           "Mktdt = " + sampleday::kMarketDataSetting + "\r\n"
           "PriceTb = ./data/\r\n"
           "Exra = ./data/\r\n"
           "Trdses = " + sampleday::kSessionStatusSetting + "\r\n"
           "\r\n[Other]\r\nHoliday = ./holiday.ini\r\nuseholiday = true\r\n"
           "\r\n[Time]\r\nKPTime = 0\r\nSPTime = 2400\r\n"
           "\r\n[HSI]\r\nEnable = true\r\nIndexConfig = ./hsindexconfig.ini\r\n";
}

bool PrepareDemo(const DemoOptions& options, DemoFolder* folder, std::string* error) {
    std::tm local{};
    portable::LocalTimeOf(static_cast<int64_t>(std::time(nullptr)), &local);
    sampleday::Options day;
    day.date = static_cast<uint32_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday);
    day.seed = options.seed;
    day.shares = options.shares;
    day.time = DemoTime(local);
    day.driverIni = false;
    std::string dir = options.dir;
    if (dir.empty()) dir = "work/demo-" + std::to_string(day.date);
    if (!sampleday::MakeDirectories(dir, *error)) return false;
    dir = Absolute(dir);
    if (!sampleday::WriteSampleDay(day, dir, *error)) return false;
    if (!sampleday::ReplaceFile(dir + "/" + sampleday::kDriverIniFile, DemoDriverIni(), *error)) return false;

    // The stand-in module reads nimbus.ini beside itself; the feed ends a little before the demo
    // does, so that the final comparison finds the driver quiet.
    const uint32_t batch = 10;
    std::string nimbus = "[Feed]\nMktdt = " + std::string(sampleday::kMarketDataSetting) +
                         "\nRate = " + std::to_string(options.rate) + "\nBatch = " + std::to_string(batch) +
                         "\nSeed = " + std::to_string(options.seed) + "\n";
    if (options.feed_seconds > 0) {
        const uint64_t pushes = static_cast<uint64_t>(options.feed_seconds * options.rate / batch);
        nimbus += "Limit = " + std::to_string(pushes > 0 ? pushes : 1) + "\n";
    }
    if (!sampleday::ReplaceFile(dir + "/nimbus.ini", nimbus, *error)) return false;
    folder->driver = InFolder(dir, LibraryFile("Zephyr"));
    if (!CopyFile(options.driver_source, folder->driver, error)) return false;
    if (!CopyFile(options.module_source, InFolder(dir, sampleday::ModuleFile()), error)) return false;

    folder->dir = dir;
    folder->date = day.date;
    folder->time = day.time;
    char line[256];
    snprintf(line, sizeof line, "sample day %u written to %s: %u shares, market data at %06u",
             day.date, dir.c_str(), day.shares, day.time);
    folder->notes.push_back(line);
    // Whether the driver could load the module is told once it has tried.
    snprintf(line, sizeof line, "nimbus.ini asks the level-2 module for %u snapshots/s", options.rate);
    folder->notes.push_back(line);
    if (getenv("NIMBUS_INI") != nullptr) {
        folder->notes.push_back(std::string("note: NIMBUS_INI is set (") + getenv("NIMBUS_INI") +
                                "): the module reads that file instead of the demo's nimbus.ini");
    }
    return true;
}

}  // namespace zephyr::hostapp
