// The Twofish Monte Carlo tests (the records of CBC_D_M, CBC_E_M, ECB_D_M and ECB_E_M, 10,000
// chained block operations each) as the suite runs them on a backend's Twofish, beside a plain
// loop of the same operations on the library's own block calls: nettle's twofish_encrypt and
// twofish_decrypt, and one libgcrypt ECB handle per key. libgcrypt has no 192-bit Twofish, so
// its pair runs the 128- and 256-bit records only, the suite through the key type zorvan-check
// uses.
//
// The host's load drifts between runs, so compare each pair over interleaved repetitions:
//   twofish_monte_carlo_bench --benchmark_repetitions=4 --benchmark_enable_random_interleaving=true

#include <Test/Crypto/hex.hpp>
#include <Test/DataSource.hpp>
#include <Test/TwoFish.hpp>
#include <Test/TwoFishFiles.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/key_size_gap.hpp>
#include <zorvan/backends/nettle.hpp>

#include <benchmark/benchmark.h>
#include <gcrypt.h>
#include <nettle/twofish.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

namespace twofish = ::Test::TwoFish;

constexpr std::size_t blockOctets = TWOFISH_BLOCK_SIZE;
using Block = std::array<std::uint8_t, blockOctets>;

/// The records a library's pair runs.
using RecordFilter = bool (*)(const twofish::TwoFishVector&);

void useSourceData() {
    ::setenv("zorvan_tests_datadir", ZORVAN_BENCH_DATA_DIR, 1);
}

bool isMonteCarlo(const twofish::TwoFishVector& vector) {
    return vector.steps == twofish::monteCarloSteps;
}

bool anyMonteCarlo(const twofish::TwoFishVector& vector) {
    return isMonteCarlo(vector);
}

bool monteCarloWithout192BitKey(const twofish::TwoFishVector& vector) {
    return isMonteCarlo(vector) && vector.keyHex.size() != 2 * 24;
}

struct NoTwofish192 {
    static constexpr std::size_t keyOctets = 24;
    static constexpr const char* reason = "libgcrypt has no Twofish with 192-bit keys";
};
using GcryptTwofish = zorvan::backends::WithKeySizeGap<zorvan::gcrypt::Twofish, NoTwofish192>;

// The Twofish vectors of the data, in the order the suite tests them.
std::vector<twofish::TwoFishVector> twoFishVectors() {
    std::vector<twofish::TwoFishVector> vectors;
    for (twofish::TwoFishRecord& record :
         twofish::folderRecords(twofish::readFolder(::Test::DataSource()))) {
        vectors.push_back(std::move(record.vector).value());
    }
    return vectors;
}

void setBlockOperations(benchmark::State& state, std::size_t records) {
    const double operations = static_cast<double>(records * twofish::monteCarloSteps);
    state.counters["block_ops"] = operations;
    state.counters["block_ops_per_s"] = benchmark::Counter(
        operations * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

template <class Twofish> void runSuiteMonteCarloTests(benchmark::State& state, RecordFilter keep) {
    useSourceData();
    const std::vector<zorvan::testing::Test> tree = twofish::makeTwoFishTests<Twofish>();
    const std::vector<twofish::TwoFishVector> vectors = twoFishVectors();
    std::vector<const zorvan::testing::UnitTest*> monteCarlo;
    for (std::size_t index = 0; index < vectors.size(); ++index) {
        if (keep(vectors[index])) {
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

// One record in plain form: the designers' inner loop with the block kept in place.
struct PlainRecord {
    twofish::Operation operation;
    std::vector<std::uint8_t> key;
    Block input{};
    Block iv{};
    Block answer{};
};

Block block(const zorvan::Bytes& octets) {
    if (octets.size() != blockOctets) {
        throw std::invalid_argument("twofish_monte_carlo_bench: a field is not one block");
    }
    Block result{};
    std::memcpy(result.data(), octets.data(), blockOctets);
    return result;
}

std::vector<PlainRecord> plainRecords(RecordFilter keep) {
    useSourceData();
    std::vector<PlainRecord> records;
    for (const twofish::TwoFishVector& vector : twoFishVectors()) {
        if (keep(vector)) {
            const zorvan::Bytes key = ::Test::Crypto::hexStringToBS(vector.keyHex);
            records.push_back(
                {vector.operation, std::vector<std::uint8_t>(key.begin(), key.end()),
                 block(::Test::Crypto::hexStringToBS(vector.inputHex)),
                 vector.ivHex ? block(::Test::Crypto::hexStringToBS(*vector.ivHex)) : Block{},
                 block(::Test::Crypto::hexStringToBS(vector.answerHex))});
        }
    }
    return records;
}

/// nettle's Twofish block functions under one key.
class NettleBlocks {
public:
    explicit NettleBlocks(const std::vector<std::uint8_t>& key) {
        twofish_set_key(&context_, key.size(), key.data());
    }
    void encrypt(std::uint8_t* output, const std::uint8_t* input) {
        twofish_encrypt(&context_, blockOctets, output, input);
    }
    void decrypt(std::uint8_t* output, const std::uint8_t* input) {
        twofish_decrypt(&context_, blockOctets, output, input);
    }

private:
    twofish_ctx context_{};
};

/// One libgcrypt Twofish ECB handle under one key.
class GcryptBlocks {
public:
    explicit GcryptBlocks(const std::vector<std::uint8_t>& key) {
        zorvan::gcrypt::detail::initialiseLibgcrypt();
        const int algorithm = key.size() == 16 ? GCRY_CIPHER_TWOFISH128 : GCRY_CIPHER_TWOFISH;
        gcry_cipher_hd_t handle = nullptr;
        if (gcry_cipher_open(&handle, algorithm, GCRY_CIPHER_MODE_ECB, 0) != 0) {
            throw std::runtime_error("twofish_monte_carlo_bench: gcry_cipher_open failed");
        }
        handle_.reset(handle);
        if (gcry_cipher_setkey(handle, key.data(), key.size()) != 0) {
            throw std::runtime_error("twofish_monte_carlo_bench: gcry_cipher_setkey failed");
        }
    }
    void encrypt(std::uint8_t* output, const std::uint8_t* input) {
        gcry_cipher_encrypt(handle_.get(), output, blockOctets, input, blockOctets);
    }
    void decrypt(std::uint8_t* output, const std::uint8_t* input) {
        gcry_cipher_decrypt(handle_.get(), output, blockOctets, input, blockOctets);
    }

private:
    struct Close {
        void operator()(gcry_cipher_hd_t handle) const noexcept { gcry_cipher_close(handle); }
    };
    std::unique_ptr<gcry_cipher_handle, Close> handle_;
};

void xorInto(std::uint8_t* target, const std::uint8_t* other) {
    for (std::size_t i = 0; i < blockOctets; ++i) {
        target[i] ^= other[i];
    }
}

// The last output of the inner loop, as Test::TwoFish computes it.
template <class Blocks> Block runPlain(const PlainRecord& record) {
    Blocks cipher(record.key);
    Block data = record.input;
    Block chaining = record.iv;
    Block output{};
    for (std::size_t step = 0; step < twofish::monteCarloSteps; ++step) {
        switch (record.operation) {
        case twofish::Operation::ecbEncrypt:
            cipher.encrypt(output.data(), data.data());
            data = output;
            break;
        case twofish::Operation::ecbDecrypt:
            cipher.decrypt(output.data(), data.data());
            data = output;
            break;
        case twofish::Operation::cbcEncrypt:
            xorInto(data.data(), chaining.data());
            cipher.encrypt(output.data(), data.data());
            data = chaining;
            chaining = output;
            break;
        case twofish::Operation::cbcDecrypt:
            cipher.decrypt(output.data(), data.data());
            xorInto(output.data(), chaining.data());
            chaining = data;
            data = output;
            break;
        }
    }
    return record.operation == twofish::Operation::cbcEncrypt ? chaining : data;
}

template <class Blocks> void runPlainLoop(benchmark::State& state, RecordFilter keep) {
    const std::vector<PlainRecord> records = plainRecords(keep);
    for (auto _ : state) {
        for (const PlainRecord& record : records) {
            if (runPlain<Blocks>(record) != record.answer) {
                state.SkipWithError("the plain loop missed a published answer");
                return;
            }
        }
    }
    setBlockOperations(state, records.size());
}

void nettleSuite(benchmark::State& state) {
    runSuiteMonteCarloTests<zorvan::nettle::Twofish>(state, anyMonteCarlo);
}
void nettlePlainLoop(benchmark::State& state) {
    runPlainLoop<NettleBlocks>(state, anyMonteCarlo);
}
void gcryptSuite(benchmark::State& state) {
    runSuiteMonteCarloTests<GcryptTwofish>(state, monteCarloWithout192BitKey);
}
void gcryptPlainLoop(benchmark::State& state) {
    runPlainLoop<GcryptBlocks>(state, monteCarloWithout192BitKey);
}

BENCHMARK(nettleSuite)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(nettlePlainLoop)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(gcryptSuite)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(gcryptPlainLoop)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
