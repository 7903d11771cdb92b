// Throughput of the LZW coder, of packing and unpacking level-2 packets (bytes per second of
// uncompressed payload) and of the packets' CRC-16, beside a plain one-byte-table CRC loop.
#include "foundation/MCrc16.h"
#include "foundation/MLZW.h"
#include "foundation/RvProtocol.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

using namespace zephyr;

namespace {

// Quote-like text: repeated fields with varying digits, compressible about as well as a push.
std::vector<uint8_t> Payload(size_t length) {
    std::vector<uint8_t> out(length);
    uint32_t x = 12345;
    static const char kFields[] = "00700 TENCENT 388.200 1200 ";
    for (size_t i = 0; i < length; ++i) {
        x = x * 1103515245u + 12345u;
        const char c = kFields[i % (sizeof kFields - 1)];
        out[i] = static_cast<uint8_t>(c >= '0' && c <= '9' && (x >> 28) < 4 ? '0' + (x >> 16) % 10 : c);
    }
    return out;
}

void BM_Compress(benchmark::State& state) {
    const auto input = Payload(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> out(input.size());
    MLZW coder;
    for (auto _ : state) {
        benchmark::DoNotOptimize(coder.Compress(input.data(), input.size(), out.data(), out.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Compress)->Arg(100)->Arg(2000)->Arg(8192);

void BM_Decompress(benchmark::State& state) {
    const auto input = Payload(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> packed(input.size()), out(input.size());
    MLZW coder;
    const int32_t n = coder.Compress(input.data(), input.size(), packed.data(), packed.size());
    if (n < 0) {
        state.SkipWithError("input does not compress");
        return;
    }
    state.counters["ratio"] = static_cast<double>(n) / static_cast<double>(input.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(coder.Decompress(packed.data(), n, out.data(), out.size()));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Decompress)->Arg(100)->Arg(2000)->Arg(8192);

// The pack and unpack services' path: build a compressed "#" packet, parse it back.
void BM_PackUnpack(benchmark::State& state) {
    const auto payload = Payload(static_cast<size_t>(state.range(0)));
    std::vector<uint8_t> packet(payload.size() + 11), work(16384);
    for (auto _ : state) {
        const int32_t n = RvProtocol::BuildPacket('#', 2, 41, 40001, 1, 0, 0, payload.data(),
                                                  static_cast<uint16_t>(payload.size()), packet.data(),
                                                  static_cast<uint16_t>(packet.size()), 0, 1);
        const uint8_t* p = nullptr;
        benchmark::DoNotOptimize(RvProtocol::ParsePacket(packet.data(), static_cast<uint16_t>(n), &p,
                                                         work.data(), static_cast<uint16_t>(work.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_PackUnpack)->Arg(2000)->Arg(8000);

// The textbook CRC of the same rules, one table look-up per byte: the reference the CRC's speed
// is measured against.
struct ByteTableCrc {
    uint16_t table[256];
    ByteTableCrc() {
        for (unsigned b = 0; b < 256; ++b) {
            unsigned crc = b << 8;
            for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
            table[b] = static_cast<uint16_t>(crc);
        }
    }
    uint16_t Compute(const uint8_t* p, size_t length) const {
        uint16_t crc = 0;
        for (size_t i = 0; i < length; ++i) crc = static_cast<uint16_t>(table[((crc >> 8) ^ p[i]) & 0xFF] ^ (crc << 8));
        return crc;
    }
};

void BM_Crc16(benchmark::State& state) {
    const auto input = Payload(static_cast<size_t>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(MCrc16::Compute(input.data(), input.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16)->Arg(8192);

void BM_Crc16ByteTable(benchmark::State& state) {
    const auto input = Payload(static_cast<size_t>(state.range(0)));
    static const ByteTableCrc reference;
    if (reference.Compute(input.data(), input.size()) != MCrc16::Compute(input.data(), input.size())) {
        state.SkipWithError("the two CRCs differ");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(reference.Compute(input.data(), input.size()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16ByteTable)->Arg(8192);

}  // namespace
