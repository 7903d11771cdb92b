// The per-record paths of the market tables: code-to-serial resolution through the name lookup
// (every snapshot update and level-2 record), a snapshot update in place, and one pulled frame.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "market/CodeTable.h"
#include "market/NameLookup.h"
#include "market/SnapshotTable.h"

namespace {

using namespace zephyr;

constexpr uint32_t kShares = 6000;

void CodeOf(uint32_t i, char* code) { std::snprintf(code, 6, "%05u", (i * 7919u) % 100000u); }

void BM_NameLookupFind(benchmark::State& state) {
    NameLookup lookup;
    lookup.Build(kShares);
    std::vector<char> codes(kShares * 6);
    for (uint32_t i = 0; i < kShares; ++i) {
        CodeOf(i, &codes[i * 6]);
        lookup.Insert(i, &codes[i * 6]);
    }
    uint32_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lookup.Find(&codes[i * 6]));
        i = (i + 1) % kShares;
    }
}
BENCHMARK(BM_NameLookupFind);

void BM_SnapshotUpdateAt(benchmark::State& state) {
    SnapshotTable table;
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    for (uint32_t i = 0; i < kShares; ++i) {
        CodeOf(i, s.code);
        table.Append(&s);
    }
    uint32_t i = 0, price = 1;
    for (auto _ : state) {
        CodeOf(i, s.code);
        s.last = ++price;
        benchmark::DoNotOptimize(table.UpdateAt(&s, i));
        i = (i + 1) % kShares;
    }
}
BENCHMARK(BM_SnapshotUpdateAt);

void BM_SnapshotFrameFill(benchmark::State& state) {
    SnapshotTable table;
    Snapshot s;
    std::memset(&s, 0, sizeof(s));
    for (uint32_t i = 0; i < kShares; ++i) {
        CodeOf(i, s.code);
        table.Append(&s);
    }
    std::vector<uint8_t> buffer(8192);
    uint32_t frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.FrameFill(0, frame, 7992, buffer.data(), 8192));
        frame = (frame + 1) % 55;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 107 * sizeof(Snapshot));
}
BENCHMARK(BM_SnapshotFrameFill);

}  // namespace
