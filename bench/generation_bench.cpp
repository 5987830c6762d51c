// Generating property inputs must not be the bottleneck of a hash property run: compare the
// rate of drawing LazyBytes with the rate of hashing the same bytes with SHA-256.

#include <Test/Crypto.hpp>

#include <zorvan/backends/openssl.hpp>

#include <benchmark/benchmark.h>

namespace {

void drawLazyBytes(benchmark::State& state) {
    zorvan::testing::Gen gen(1);
    std::int64_t octets = 0;
    for (auto _ : state) {
        const zorvan::LazyBytes drawn =
            zorvan::testing::Arbitrary<zorvan::LazyBytes>::arbitrary(gen);
        octets += static_cast<std::int64_t>(drawn.length());
        benchmark::DoNotOptimize(drawn);
    }
    state.SetBytesProcessed(octets);
}
BENCHMARK(drawLazyBytes);

void hashLazyBytesWithSha256(benchmark::State& state) {
    zorvan::testing::Gen gen(1);
    std::vector<zorvan::LazyBytes> inputs;
    for (int i = 0; i < 256; ++i) {
        inputs.push_back(zorvan::testing::Arbitrary<zorvan::LazyBytes>::arbitrary(gen));
    }
    std::size_t next = 0;
    std::int64_t octets = 0;
    for (auto _ : state) {
        const zorvan::LazyBytes& input = inputs[next++ % inputs.size()];
        benchmark::DoNotOptimize(zorvan::hash<zorvan::openssl::SHA256>(input));
        octets += static_cast<std::int64_t>(input.length());
    }
    state.SetBytesProcessed(octets);
}
BENCHMARK(hashLazyBytesWithSha256);

} // namespace

BENCHMARK_MAIN();
