// The Twofish Monte Carlo tests (the 4,800 records of CBC_D_M, CBC_E_M, ECB_D_M and ECB_E_M,
// 10,000 chained block operations each) as the suite runs them on nettle's Twofish, beside a
// plain loop of the same operations on nettle's twofish_encrypt and twofish_decrypt.
//
// The host's load drifts between runs, so compare the two over interleaved repetitions:
//   twofish_monte_carlo_bench --benchmark_repetitions=4 --benchmark_enable_random_interleaving=true

#include <Test/Crypto/hex.hpp>
#include <Test/TwoFish.hpp>

#include <zorvan/backends/nettle.hpp>

#include <benchmark/benchmark.h>
#include <nettle/twofish.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

namespace twofish = ::Test::TwoFish;

constexpr std::size_t blockOctets = TWOFISH_BLOCK_SIZE;

void useSourceData() {
    ::setenv("zorvan_tests_datadir", ZORVAN_BENCH_DATA_DIR, 1);
}

bool isMonteCarlo(const twofish::TwoFishVector& vector) {
    return vector.steps == twofish::monteCarloSteps;
}

void setBlockOperations(benchmark::State& state, std::size_t records) {
    const double operations = static_cast<double>(records * twofish::monteCarloSteps);
    state.counters["block_ops"] = operations;
    state.counters["block_ops_per_s"] = benchmark::Counter(
        operations * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void runSuiteMonteCarloTests(benchmark::State& state) {
    useSourceData();
    const std::vector<zorvan::testing::Test> tree =
        twofish::makeTwoFishTests<zorvan::nettle::Twofish>();
    const std::vector<twofish::TwoFishVector> vectors = twofish::twoFishVectors();
    std::vector<const zorvan::testing::UnitTest*> monteCarlo;
    for (std::size_t index = 0; index < vectors.size(); ++index) {
        if (isMonteCarlo(vectors[index])) {
            monteCarlo.push_back(&std::get<zorvan::testing::UnitTest>(tree[index].node()));
        }
    }
    for (auto _ : state) {
        for (const zorvan::testing::UnitTest* test : monteCarlo) {
            test->assertion();
        }
    }
    setBlockOperations(state, monteCarlo.size());
}

// One record in plain nettle: the designers' inner loop with the block kept in place.
struct PlainRecord {
    twofish::Operation operation;
    std::vector<std::uint8_t> key;
    std::array<std::uint8_t, blockOctets> input{};
    std::array<std::uint8_t, blockOctets> iv{};
    std::array<std::uint8_t, blockOctets> answer{};
};

std::array<std::uint8_t, blockOctets> block(const zorvan::Bytes& octets) {
    if (octets.size() != blockOctets) {
        throw std::invalid_argument("twofish_monte_carlo_bench: a field is not one block");
    }
    std::array<std::uint8_t, blockOctets> result{};
    std::memcpy(result.data(), octets.data(), blockOctets);
    return result;
}

std::vector<PlainRecord> plainRecords() {
    useSourceData();
    std::vector<PlainRecord> records;
    for (const twofish::TwoFishVector& vector : twofish::twoFishVectors()) {
        if (isMonteCarlo(vector)) {
            const zorvan::Bytes key = ::Test::Crypto::hexStringToBS(vector.keyHex);
            records.push_back(
                {vector.operation, std::vector<std::uint8_t>(key.begin(), key.end()),
                 block(::Test::Crypto::hexStringToBS(vector.inputHex)),
                 vector.iv ? block(*vector.iv) : std::array<std::uint8_t, blockOctets>{},
                 block(::Test::Crypto::hexStringToBS(vector.answerHex))});
        }
    }
    return records;
}

void xorInto(std::uint8_t* target, const std::uint8_t* other) {
    for (std::size_t i = 0; i < blockOctets; ++i) {
        target[i] ^= other[i];
    }
}

// The last output of the inner loop, as Test::TwoFish computes it.
std::array<std::uint8_t, blockOctets> runPlain(const PlainRecord& record) {
    twofish_ctx context;
    twofish_set_key(&context, record.key.size(), record.key.data());
    std::array<std::uint8_t, blockOctets> data = record.input;
    std::array<std::uint8_t, blockOctets> chaining = record.iv;
    std::array<std::uint8_t, blockOctets> output{};
    for (std::size_t step = 0; step < twofish::monteCarloSteps; ++step) {
        switch (record.operation) {
        case twofish::Operation::ecbEncrypt:
            twofish_encrypt(&context, blockOctets, data.data(), data.data());
            break;
        case twofish::Operation::ecbDecrypt:
            twofish_decrypt(&context, blockOctets, data.data(), data.data());
            break;
        case twofish::Operation::cbcEncrypt:
            xorInto(data.data(), chaining.data());
            twofish_encrypt(&context, blockOctets, output.data(), data.data());
            data = chaining;
            chaining = output;
            break;
        case twofish::Operation::cbcDecrypt:
            twofish_decrypt(&context, blockOctets, output.data(), data.data());
            xorInto(output.data(), chaining.data());
            chaining = data;
            data = output;
            break;
        }
    }
    return record.operation == twofish::Operation::cbcEncrypt ? chaining : data;
}

void runPlainNettleLoop(benchmark::State& state) {
    const std::vector<PlainRecord> records = plainRecords();
    for (auto _ : state) {
        for (const PlainRecord& record : records) {
            if (runPlain(record) != record.answer) {
                state.SkipWithError("the plain loop missed a published answer");
                return;
            }
        }
    }
    setBlockOperations(state, records.size());
}

BENCHMARK(runSuiteMonteCarloTests)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(runPlainNettleLoop)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
