#pragma once
// What the GoogleTest adapter needs beyond GoogleTest itself: test names that gtest's filter
// selects one by one, and the place a failure is reported at.

#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/runner.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
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

/// googleTestFailure: the text a failed leaf reports to GoogleTest: its outcome's report, and for
/// a property the seed that reruns it, with bytes that are not UTF-8 and control characters
/// shown as "\xNN" so that the XML GoogleTest writes from it is well-formed. Never fails beyond
/// allocation.
std::string googleTestFailure(const Leaf& leaf, const LeafOutcome& outcome, std::uint64_t seed);

/// googleTestText: text from the code under test as GoogleTest is given it, shown as
/// googleTestFailure shows it. Never fails beyond allocation.
std::string googleTestText(std::string_view text);

namespace detail {

/// guardGoogleTestReport: when GoogleTest's output flag (outputFlag, "xml:PATH" or "xml") names
/// a file, puts a report saying that the run did not finish in the place of any earlier one, so
/// that a run that is killed, crashes or times out leaves no earlier report behind; and a leaf
/// that ends the process early (exit, a time-out) writes why there. A destination that is not
/// a regular file, or cannot be written, is left to GoogleTest. Never throws beyond allocation.
void guardGoogleTestReport(std::string_view outputFlag, std::uint64_t seed);

/// buildForGoogleTest: the tests build returns, or, when it throws, the text of the failure
/// ("cannot build the tests: ..."). While it runs, a call to exit or quick_exit ends the program
/// with status 1 and a line naming "zorvan.build", instead of the status the code chose.
std::variant<std::vector<Test>, std::string>
buildForGoogleTest(const std::function<std::vector<Test>()>& build);

/// runLeafWithin: runLeaf, ending the process with status 1 when the leaf runs longer than
/// limit: a line on standard error names the leaf and limitName (the setting that sets the
/// limit), and the guarded report says the same.
LeafOutcome runLeafWithin(const Leaf& leaf, const CheckSettings& settings,
                          std::chrono::seconds limit, std::string_view limitName);

} // namespace detail

} // namespace zorvan::testing
