// Cost of the two data paths of the push layer: snapshot frames through the push pool to a host
// callback (with flushes at every put and batched), and a host pulling a whole code table of
// 6000 records in frames.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "market/CodeTable.h"
#include "market/Market.h"
#include "push/DataFrames.h"
#include "push/MPushPool.h"
#include "push/PushFrames.h"

using namespace zephyr;

namespace {

uint64_t g_pushed_bytes = 0;

int32_t CountingHost(uint8_t, uint8_t, const void* data, int32_t length, uint8_t, uint16_t, uint8_t) {
    benchmark::DoNotOptimize(data);
    g_pushed_bytes += static_cast<uint32_t>(length);
    return 0;
}

uint32_t MarketTime(void*) { return 101500; }

// Argument: the flush threshold ("PushBond"); 0 sends every frame in a push of its own.
// With a Market, the market time is read from it (under its lock) as the driver does.
void PushSnapshots(benchmark::State& state, Market* market) {
    MPushPool pool;
    pool.SetHost(&CountingHost, 1);
    if (market != nullptr) {
        pool.SetMarket(market);
    } else {
        pool.SetMarketTimeSource(&MarketTime, nullptr);
    }
    pool.Init(MPushPool::kMainType, MPushPool::kSubType, kMarketNumber, MPushPool::kRingSize,
              static_cast<uint16_t>(state.range(0)));
    Snapshot snapshot;
    std::memset(&snapshot, 0, sizeof snapshot);
    std::memcpy(snapshot.code, "00700", 6);
    uint32_t price = 388000;
    g_pushed_bytes = 0;
    for (auto _ : state) {
        snapshot.last = ++price;
        benchmark::DoNotOptimize(PutSnapshot(pool, snapshot));
    }
    pool.PushOutOnce();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
    state.SetBytesProcessed(static_cast<int64_t>(g_pushed_bytes));
}
void BM_PushSnapshots(benchmark::State& state) { PushSnapshots(state, nullptr); }
BENCHMARK(BM_PushSnapshots)->Arg(0)->Arg(20)->Arg(100);

void BM_PushSnapshotsMarketTime(benchmark::State& state) {
    Market market;
    PushSnapshots(state, &market);
}
BENCHMARK(BM_PushSnapshotsMarketTime)->Arg(0)->Arg(20);

// The host's reload of the code table: count, then every frame, F = 7992, budget 1 MB.
void BM_PullCodeTable(benchmark::State& state) {
    CodeTable codes;
    CodeEntry entry;
    std::memset(&entry, 0, sizeof entry);
    for (uint32_t i = 0; i < 6000; ++i) {
        std::snprintf(entry.code, sizeof entry.code, "%05u", i + 1);
        codes.AppendSerial(&entry);
    }
    FrameSources sources{};
    sources.codes = &codes;
    const FrameService service{1, 1, 7992, 1000000};
    FramePosition position{0, 0};
    FrameRequest request{};
    request.main_type = kFrameMainType;
    request.sub_type = kFrameCodes;
    request.position = &position;
    request.version = kFrameRequestVersion;
    request.buffer_length = 8192;
    std::vector<uint8_t> buffer(8192);
    void* output = buffer.data();
    int64_t bytes = 0;
    for (auto _ : state) {
        uint8_t last = 0;
        const int32_t frames = AnswerFrameCount(sources, service, &request, &last);
        for (int32_t f = 0; f < frames; ++f) {
            request.frame_number = static_cast<uint16_t>(f);
            bytes += AnswerOneFrame(sources, service, &request, &output);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 6000);
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PullCodeTable);

// The floor of a pull: one memcpy of the same table's bytes.
void BM_PullCodeTableCopy(benchmark::State& state) {
    std::vector<CodeEntry> table(6000), copy(6000);
    for (uint32_t i = 0; i < 6000; ++i) std::snprintf(table[i].code, sizeof table[i].code, "%05u", i + 1);
    for (auto _ : state) {
        std::memcpy(copy.data(), table.data(), table.size() * sizeof(CodeEntry));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 6000);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * table.size() * sizeof(CodeEntry)));
}
BENCHMARK(BM_PullCodeTableCopy);

}  // namespace
