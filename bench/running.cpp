// Cost of running a day in the processing unit, at three market sizes: a full start (the
// exchange files read, the tables built and adjusted, the digest computed), a forced
// re-initialisation, and one pass of the processing thread's market data refresh with no quote
// changed and with every quote changed (each change stored and pushed through the push pool to
// a host callback). Baselines beside them: reading every file of the day and splitting it into
// lines and fields, and splitting the market data file held in memory.
// Items are instruments, so items per second compare across sizes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/GeneratedDay.h"

using namespace zephyr;
using namespace zephyr::bench;

namespace {

void BM_ReadDayBaseline(benchmark::State& state) {
    Day& day = DayOf(static_cast<uint32_t>(state.range(0)));
    std::vector<std::string> files;
    FilesBelow(day.Dir(), &files);
    for (auto _ : state) {
        for (const std::string& path : files) {
            const std::string bytes = ReadWhole(path);
            benchmark::DoNotOptimize(SplitLinesAndFields(bytes.data(), bytes.size()));
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_SplitMarketData(benchmark::State& state) {
    Day& day = DayOf(static_cast<uint32_t>(state.range(0)));
    const std::string bytes = ReadWhole(day.Dir() + "/" + sampleday::kDataDir + "/" + sampleday::kMarketDataFile);
    for (auto _ : state) benchmark::DoNotOptimize(SplitLinesAndFields(bytes.data(), bytes.size()));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_FullStart(benchmark::State& state) {
    Day& day = DayOf(static_cast<uint32_t>(state.range(0)));
    if (day.Process().IsStarted()) day.Process().Stop();
    for (auto _ : state) {
        benchmark::DoNotOptimize(day.Process().Start());
        state.PauseTiming();
        day.Process().Stop();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// The console's "reinstance": the date forgotten, then the whole market rebuilt.
void BM_Reinitialise(benchmark::State& state) {
    Day& day = DayOf(static_cast<uint32_t>(state.range(0)));
    day.Serve();
    for (auto _ : state) {
        day.Process().ClearInitialisedDate();
        if (day.Process().Reinitialise() != 1) state.SkipWithError("re-initialisation failed");
    }
    day.Serve();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// Argument 1: 0 the file holds the quotes the table already has; 1 every snapshot differs first.
void BM_MarketDataRefresh(benchmark::State& state) {
    Day& day = DayOf(static_cast<uint32_t>(state.range(0)));
    day.Serve();
    ProcessIO& process = day.Process();
    const bool change_all = state.range(1) != 0;
    MarketInfo info;
    process.Day().GetMarket().GetInfo(&info);
    info.time = 0;
    process.Day().GetMarket().SetInfo(&info);
    process.Loaders().MarketDataLoader()(HKMktdtLoader::kRefresh);  // the file's quotes are in the table
    g_host_bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        process.Day().GetMarket().SetInfo(&info);  // market time 0 again: the file counts as newer
        if (change_all) {
            const uint32_t n = process.Day().Snapshots().Count();
            for (uint32_t i = 0; i < n; ++i) {
                Snapshot s;
                process.Day().Snapshots().Get(&s, i);
                s.last ^= 1;
                process.Day().Snapshots().SetAt(&s, i);
            }
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(process.Loaders().MarketDataLoader()(HKMktdtLoader::kRefresh));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
    state.counters["pushed_bytes_per_pass"] =
        benchmark::Counter(static_cast<double>(g_host_bytes) / static_cast<double>(state.iterations()));
}

// One size after the other, so that each day is generated once.
#define ZEPHYR_DAY_BENCHES(shares)                                                          \
    BENCHMARK(BM_FullStart)->Arg(shares)->Unit(benchmark::kMillisecond);                    \
    BENCHMARK(BM_Reinitialise)->Arg(shares)->Unit(benchmark::kMillisecond);                 \
    BENCHMARK(BM_MarketDataRefresh)->Args({shares, 0})->Args({shares, 1})->Unit(benchmark::kMillisecond)

BENCHMARK(BM_ReadDayBaseline)->Arg(2600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SplitMarketData)->Arg(2600)->Unit(benchmark::kMicrosecond);
ZEPHYR_DAY_BENCHES(2600);
ZEPHYR_DAY_BENCHES(20000);
ZEPHYR_DAY_BENCHES(60000);

}  // namespace
