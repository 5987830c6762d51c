// The SHA-256 suite over the installed vectors: building its list, and running its unit tests
// against OpenSSL beside a plain loop that hashes the same decoded messages the same two ways
// (contiguous, and in 37-octet chunks) with libcrypto directly, and through the backend. The
// difference is what the suite adds: decoding, chunk copies, the runner and the comparison.
//
// The host's load drifts between runs, so compare medians of interleaved repetitions:
//   sha_suite_bench --benchmark_min_time=0.2 --benchmark_repetitions=20
//                   --benchmark_enable_random_interleaving=true

#include <Test/DataSource.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatValues.hpp>
#include <Test/SHA.hpp>
#include <Test/ShaVectors.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <openssl/evp.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace {

// A chunk length no message reaches: the message goes in one update.
constexpr std::size_t wholeMessage = std::numeric_limits<std::size_t>::max();

void useInstalledData() {
    ::setenv("zorvan_tests_datadir", ZORVAN_DATA_DIR, 1);
}

void buildSha256List(benchmark::State& state) {
    useInstalledData();
    for (auto _ : state) {
        benchmark::DoNotOptimize(Test::SHA::makeSHA256Tests<zorvan::openssl::SHA256>());
    }
}
BENCHMARK(buildSha256List)->Unit(benchmark::kMillisecond);

void runSha256UnitTests(benchmark::State& state) {
    useInstalledData();
    const auto tests = Test::SHA::makeSHA256Tests<zorvan::openssl::SHA256>();
    std::vector<zorvan::testing::Leaf> units;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (std::holds_alternative<zorvan::testing::UnitTest>(leaf.test->node())) {
            units.push_back(leaf);
        }
    }
    for (auto _ : state) {
        for (const zorvan::testing::Leaf& leaf : units) {
            if (zorvan::testing::runLeaf(leaf, {}).status != zorvan::testing::LeafStatus::passed) {
                state.SkipWithError("a SHA-256 vector failed");
            }
        }
    }
    state.counters["tests"] = static_cast<double>(units.size());
}
BENCHMARK(runSha256UnitTests)->Unit(benchmark::kMillisecond);

using Digest = std::array<unsigned char, 32>;

Digest sha256(std::span<const std::uint8_t> message, std::size_t chunkLength) {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    Digest digest{};
    bool done = context != nullptr && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
    for (std::size_t start = 0; done && start < message.size(); start += chunkLength) {
        const std::size_t length = std::min(chunkLength, message.size() - start);
        done = EVP_DigestUpdate(context, message.data() + start, length) == 1;
    }
    done = done && EVP_DigestFinal_ex(context, digest.data(), nullptr) == 1;
    EVP_MD_CTX_free(context);
    if (!done) {
        throw std::runtime_error("libcrypto failed to hash");
    }
    return digest;
}

std::vector<Test::SHA::ShaInputs> decodeSha256Vectors() {
    useInstalledData();
    std::vector<Test::SHA::ShaInputs> decoded;
    const Test::KatFiles::Folder folder = Test::KatFiles::readFolder(
        Test::DataSource(), "Test/KAT_SHA", Test::SHA::lengthField,
        [](std::string_view name) { return name.starts_with("SHA256"); });
    for (const auto& record : Test::SHA::messageRecords(folder, "SHA256")) {
        decoded.push_back(Test::SHA::decode(record.vector.value()));
    }
    return decoded;
}

void hashDecodedMessagesDirectly(benchmark::State& state) {
    const std::vector<Test::SHA::ShaInputs> decoded = decodeSha256Vectors();
    for (auto _ : state) {
        for (const Test::SHA::ShaInputs& inputs : decoded) {
            const Digest contiguous = sha256(inputs.message.view(), wholeMessage);
            const Digest chunked = sha256(inputs.message.view(), Test::KatValues::messageChunkSize);
            if (!std::ranges::equal(contiguous, inputs.knownDigest) ||
                !std::ranges::equal(chunked, inputs.knownDigest)) {
                state.SkipWithError("a SHA-256 vector failed");
            }
        }
    }
    state.counters["messages"] = static_cast<double>(decoded.size());
}
BENCHMARK(hashDecodedMessagesDirectly)->Unit(benchmark::kMillisecond);

// The same through the OpenSSL backend's zorvan interface, chunks cut beforehand: what the
// backend adds to libcrypto, apart from what the suite adds.
void hashDecodedMessagesThroughTheBackend(benchmark::State& state) {
    using zorvan::openssl::SHA256;
    const std::vector<Test::SHA::ShaInputs> decoded = decodeSha256Vectors();
    for (auto _ : state) {
        for (const Test::SHA::ShaInputs& inputs : decoded) {
            if (zorvan::hashStrict<SHA256>(inputs.message).encode() != inputs.knownDigest ||
                zorvan::hash<SHA256>(inputs.chunkedMessage).encode() != inputs.knownDigest) {
                state.SkipWithError("a SHA-256 vector failed");
            }
        }
    }
}
BENCHMARK(hashDecodedMessagesThroughTheBackend)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
