// Settings of the stand-in level-2 module, read at every start.
//
// Source: the ini file beside the module ("nimbus.so" or "nimbus.dll" -> "nimbus.ini"; or the
// file named by the environment variable NIMBUS_INI), section [Feed]; then, for each key, an
// environment variable NIMBUS_<KEY in capitals> overrides the file. Unknown keys are ignored; a value that
// does not read as a number keeps the default.
//
//   Mktdt      market data file whose share lines give the codes of the day ("./data/")
//   Rate       level-2 snapshots per second; 0 pauses the feed (100)
//   Batch      snapshots per push, 1..30 (10)
//   Compress   1: pushes go out as "#" packets built by the host's pack service (0)
//   Seed       seed of the price moves (1)
//   StartTime  market time HHMMSS of the first push; 0: the market data file's time (0)
//   Limit      pushes to send before the feed ends; 0: no end (0)
//   Record     file to record the pushes into ("": none)
//   Replay     recorded file to send instead of generating a feed ("": none)
#pragma once
#include <cstdint>
#include <string>

namespace zephyr::l2sim {

struct NimbusSettings {
    static constexpr uint32_t kLargestBatch = 30;  // keeps a push within one packet

    std::string mktdt = "./data/";
    uint32_t rate = 100;
    uint32_t batch = 10;
    bool compress = false;
    uint64_t seed = 1;
    uint32_t start_time = 0;
    uint64_t limit = 0;
    std::string record;
    std::string replay;
    std::string ini_path;  // where the file was looked for

    // Reads the ini file at ini_path (missing: defaults) and the environment.
    static NimbusSettings Load(const std::string& ini_path);
    // The ini path beside the library that holds `address` (NIMBUS_INI when set).
    static std::string DefaultIniPath(const void* address);
    // Applies one key (case-insensitive); false for an unknown key or a bad value.
    bool Set(const std::string& key, const std::string& value);
};

}  // namespace zephyr::l2sim
