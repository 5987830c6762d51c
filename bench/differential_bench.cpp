// A differential case through the type-erased views beside the two libraries' own calls on the
// same inputs: the differential suites may cost at most a little more than the libraries
// themselves (about 1.2 times). Both sides build their keys for every case, as a differential
// case does; the views' side also draws its inputs and compares the outputs.

#include "../src/Test/DifferentialCases.hpp"

#include <Test/Differential.hpp>
#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <benchmark/benchmark.h>

#include <variant>

namespace {

namespace cases = ::Test::Differential::detail;
using zorvan::Bytes;

// The property of the leaf named `name` among the OpenSSL and libgcrypt types' differential
// tests.
template <class First, class Second> zorvan::testing::Property leafProperty(const char* name) {
    const std::vector<zorvan::testing::Test> tests =
        ::Test::Differential::makeDifferentialTests<First, Second>();
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (leaf.name == name) {
            return std::get<zorvan::testing::PropertyTest>(leaf.test->node()).property;
        }
    }
    throw std::invalid_argument(name);
}

// The inputs the leaf draws: the same generator, seed by seed.
std::vector<cases::Case> drawnCases(const cases::Shape& shape) {
    std::vector<cases::Case> drawn;
    for (std::uint64_t seed = 0; seed < 1024; ++seed) {
        zorvan::testing::Gen gen(seed);
        drawn.push_back(cases::drawCase(shape, gen));
    }
    return drawn;
}

cases::Shape ctrShape() {
    cases::Shape shape;
    shape.keyLengths = {16};
    shape.ivOctets = 16;
    shape.counterIv = true;
    shape.edges = {16};
    shape.mostMessage = 80;
    return shape;
}

cases::Shape sha256Shape() {
    cases::Shape shape;
    shape.edges = {64};
    shape.lengthFieldOctets = 8;
    shape.mostMessage = 3 * 64 + 8;
    return shape;
}

template <class Key> void ownCtrCalls(const cases::Case& input) {
    const Key key = *Key::buildKey(input.key);
    const auto iv = *zorvan::IV<Key>::get(input.iv);
    const zorvan::LazyBytes chunks = cases::lazyMessage(input);
    benchmark::DoNotOptimize(zorvan::ctr(key, iv, input.message));
    benchmark::DoNotOptimize(zorvan::ctrLazy(key, iv, chunks));
    benchmark::DoNotOptimize(zorvan::unCtr(key, iv, input.message));
    benchmark::DoNotOptimize(zorvan::unCtrLazy(key, iv, chunks));
}

template <class Digest> void ownHashCalls(const cases::Case& input) {
    benchmark::DoNotOptimize(zorvan::hashStrict<Digest>(input.message).encode());
    benchmark::DoNotOptimize(zorvan::hash<Digest>(cases::lazyMessage(input)).encode());
}

// Cases of the property, seed by seed, as a run draws them.
void runCases(benchmark::State& state, const zorvan::testing::Property& property) {
    std::uint64_t seed = 0;
    for (auto _ : state) {
        zorvan::testing::Gen gen(seed++ % 1024);
        benchmark::DoNotOptimize(property.runCase(gen));
    }
}

// The same inputs, each given to calls.
template <class Calls>
void runOwnCalls(benchmark::State& state, const cases::Shape& shape, Calls calls) {
    const std::vector<cases::Case> drawn = drawnCases(shape);
    std::size_t next = 0;
    for (auto _ : state) {
        calls(drawn[next++ % drawn.size()]);
    }
}

void BM_DifferentialCase_AES128CTR(benchmark::State& state) {
    runCases(state, leafProperty<zorvan::openssl::AES128, zorvan::gcrypt::AES128>("CTRAgrees"));
}
BENCHMARK(BM_DifferentialCase_AES128CTR);

void BM_LibrariesOwnCalls_AES128CTR(benchmark::State& state) {
    runOwnCalls(state, ctrShape(), [](const cases::Case& input) {
        ownCtrCalls<zorvan::openssl::AES128>(input);
        ownCtrCalls<zorvan::gcrypt::AES128>(input);
    });
}
BENCHMARK(BM_LibrariesOwnCalls_AES128CTR);

void BM_DifferentialCase_SHA256(benchmark::State& state) {
    runCases(state, leafProperty<zorvan::openssl::SHA256, zorvan::gcrypt::SHA256>("HashAgrees"));
}
BENCHMARK(BM_DifferentialCase_SHA256);

void BM_LibrariesOwnCalls_SHA256(benchmark::State& state) {
    runOwnCalls(state, sha256Shape(), [](const cases::Case& input) {
        ownHashCalls<zorvan::openssl::SHA256>(input);
        ownHashCalls<zorvan::gcrypt::SHA256>(input);
    });
}
BENCHMARK(BM_LibrariesOwnCalls_SHA256);

// What drawing the inputs alone costs of a differential case: the rest is the views' calls and
// the comparison.
void BM_DrawCase_SHA256(benchmark::State& state) {
    const cases::CaseDrawer draw(sha256Shape());
    std::uint64_t seed = 0;
    for (auto _ : state) {
        zorvan::testing::Gen gen(seed++ % 1024);
        benchmark::DoNotOptimize(draw(gen));
    }
}
BENCHMARK(BM_DrawCase_SHA256);

} // namespace

BENCHMARK_MAIN();
