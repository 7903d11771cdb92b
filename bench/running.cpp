// Cost of running a day in the processing unit: a full start on a generated full-size day (the
// exchange files read, the tables built and adjusted, the digest computed), and one pass of the
// processing thread's market data refresh with no quote changed and with every quote changed
// (each change stored and pushed through the push pool to a host callback).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "config/ConfigUnit.h"
#include "foundation/MClock.h"
#include "foundation/MLog.h"
#include "process/ProcessIO.h"
#include "tools/sampleday/SampleDay.h"

using namespace zephyr;

namespace {

constexpr uint32_t kDate = 20151007;
uint64_t g_pushed_bytes = 0;

int32_t CountingHost(uint8_t, uint8_t, const void* data, int32_t length, uint8_t, uint16_t, uint8_t) {
    benchmark::DoNotOptimize(data);
    g_pushed_bytes += static_cast<uint32_t>(length);
    return 0;
}

int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<int64_t>(mktime(&local));
}

// A generated day in a fresh folder that is also the working directory, the clock at 10:00 of
// that day, and a configured processing unit (its pushes counted).
class Day {
public:
    explicit Day(uint32_t shares)
        : clock_(0, 1000), config_(&logger_, nullptr), process_(&config_, &logger_) {
        setenv("TZ", "Asia/Hong_Kong", 1);
        tzset();
        clock_.Set(LocalSeconds(2015, 10, 7, 10, 0, 0));
        clock_.Install();
        char dir[] = "/tmp/zephyr-bench-XXXXXX";
        dir_ = mkdtemp(dir);
        if (chdir(dir_.c_str()) != 0) std::perror("chdir");
        sampleday::Options options;
        options.date = kDate;
        options.seed = kDate;
        options.shares = shares;
        options.time = 95900;
        options.driverIni = true;
        std::string error;
        if (!sampleday::WriteSampleDay(options, dir_, error)) std::fprintf(stderr, "%s\n", error.c_str());
        config_.SetLibraryFileName((dir_ + "/Zephyr.so").c_str());
        config_.Start();
        config_.GetIndexConfig().LoadIndexConfig(config_);
        DriverWorkParams params;
        std::memset(&params, 0, sizeof params);
        params.frame_size = 8192;
        params.request_budget = 819200;
        params.push_data = &CountingHost;
        process_.SetWorkParams(params);
    }
    ~Day() {
        process_.Stop();
        config_.Stop();
        MClock::SetSource(nullptr);
        std::string command = "rm -rf '" + dir_ + "'";
        if (std::system(command.c_str()) != 0) std::perror("rm");
    }
    ProcessIO& Process() { return process_; }

private:
    MManualClock clock_;
    MLogger logger_;
    ConfigUnit config_;
    ProcessIO process_;
    std::string dir_;
};

void BM_FullStart(benchmark::State& state) {
    Day day(static_cast<uint32_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(day.Process().Start());
        state.PauseTiming();
        day.Process().Stop();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FullStart)->Arg(2600)->Arg(9000)->Unit(benchmark::kMillisecond);

// Argument 0: the file holds the quotes the table already has; 1: every snapshot differs first.
void BM_MarketDataRefresh(benchmark::State& state) {
    Day day(2600);
    ProcessIO& process = day.Process();
    process.Start();
    process.SetServiceFlag(1);
    process.SetProcessState(1);
    const bool change_all = state.range(0) != 0;
    MarketInfo info;
    process.GetMarket().GetInfo(&info);
    info.time = 0;
    process.GetMarket().SetInfo(&info);
    process.MarketDataLoader()(HKMktdtLoader::kRefresh);  // the file's quotes are in the table
    g_pushed_bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        process.GetMarket().SetInfo(&info);  // market time 0 again: the file counts as newer
        if (change_all) {
            const uint32_t n = process.Snapshots().Count();
            for (uint32_t i = 0; i < n; ++i) {
                Snapshot s;
                process.Snapshots().Get(&s, i);
                s.last ^= 1;
                process.Snapshots().SetAt(&s, i);
            }
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(process.MarketDataLoader()(HKMktdtLoader::kRefresh));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 2600);
    state.counters["pushed_bytes_per_pass"] =
        benchmark::Counter(static_cast<double>(g_pushed_bytes) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_MarketDataRefresh)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
