// A large data test of 1 GiB (SHA2-256's first, "12735C605F3D270C" repeated) through OpenSSL's
// SHA-256 as the ACVP suite streams it (the hash view's Context fed pieces of about 1 MiB from
// one buffer), beside OpenSSL's own EVP loop over the same pieces. Peak memory is measured
// around one of them alone: /usr/bin/time -v acvp_large_data_bench --benchmark_filter=Suite.

#include <Test/LargeMessages.hpp>

#include <Test/Crypto/HashView.hpp>

#include <zorvan/backends/openssl.hpp>

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <array>
#include <cstdint>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 8> content{0x12, 0x73, 0x5C, 0x60, 0x5F, 0x3D, 0x27, 0x0C};
constexpr std::uint64_t messageOctets = std::uint64_t{1} << 30;

void suiteStreaming(benchmark::State& state) {
    const auto view = Test::Crypto::messageView<zorvan::openssl::SHA256>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            view->fedDigestOctets([](const Test::Crypto::HashView::PieceSink& sink) {
                Test::LargeMessages::feedRepeating(content, messageOctets, sink);
            }));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(messageOctets));
}

void opensslLoop(benchmark::State& state) {
    std::vector<std::uint8_t> piece(Test::LargeMessages::pieceTarget);
    for (std::size_t index = 0; index < piece.size(); ++index) {
        piece[index] = content[index % content.size()];
    }
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    for (auto _ : state) {
        EVP_MD_CTX* context = EVP_MD_CTX_new();
        EVP_DigestInit_ex(context, EVP_sha256(), nullptr);
        for (std::uint64_t left = messageOctets; left > 0; left -= piece.size()) {
            EVP_DigestUpdate(context, piece.data(), piece.size());
        }
        unsigned int length = 0;
        EVP_DigestFinal_ex(context, digest.data(), &length);
        EVP_MD_CTX_free(context);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(messageOctets));
}

} // namespace

BENCHMARK(suiteStreaming)->Name("Suite/SHA256-LDT-1GiB")->Unit(benchmark::kMillisecond);
BENCHMARK(opensslLoop)->Name("OpenSSL/SHA256-1GiB")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
