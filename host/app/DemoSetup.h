// The demo's working folder: today's sample trading day, a driver ini whose working window
// covers the whole day and whose holiday test is short-circuited, the level-2 module's own ini,
// and copies of the driver and the module, so that the driver's relative paths ("./data/...")
// resolve inside the folder once it is the working directory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zephyr::hostapp {

struct DemoOptions {
    std::string dir;            // "": ./work/demo-YYYYMMDD
    std::string driver_source;  // the built Zephyr.so (Zephyr.dll on Windows)
    std::string module_source;  // the built nimbus.so (nimbus.dll)
    uint32_t shares = 2600;
    uint32_t rate = 400;        // level-2 snapshots per second
    uint64_t seed = 1;
    double feed_seconds = 0;    // the feed ends after about this long; 0: never
};

struct DemoFolder {
    std::string dir;            // absolute
    std::string driver;         // the driver copy inside it
    uint32_t date = 0;
    uint32_t time = 0;          // time of the generated market data
    std::vector<std::string> notes;  // what was prepared, for the screen
};

bool PrepareDemo(const DemoOptions& options, DemoFolder* folder, std::string* error);

// Text of the driver ini the demo writes (also a template for one's own folder).
std::string DemoDriverIni();

}  // namespace zephyr::hostapp
