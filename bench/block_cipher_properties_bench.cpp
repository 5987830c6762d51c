// The ten block-cipher properties at 100 cases each against OpenSSL's AES-128, in wall time,
// beside a run that only draws the same arguments from the same generators: what is left is
// the cipher and the laws, and generation should not dominate.

#include <Test/Crypto.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::openssl::AES128;
namespace crypto = ::Test::Crypto;
using Tree = std::vector<zorvan::testing::Test>;

constexpr std::size_t casesPerProperty = 100;

// A law that only takes its arguments, discarding the cases that the real property discards
// (IV material shorter than a block) so that both draw the same sequence of cases.
template <class Message> zorvan::testing::Property drawOnly(bool withIV) {
    if (!withIV) {
        return zorvan::testing::makeProperty([](const Bytes& keySeed, const Message& message) {
            benchmark::DoNotOptimize(keySeed);
            benchmark::DoNotOptimize(message);
            return true;
        });
    }
    return zorvan::testing::makeProperty(
        [](const Bytes& keySeed, const Bytes& ivBytes, const Message& message) {
            benchmark::DoNotOptimize(keySeed);
            benchmark::DoNotOptimize(message);
            return zorvan::testing::implies(zorvan::IV<AES128>::get(ivBytes).has_value(), true);
        });
}

// The property tree with every law replaced by drawOnly: the same groups, leaf names and so
// the same generator seeds, and the same argument types (ECB first in each group, no IV).
Tree drawingTree(const Tree& properties) {
    Tree tree;
    for (std::size_t groupIndex = 0; groupIndex < properties.size(); ++groupIndex) {
        const auto& group = std::get<zorvan::testing::TestGroup>(properties[groupIndex].node());
        Tree leaves;
        for (std::size_t leafIndex = 0; leafIndex < group.children.size(); ++leafIndex) {
            const bool withIV = leafIndex != 0;
            leaves.push_back(zorvan::testing::testProperty(
                group.children[leafIndex].name(),
                groupIndex == 0 ? drawOnly<Bytes>(withIV) : drawOnly<LazyBytes>(withIV)));
        }
        tree.push_back(zorvan::testing::TestGroup{group.name, std::move(leaves)});
    }
    return tree;
}

void runEveryLeaf(benchmark::State& state, const Tree& tree) {
    const std::vector<zorvan::testing::Leaf> leaves = zorvan::testing::flatten(tree);
    const zorvan::testing::CheckSettings settings{.seed = 2024, .cases = casesPerProperty};
    for (auto _ : state) {
        for (const zorvan::testing::Leaf& leaf : leaves) {
            const zorvan::testing::LeafOutcome outcome = zorvan::testing::runLeaf(leaf, settings);
            if (outcome.status != zorvan::testing::LeafStatus::passed) {
                state.SkipWithError((leaf.path + ": " + outcome.report()).c_str());
                return;
            }
        }
    }
}

void tenPropertiesOnOpenSslAes128(benchmark::State& state) {
    runEveryLeaf(state, crypto::makeBlockCipherPropTests<AES128>());
}
BENCHMARK(tenPropertiesOnOpenSslAes128)->Unit(benchmark::kMillisecond)->UseRealTime();

void drawingTheirArgumentsOnly(benchmark::State& state) {
    runEveryLeaf(state, drawingTree(crypto::makeBlockCipherPropTests<AES128>()));
}
BENCHMARK(drawingTheirArgumentsOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
