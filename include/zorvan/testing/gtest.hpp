#pragma once
// registerGoogleTests: runs a test tree inside GoogleTest, one gtest test per leaf.

#include <zorvan/testing/builder.hpp>
#include <zorvan/testing/gtest_names.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/settings.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zorvan::testing {

namespace detail {

/// reportToGoogleTest: reports a leaf's outcome to the gtest test that is running: a skip
/// with its reason, a failure with its report at its check's place (the vector's line in
/// the data file where there is one), and for a property the seed that reruns it.
inline void reportToGoogleTest(const Leaf& leaf, const LeafOutcome& outcome, std::uint64_t seed) {
    if (outcome.status == LeafStatus::skipped) {
        GTEST_SKIP() << googleTestText(outcome.report());
    }
    if (outcome.status != LeafStatus::failed) {
        return;
    }
    const std::string failure = googleTestFailure(leaf, outcome, seed);
    std::optional<FailurePlace> place;
    try {
        place = outcome.check ? std::optional(failurePlace(*outcome.check)) : std::nullopt;
    } catch (const std::exception&) {
        // No data folder to point at: the failure is reported where the test is registered.
    }
    if (place) {
        ADD_FAILURE_AT(place->file.c_str(), place->line) << failure;
    } else {
        ADD_FAILURE() << failure;
    }
}

class LeafGoogleTest : public ::testing::Test {
public:
    LeafGoogleTest(std::shared_ptr<const std::vector<zorvan::testing::Test>> tree, Leaf leaf,
                   CheckSettings settings, std::chrono::seconds timeout)
        : tree_(std::move(tree)), leaf_(std::move(leaf)), settings_(settings), timeout_(timeout) {}

    void TestBody() override {
        reportToGoogleTest(leaf_, runLeafWithin(leaf_, settings_, timeout_, "ZORVAN_TIMEOUT"),
                           settings_.seed);
    }

private:
    std::shared_ptr<const std::vector<zorvan::testing::Test>> tree_; // keeps the leaf's test alive
    Leaf leaf_;
    CheckSettings settings_;
    std::chrono::seconds timeout_;
};

// Stands in for the leaves when they cannot be registered: the settings cannot be read, or the
// builder failed.
class RegistrationFailure : public ::testing::Test {
public:
    explicit RegistrationFailure(std::string message) : message_(std::move(message)) {}
    void TestBody() override { ADD_FAILURE() << message_; }

private:
    std::string message_;
};

inline void registerFailure(const char* name, const std::string& message) {
    ::testing::RegisterTest("zorvan", name, nullptr, nullptr, __FILE__, __LINE__,
                            [message = googleTestText(message)]() -> ::testing::Test* {
                                return new RegistrationFailure(message);
                            });
}

/// GoogleTestSettings: what the environment sets for the leaves.
struct GoogleTestSettings {
    CheckSettings check;
    std::chrono::seconds timeout;
};

/// settingsForGoogleTest: the settings from ZORVAN_SEED, ZORVAN_CASES and ZORVAN_TIMEOUT, with
/// GoogleTest's XML report guarded; or nothing, with "zorvan.settings" registered to say why.
inline std::optional<GoogleTestSettings> settingsForGoogleTest() {
    try {
        const GoogleTestSettings settings{checkSettingsFromEnvironment(),
                                          leafTimeoutFromEnvironment()};
        if (!GTEST_FLAG_GET(list_tests)) { // a listing writes no report
            guardGoogleTestReport(GTEST_FLAG_GET(output), settings.check.seed);
        }
        return settings;
    } catch (const UsageError& error) {
        registerFailure("settings", error.what());
        return std::nullopt;
    }
}

inline void registerLeaves(std::vector<Test> tests, const GoogleTestSettings& settings) {
    const auto tree = std::make_shared<const std::vector<zorvan::testing::Test>>(std::move(tests));
    const std::vector<Leaf> leaves = flatten(*tree);
    const std::vector<GoogleTestName> names = googleTestNames(leaves);
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        ::testing::RegisterTest(
            names[i].suite.c_str(), names[i].name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
            [tree, leaf = leaves[i], settings]() -> ::testing::Test* {
                return new LeafGoogleTest(tree, leaf, settings.check, settings.timeout);
            });
    }
}

} // namespace detail

/// registerGoogleTests: registers one gtest test per leaf, the suite named by the group path
/// (or "zorvan" for top-level leaves) and the test by the leaf (names as googleTestNames
/// gives them, so --gtest_filter selects each alone by its exact name), so gtest's filters,
/// repeat and sharding apply. A failed check is reported at its vector's line in the data
/// file where it has one; text from the code under test is shown as the bundled main shows it
/// ("\xNN" for bytes that are not UTF-8 and control characters), so GoogleTest's XML stays
/// well-formed. Properties use the seed in ZORVAN_SEED (a fresh one otherwise, printed with
/// their failures) and ZORVAN_CASES cases (100 otherwise); a leaf that runs longer than
/// ZORVAN_TIMEOUT seconds (600 otherwise) ends the program with status 1 and a line naming it.
/// A ZORVAN_SEED, ZORVAN_CASES or ZORVAN_TIMEOUT that does not read as the ready main reads
/// numbers registers, instead of the leaves, one failing test "zorvan.settings" whose message
/// names the variable and its value. When GoogleTest's --gtest_output names an XML file, an
/// earlier report there is replaced at once by one saying the run did not finish, which the
/// run's own report replaces when it ends. Call after InitGoogleTest and before RUN_ALL_TESTS.
inline void registerGoogleTests(std::vector<Test> tests) {
    if (const std::optional<detail::GoogleTestSettings> settings =
            detail::settingsForGoogleTest()) {
        detail::registerLeaves(std::move(tests), *settings);
    }
}

/// registerGoogleTests: the same with a builder, any callable that returns std::vector<Test>
/// or Test (`[] { return Test::AES::makeAESTests<MyAes128>(); }`), called at once. An exception
/// from it (a missing KAT folder, a vector file that cannot be read, a buildKey that throws)
/// registers one failing test "zorvan.build" that says "cannot build the tests: " and why,
/// instead of ending the program; one that calls exit ends it with status 1, naming
/// "zorvan.build".
template <TestBuilder Builder> void registerGoogleTests(Builder&& builder) {
    const std::optional<detail::GoogleTestSettings> settings = detail::settingsForGoogleTest();
    if (!settings) {
        return;
    }
    std::variant<std::vector<Test>, std::string> built =
        detail::buildForGoogleTest([&builder] { return detail::buildTree(builder); });
    if (const std::string* failure = std::get_if<std::string>(&built)) {
        detail::registerFailure("build", *failure);
        return;
    }
    detail::registerLeaves(std::move(std::get<std::vector<Test>>(built)), *settings);
}

} // namespace zorvan::testing
