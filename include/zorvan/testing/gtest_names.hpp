#pragma once
// What the GoogleTest adapter needs beyond GoogleTest itself: test names that gtest's filter
// selects one by one, and the place a failure is reported at.

#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/runner.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace zorvan::testing {

/// GoogleTestName: the suite and test name a leaf is registered under.
struct GoogleTestName {
    std::string suite;
    std::string name;

    friend bool operator==(const GoogleTestName&, const GoogleTestName&) = default;
};

/// filterSafeName: the text with every character that --gtest_filter reads specially ('-'
/// and ':' separate patterns, '*' and '?' are wildcards) replaced by '_'; "_" for the empty
/// text, which gtest cannot select. Never fails beyond allocation.
std::string filterSafeName(std::string_view text);

/// googleTestNames: for each leaf, in order, its suite (the group path, "zorvan" for
/// top-level leaves) and name, both made filter-safe; a full name "suite.name" that an
/// earlier leaf already has gets its occurrence ("md5KAT", "md5KAT_2", ...), skipping any
/// that another leaf holds, so every leaf is selectable alone by its exact name. Never fails
/// beyond allocation.
std::vector<GoogleTestName> googleTestNames(const std::vector<Leaf>& leaves);

/// FailurePlace: a file and line a failure is reported at.
struct FailurePlace {
    std::string file;
    int line = 0;
};

/// failurePlace: where a failed check is best shown: the line of its vector's record in the
/// installed data file when it has one, the source location of the check otherwise. Throws
/// what Paths_zorvan_tests::getDataFileName throws.
FailurePlace failurePlace(const FailedCheck& check);
FailurePlace failurePlace(const AssertionFailure& failure);

} // namespace zorvan::testing
