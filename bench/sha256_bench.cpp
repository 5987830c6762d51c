// Throughput of the library's own SHA-256, each implementation this processor runs, on a file
// of 4 KiB and one of 1 MiB (the vector files checked against the manifest lie between), with
// OpenSSL's beside them as the mark to reach.

#include "Test/sha256.hpp"

#include <zorvan/backends/openssl.hpp>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> inputOf(const benchmark::State& state) {
    std::vector<std::uint8_t> input(static_cast<std::size_t>(state.range(0)));
    for (std::size_t index = 0; index < input.size(); ++index) {
        input[index] = static_cast<std::uint8_t>(index * 131 + 7);
    }
    return input;
}

// Hashes the input as one message per iteration: an update, then the finishing call.
template <class Hasher, class Finish>
void hashWhole(benchmark::State& state, Hasher& hasher, Finish finish) {
    const std::vector<std::uint8_t> input = inputOf(state);
    for (auto _ : state) {
        hasher.update(input);
        benchmark::DoNotOptimize(finish(hasher));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

void hashWith(benchmark::State& state, Test::Sha256::Implementation implementation) {
    Test::Sha256::Hasher hasher(implementation);
    hashWhole(state, hasher, [](Test::Sha256::Hasher& own) { return own.finish(); });
}

void hashWithOpenssl(benchmark::State& state) {
    zorvan::openssl::SHA256::Context context;
    hashWhole(state, context,
              [](zorvan::openssl::SHA256::Context& openssl) { return openssl.finalize(); });
}

void withFileSizes(benchmark::internal::Benchmark* benchmark) {
    benchmark->Arg(4 * 1024)->Arg(1024 * 1024);
}

} // namespace

int main(int argc, char** argv) {
    for (const Test::Sha256::Implementation implementation :
         Test::Sha256::availableImplementations()) {
        const std::string name = "sha256/" + std::string(implementationName(implementation));
        withFileSizes(benchmark::RegisterBenchmark(name.c_str(), hashWith, implementation));
    }
    withFileSizes(benchmark::RegisterBenchmark("sha256/openssl", hashWithOpenssl));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
