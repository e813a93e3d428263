// Throughput of the frame encoder and decoder: the receive path runs on the
// main thread for every byte the unit sends.
#include "link/FrameCodec.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

std::vector<std::uint8_t> makeFrame(std::size_t dataBytes, unsigned seed)
{
    std::mt19937 rng(seed);
    devlink::DeviceFrame f(1, 0xA2, static_cast<std::uint8_t>(4 + dataBytes));
    for (std::size_t i = 0; i < dataBytes; ++i)
        f.set(4 + i, static_cast<std::uint8_t>(rng()));
    f.finish();
    return {f.data(), f.data() + f.length()};
}

void BM_Encode(benchmark::State &state)
{
    const auto frame = makeFrame(static_cast<std::size_t>(state.range(0)), 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(devlink::SlipEncode(frame.data(), frame.size()));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * frame.size()));
}
BENCHMARK(BM_Encode)->Arg(6)->Arg(76);

// 34 channel answers, as one status poll brings them in.
void BM_DecodeStatusBurst(benchmark::State &state)
{
    std::vector<std::uint8_t> wire;
    for (unsigned ch = 0; ch < 34; ++ch) {
        const auto f = makeFrame(6, ch);
        const auto s = devlink::SlipEncode(f.data(), f.size());
        wire.insert(wire.end(), s.begin(), s.end());
    }
    std::size_t frames = 0;
    devlink::RxFrameDecoder decoder([&](const std::uint8_t *, std::size_t) { ++frames; });
    for (auto _ : state)
        for (std::uint8_t b : wire)
            decoder.PutByte(b);
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * wire.size()));
}
BENCHMARK(BM_DecodeStatusBurst);

} // namespace

BENCHMARK_MAIN();
