#pragma once
// registerGoogleTests: runs a test tree inside GoogleTest, one gtest test per leaf.

#include <zorvan/testing/gtest_names.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/settings.hpp>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zorvan::testing {

namespace detail {

/// GoogleTestReporter: reports each leaf's outcome to the gtest test that is running: a skip
/// with its reason, a failure with its report at its check's place (the vector's line in
/// the data file where there is one), and for a property leaf the seed that reruns it.
class GoogleTestReporter : public RunListener {
public:
    explicit GoogleTestReporter(std::uint64_t seed) : seed_(seed) {}

    void leafEnded(std::size_t, const Leaf& leaf, const LeafOutcome& outcome,
                   const RunSummary&) override {
        if (outcome.status == LeafStatus::skipped) {
            GTEST_SKIP() << outcome.report();
        }
        if (outcome.status != LeafStatus::failed) {
            return;
        }
        const bool isProperty = std::holds_alternative<PropertyTest>(leaf.test->node());
        const std::string seedLine = isProperty
                                         ? "\n  seed " + std::to_string(seed_) +
                                               "; rerun with ZORVAN_SEED=" + std::to_string(seed_)
                                         : std::string();
        if (outcome.check) {
            const FailurePlace place = failurePlace(*outcome.check);
            ADD_FAILURE_AT(place.file.c_str(), place.line) << outcome.report() << seedLine;
        } else {
            ADD_FAILURE() << outcome.report() << seedLine;
        }
    }

private:
    std::uint64_t seed_;
};

class LeafGoogleTest : public ::testing::Test {
public:
    LeafGoogleTest(std::shared_ptr<const std::vector<zorvan::testing::Test>> tree, Leaf leaf,
                   CheckSettings settings)
        : tree_(std::move(tree)), leaf_(std::move(leaf)), settings_(settings) {}

    void TestBody() override {
        GoogleTestReporter reporter(settings_.seed);
        reporter.leafStarting(leaf_);
        const LeafOutcome outcome = runLeaf(leaf_, settings_);
        reporter.leafEnded(0, leaf_, outcome, {});
    }

private:
    std::shared_ptr<const std::vector<zorvan::testing::Test>> tree_; // keeps the leaf's test alive
    Leaf leaf_;
    CheckSettings settings_;
};

// Stands in for the leaves when the environment's settings cannot be read.
class SettingsErrorTest : public ::testing::Test {
public:
    explicit SettingsErrorTest(std::string message) : message_(std::move(message)) {}
    void TestBody() override { ADD_FAILURE() << message_; }

private:
    std::string message_;
};

} // namespace detail

/// registerGoogleTests: registers one gtest test per leaf, the suite named by the group path
/// (or "zorvan" for top-level leaves) and the test by the leaf (names as googleTestNames
/// gives them, so --gtest_filter selects each alone by its exact name), so gtest's filters,
/// repeat and sharding apply. A failed check is reported at its vector's line in the data
/// file where it has one. Properties use the seed in ZORVAN_SEED (a fresh one otherwise,
/// printed with their failures) and ZORVAN_CASES cases (100 otherwise). A ZORVAN_SEED or
/// ZORVAN_CASES that does not read as the ready main reads numbers registers, instead of the
/// leaves, one failing test "zorvan.settings" whose message names the variable and its value.
/// Call before RUN_ALL_TESTS.
inline void registerGoogleTests(std::vector<Test> tests) {
    CheckSettings settings;
    try {
        settings = checkSettingsFromEnvironment();
    } catch (const UsageError& error) {
        ::testing::RegisterTest("zorvan", "settings", nullptr, nullptr, __FILE__, __LINE__,
                                [message = std::string(error.what())]() -> ::testing::Test* {
                                    return new detail::SettingsErrorTest(message);
                                });
        return;
    }
    const auto tree = std::make_shared<const std::vector<zorvan::testing::Test>>(std::move(tests));
    const std::vector<Leaf> leaves = flatten(*tree);
    const std::vector<GoogleTestName> names = googleTestNames(leaves);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        ::testing::RegisterTest(names[i].suite.c_str(), names[i].name.c_str(), nullptr, nullptr,
                                __FILE__, __LINE__,
                                [tree, leaf = leaves[i], settings]() -> ::testing::Test* {
                                    return new detail::LeafGoogleTest(tree, leaf, settings);
                                });
    }
}

} // namespace zorvan::testing
