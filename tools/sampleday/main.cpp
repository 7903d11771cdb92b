// zephyr-sampleday: writes a sample trading day for the driver into a folder.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/sampleday/Day.h"
#include "tools/sampleday/SampleDay.h"

namespace {

void Usage(FILE* to) {
    fprintf(to,
            "usage: zephyr-sampleday --date YYYYMMDD --out DIR [--seed N] [--shares N] [--time HHMMSS]\n"
            "                        [--ini] [--refresh HHMMSS]\n"
            "  writes a complete day of exchange files into DIR (default time 100000);\n"
            "  --refresh rewrites only the market data file (and the manifest) for a later time;\n"
            "  --ini also writes a Zephyr.ini that names the market data and status files.\n");
}

bool ParseNumber(const char* text, uint64_t& value) {
    if (!text || !*text || *text == '-') return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zephyr::sampleday;
    Options options;
    std::string out;
    uint32_t refresh = 0;
    bool refreshing = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            Usage(stdout);
            return 0;
        }
        if (arg == "--ini") {
            options.driverIni = true;
            continue;
        }
        static const char* const kValued[] = {"--out", "--date", "--seed", "--shares", "--time", "--refresh"};
        bool known = false;
        for (const char* name : kValued) known = known || arg == name;
        if (!known) {
            fprintf(stderr, "zephyr-sampleday: unknown option %s\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
        if (i + 1 >= argc) {
            fprintf(stderr, "zephyr-sampleday: %s needs a value\n", arg.c_str());
            Usage(stderr);
            return 2;
        }
        const char* value = argv[++i];
        uint64_t n = 0;
        const bool number = ParseNumber(value, n);
        const bool fits = number && n <= 0xFFFFFFFFu;
        bool ok = fits;
        if (arg == "--out") out = value, ok = true;
        else if (arg == "--date") options.date = uint32_t(n);
        else if (arg == "--seed") options.seed = n, ok = number;
        else if (arg == "--shares") options.shares = uint32_t(n);
        else if (arg == "--time") options.time = uint32_t(n);
        else refresh = uint32_t(n), refreshing = true;  // --refresh
        if (!ok) {
            fprintf(stderr, "zephyr-sampleday: %s is not a number: %s\n", arg.c_str(), value);
            return 2;
        }
    }
    if (out.empty() || options.date == 0) {
        Usage(stderr);
        return 2;
    }

    std::string error;
    if (refreshing) {
        if (!RefreshMarketData(options, out, refresh, error)) {
            fprintf(stderr, "zephyr-sampleday: %s\n", error.c_str());
            return 1;
        }
        printf("market data of %s refreshed to %06u\n", out.c_str(), refresh);
        return 0;
    }
    std::vector<std::string> written;
    if (!WriteSampleDay(options, out, error, &written)) {
        fprintf(stderr, "zephyr-sampleday: %s\n", error.c_str());
        return 1;
    }
    for (const std::string& name : written) printf("%s/%s\n", out.c_str(), name.c_str());
    printf("%u shares, date %u, time %06u, seed %llu\n", options.shares, options.date, options.time,
           static_cast<unsigned long long>(options.seed));
    const int weekday = Weekday(options.date);
    if (weekday == 0 || weekday == 6)
        printf("note: %u falls on a weekend, which the driver treats as a holiday\n", options.date);
    return 0;
}
