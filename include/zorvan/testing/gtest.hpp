#pragma once
// registerGoogleTests: runs a test tree inside GoogleTest, one gtest test per leaf.

#include <zorvan/testing/runner.hpp>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace zorvan::testing {

namespace detail {

class LeafGoogleTest : public ::testing::Test {
public:
    LeafGoogleTest(std::shared_ptr<const std::vector<zorvan::testing::Test>> tree, Leaf leaf, CheckSettings settings)
        : tree_(std::move(tree)), leaf_(std::move(leaf)), settings_(settings) {}

    void TestBody() override {
        const LeafOutcome outcome = runLeaf(leaf_, settings_);
        if (outcome.status == LeafStatus::skipped) {
            GTEST_SKIP() << outcome.report;
        }
        if (outcome.status == LeafStatus::failed) {
            ADD_FAILURE() << outcome.report << "\n  seed " << settings_.seed
                          << "; rerun with ZORVAN_SEED=" << settings_.seed;
        }
    }

private:
    std::shared_ptr<const std::vector<zorvan::testing::Test>> tree_; // keeps the leaf's test alive
    Leaf leaf_;
    CheckSettings settings_;
};

inline CheckSettings settingsFromEnvironment() {
    CheckSettings settings;
    if (const char* seed = std::getenv("ZORVAN_SEED")) {
        settings.seed = std::stoull(seed);
    } else {
        std::random_device entropy;
        settings.seed = (std::uint64_t{entropy()} << 32) | entropy();
    }
    if (const char* cases = std::getenv("ZORVAN_CASES")) {
        settings.cases = std::stoul(cases);
    }
    return settings;
}

} // namespace detail

/// registerGoogleTests: registers one gtest test per leaf, the suite named by the group path
/// (or by the leaf for top-level leaves, in suite "zorvan"), so gtest's filters, repeat and
/// sharding apply. Properties use the seed in ZORVAN_SEED (a fresh one otherwise, printed
/// with every failure) and ZORVAN_CASES cases (100 otherwise). Call before RUN_ALL_TESTS.
inline void registerGoogleTests(std::vector<Test> tests) {
    const auto tree = std::make_shared<const std::vector<zorvan::testing::Test>>(std::move(tests));
    const CheckSettings settings = detail::settingsFromEnvironment();
    for (const Leaf& leaf : flatten(*tree)) {
        const std::string suite = leaf.groupPath.empty() ? "zorvan" : leaf.groupPath;
        ::testing::RegisterTest(suite.c_str(), leaf.name.c_str(), nullptr, nullptr, __FILE__,
                                __LINE__, [tree, leaf, settings]() -> ::testing::Test* {
                                    return new detail::LeafGoogleTest(tree, leaf, settings);
                                });
    }
}

} // namespace zorvan::testing
