// Level-2 snapshot records per second on the way in. End to end: pushes through the bridge's
// push callback into a started processing unit on a generated day (the real tables, the name
// lookup, the push pool with "PushBond" 0 and 20, a counting host callback), beside a memcpy of
// the same push bytes as the floor. Parts of the way: the push handler alone and the bridge's
// callback with a plain and a packed ("#" packet, LZW) push into a reduced owner, every put
// flushed. Argument: snapshots per push (and the push bond for the end-to-end entry).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/MString.h"
#include "bench/GeneratedDay.h"
#include "l2bridge/HKTransLoader.h"
#include "l2bridge/L2PacketServices.h"
#include "l2bridge/Level2Sink.h"
#include "market/Market.h"
#include "process/Level2PushHandler.h"
#include "push/MPushPool.h"
#include "push/PushFrames.h"

using namespace zephyr;

namespace {

constexpr uint32_t kShares = 2000;

uint64_t g_host_bytes = 0;

int32_t CountingHost(uint8_t, uint8_t, const void* data, int32_t length, uint8_t, uint16_t, uint8_t) {
    benchmark::DoNotOptimize(data);
    g_host_bytes += static_cast<uint32_t>(length);
    return 0;
}

void Code(uint32_t i, char* out) { std::snprintf(out, 6, "%05u", i % 99999 + 1); }

// The processing unit's part, reduced to what a level-2 snapshot costs it.
class BenchOwner : public Level2Sink, public Level2PushTarget {
public:
    BenchOwner() : handler(&market, this) {
        pool.SetHost(&CountingHost, 1);
        pool.SetMarket(&market);
        pool.Init(MPushPool::kMainType, MPushPool::kSubType, kMarketNumber, MPushPool::kRingSize, 0);
        handler.Open();
    }
    void OnLevel2Push(uint8_t main_type, uint8_t sub_type, const uint8_t* data, uint16_t length,
                      uint8_t market_number) override {
        handler.OnLevel2Push(main_type, sub_type, data, length, market_number);
    }
    bool IsLevel2Stopped() const override { return false; }
    MLogger* Level2Logger() override { return nullptr; }
    MString Level2ModulePath() const override { return MString("/nonexistent/nimbus.so"); }
    ConsoleReplyCallback Level2ConsoleReply() const override { return nullptr; }
    bool UpdateSnapshot(const Snapshot& s) override { return PutSnapshot(pool, s) > 0; }
    void SetLastL2Time(int64_t) override {}

    Market market;
    MPushPool pool;
    Level2PushHandler handler;
};

// Pushes as the module sends them: market time, a skipped record, `batch` snapshots with moving
// prices and a book, round-robin over the codes (6 bytes each).
std::vector<std::vector<uint8_t>> MakePushes(uint32_t batch, uint32_t count, const std::vector<char>& codes) {
    const uint32_t shares = static_cast<uint32_t>(codes.size() / 6);
    std::vector<std::vector<uint8_t>> pushes;
    uint32_t share = 0;
    uint32_t price = 10000;
    for (uint32_t p = 0; p < count; ++p) {
        std::vector<uint8_t> push(4 + 11 + 24 + 255 * batch, 0);
        const uint32_t time = 100000 + p;
        std::memcpy(push.data(), &time, 4);
        push[4] = 14;
        std::memcpy(push.data() + 4 + 6, &time, 4);
        push[15] = 3;
        for (uint32_t i = 0; i < batch; ++i) {
            uint8_t* r = push.data() + 39 + 255 * i;
            r[0] = 15;
            std::memcpy(r + 1, &codes[(share++ % shares) * 6], 6);
            price += (p * 7 + i * 13) % 5 * 10;
            const uint32_t prices[] = {price + 500, price - 300, price - 500, price - 100, price};
            std::memcpy(r + 7, prices, sizeof prices);
            const double amount = price * 1234.5;
            std::memcpy(r + 27, &amount, 8);
            const uint64_t volume = 100000 + p * 100 + i;
            std::memcpy(r + 35, &volume, 8);
            for (uint32_t level = 0; level < 7; ++level) {
                const uint32_t bid = price - 10 * (level + 1);
                const uint32_t ask = price + 10 * (level + 1);
                const uint64_t qty = 1000 * (level + 1) + i;
                std::memcpy(r + 43 + 14 * level, &bid, 4);
                std::memcpy(r + 47 + 14 * level, &qty, 8);
                std::memcpy(r + 147 + 14 * level, &ask, 4);
                std::memcpy(r + 151 + 14 * level, &qty, 8);
            }
            std::memcpy(r + 251, &price, 4);
        }
        pushes.push_back(std::move(push));
    }
    return pushes;
}

std::vector<char> BenchCodes() {
    std::vector<char> codes(kShares * 6);
    for (uint32_t i = 0; i < kShares; ++i) Code(i, &codes[i * 6]);
    return codes;
}

enum class Route { kHandler, kBridgePlain, kBridgePacked };

void Level2Snapshots(benchmark::State& state, Route route) {
    const uint32_t batch = static_cast<uint32_t>(state.range(0));
    static BenchOwner* owner = new BenchOwner;
    HKTransLoader::initialize(owner);  // no module file: attaches the owner only
    std::vector<std::vector<uint8_t>> pushes = MakePushes(batch, 64, BenchCodes());
    if (route == Route::kBridgePacked) {
        for (std::vector<uint8_t>& push : pushes) {
            std::vector<uint8_t> packet(push.size() + 64);
            const int32_t n = L2PacketServices::Pack(2, 41, push.data(), static_cast<int32_t>(push.size()),
                                                     packet.data(), static_cast<int32_t>(packet.size()));
            if (n <= 0) {
                state.SkipWithError("pack failed");
                return;
            }
            packet.resize(n);
            push.swap(packet);
        }
    }
    uint64_t wire_bytes = 0;
    size_t next = 0;
    g_host_bytes = 0;
    for (auto _ : state) {
        const std::vector<uint8_t>& push = pushes[next];
        next = (next + 1) % pushes.size();
        wire_bytes += push.size();
        switch (route) {
        case Route::kHandler:
            owner->handler.OnLevel2Push(2, 41, push.data(), static_cast<uint16_t>(push.size()), 30);
            break;
        case Route::kBridgePlain:
            HKTransLoader::OnCbPush(2, 41, push.data(), static_cast<int32_t>(push.size()), 30, 0, 0);
            break;
        case Route::kBridgePacked:
            HKTransLoader::OnCbPush(2, 41, push.data(), static_cast<int32_t>(push.size()), 30, 0, 1);
            break;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * batch);
    state.SetBytesProcessed(static_cast<int64_t>(wire_bytes));
    state.counters["host_bytes_per_push"] =
        benchmark::Counter(static_cast<double>(g_host_bytes), benchmark::Counter::kAvgIterations);
}

void BM_Level2Handler(benchmark::State& state) { Level2Snapshots(state, Route::kHandler); }
void BM_Level2BridgePlain(benchmark::State& state) { Level2Snapshots(state, Route::kBridgePlain); }
void BM_Level2BridgePacked(benchmark::State& state) { Level2Snapshots(state, Route::kBridgePacked); }
BENCHMARK(BM_Level2Handler)->Arg(1)->Arg(10)->Arg(30);
BENCHMARK(BM_Level2BridgePlain)->Arg(1)->Arg(10)->Arg(30);
BENCHMARK(BM_Level2BridgePacked)->Arg(1)->Arg(10)->Arg(30);

constexpr uint32_t kDayShares = 2600;
constexpr uint32_t kPushes = 64;

// The codes of the generated day's shares, as its snapshot table holds them.
std::vector<char> DayCodes(bench::Day& day) {
    const uint32_t n = day.Process().Day().Snapshots().Count();
    std::vector<char> codes(static_cast<size_t>(n) * 6);
    for (uint32_t i = 0; i < n; ++i) {
        Snapshot s;
        day.Process().Day().Snapshots().Get(&s, i);
        std::memcpy(&codes[i * 6], s.code, 6);
    }
    return codes;
}

// The floor: copying the bytes of the same pushes once.
void BM_Level2RecordCopy(benchmark::State& state) {
    const uint32_t batch = static_cast<uint32_t>(state.range(0));
    const std::vector<std::vector<uint8_t>> pushes = MakePushes(batch, kPushes, BenchCodes());
    std::vector<uint8_t> copy(pushes[0].size());
    size_t next = 0;
    for (auto _ : state) {
        const std::vector<uint8_t>& push = pushes[next];
        next = (next + 1) % pushes.size();
        std::memcpy(copy.data(), push.data(), push.size());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * batch);
}
BENCHMARK(BM_Level2RecordCopy)->Arg(10)->Arg(30);

// Arguments: snapshots per push, push bond. A live feed changes every snapshot it sends: each
// record's voip field is stamped anew before its push, or the table would find it unchanged.
void BM_Level2EndToEnd(benchmark::State& state) {
    const uint32_t batch = static_cast<uint32_t>(state.range(0));
    bench::Day& day = bench::DayOf(kDayShares, static_cast<uint16_t>(state.range(1)));
    day.Serve();
    std::vector<std::vector<uint8_t>> pushes = MakePushes(batch, kPushes, DayCodes(day));
    size_t next = 0;
    uint32_t stamp = 0;
    bench::g_host_bytes = 0;
    bench::g_host_calls = 0;
    for (auto _ : state) {
        std::vector<uint8_t>& push = pushes[next];
        next = (next + 1) % pushes.size();
        ++stamp;
        for (uint32_t i = 0; i < batch; ++i) std::memcpy(push.data() + 39 + 255 * i + 251, &stamp, 4);
        HKTransLoader::OnCbPush(2, 41, push.data(), static_cast<int32_t>(push.size()), 30, 0, 0);
    }
    day.Process().FlushPushes();
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * batch);
    state.counters["host_bytes_per_snapshot"] = benchmark::Counter(
        static_cast<double>(bench::g_host_bytes) / static_cast<double>(state.iterations() * batch));
    state.counters["host_calls_per_push"] =
        benchmark::Counter(static_cast<double>(bench::g_host_calls), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_Level2EndToEnd)->Args({10, 0})->Args({30, 0})->Args({10, 20})->Args({30, 20});

}  // namespace
