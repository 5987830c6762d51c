#pragma once
// How a leaf ended, as data: what failed, the values it compared and their roles, where they
// differ, the check's place in the source, the vector's origin, and a property's drawn case.
// Reporters render it; none of them parses another's text.

#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zorvan::testing {

/// LeafStatus: how a leaf ended: it passed, it failed (a failed check, an error, a crash, a
/// time-out), or it was skipped (TestSkipped, or a leaf the run did not reach).
enum class LeafStatus { passed, failed, skipped };

/// PrintedValue: one value of a failed comparison, printed, and its role ("expected",
/// "computed", "known answer", ...).
struct PrintedValue {
    /// role: the value's label in the report.
    std::string role;
    /// text: the value as describe printed it.
    std::string text;

    /// operator==: the same role and text.
    friend bool operator==(const PrintedValue&, const PrintedValue&) = default;
};

/// ByteDifference: where two byte strings first differ: the octet's position, both octets
/// where both strings reach it, and both lengths. For pairs of byte strings, the component
/// that differs.
struct ByteDifference {
    /// Component: which byte strings differ: two plain ones (whole), or the first or second
    /// members of two pairs.
    enum class Component : std::uint8_t { whole, first, second };

    /// component: which byte strings this difference is about.
    Component component = Component::whole;
    /// position: the first octet that differs, counted from 0; where one string is a prefix of
    /// the other, the shorter one's length.
    std::size_t position = 0;
    /// firstOctet: the first string's octet there; nothing unless both strings reach it.
    std::optional<std::uint8_t> firstOctet;
    /// secondOctet: the second string's octet there; nothing unless both strings reach it.
    std::optional<std::uint8_t> secondOctet;
    /// firstLength: the first string's length in octets.
    std::size_t firstLength = 0;
    /// secondLength: the second string's length in octets.
    std::size_t secondLength = 0;

    /// operator==: every field equal.
    friend bool operator==(const ByteDifference&, const ByteDifference&) = default;
};

/// CheckLocation: the source file and line of a check.
struct CheckLocation {
    /// file: the source file, as std::source_location names it.
    std::string file;
    /// line: the line, from 1.
    std::uint32_t line = 0;

    /// operator==: the same file and line.
    friend bool operator==(const CheckLocation&, const CheckLocation&) = default;
};

/// FailedCheck: a failed assertion: its message, the two values with their roles in the
/// order the check was given them, where byte strings differ, the vector's origin where the
/// values come from one, and where the check stands.
struct FailedCheck {
    /// message: the check's own message.
    std::string message;
    /// first: the first value the check was given, with its role.
    PrintedValue first;
    /// second: the second value the check was given, with its role.
    PrintedValue second;
    /// difference: where byte strings differ; nothing for other values.
    std::optional<ByteDifference> difference;
    /// origin: the known-answer vector the values come from, if any.
    std::optional<VectorOrigin> origin;
    /// location: where the check stands in the source.
    CheckLocation location;

    /// operator==: every field equal.
    friend bool operator==(const FailedCheck&, const FailedCheck&) = default;
};

/// DrawnArgument: one argument of a property's case, its name ("keySeed", or "argument 2"
/// for a law whose parameters were given no names) and its printed value.
struct DrawnArgument {
    /// name: the argument's name, or "argument N" (from 1).
    std::string name;
    /// value: the drawn value as describe printed it.
    std::string value;

    /// operator==: the same name and value.
    friend bool operator==(const DrawnArgument&, const DrawnArgument&) = default;
};

/// FalsifiedCase: the case that falsified a property: the run's seed, which reproduces it;
/// its number among the cases that were not discarded (from 1, so number - 1 cases passed
/// before it); its arguments (the smallest that shrinking found); the error it raised that
/// was not a failed check, if any; and, where shrinking found a smaller case, how many steps
/// it took and the arguments as they were drawn.
struct FalsifiedCase {
    /// seed: the run's seed; rerunning with it draws the same case.
    std::uint64_t seed = 0;
    /// number: the case's number among those not discarded, from 1.
    std::size_t number = 0;
    /// arguments: the case's drawn arguments in the law's order.
    std::vector<DrawnArgument> arguments;
    /// error: the text of an error other than a failed check; empty when there was none.
    std::string error;
    /// shrinkSteps: how many steps shrinking took; 0 when it found no smaller case.
    std::size_t shrinkSteps = 0;
    /// drawnArguments: the arguments as they were drawn, before shrinking; empty when shrinkSteps
    /// is 0.
    std::vector<DrawnArgument> drawnArguments;

    /// operator==: every field equal.
    friend bool operator==(const FalsifiedCase&, const FalsifiedCase&) = default;
};

/// LeafOutcome: how one leaf ended. message is the outcome's first line: the failed check's
/// message, an error ("error: ..."), a skip's reason, or a property's verdict ("falsified
/// after 3 passed cases", "gave up after ..."). check is the failed assertion (of the leaf, or
/// of the property's falsifying case); falsified the property's case.
struct LeafOutcome {
    /// status: passed, failed or skipped.
    LeafStatus status = LeafStatus::passed;
    /// message: the outcome's first line; empty for a leaf that passed.
    std::string message;
    /// check: the failed assertion, if one failed.
    std::optional<FailedCheck> check;
    /// falsified: the property's falsifying case, if it was falsified.
    std::optional<FalsifiedCase> falsified;
    /// seconds: how long the leaf ran, wall-clock.
    double seconds = 0;

    /// report: what the console shows under the leaf's path: the message, then the case's
    /// arguments, the check's values, difference, origin and location, each on a line of its
    /// own. Never fails beyond allocation.
    [[nodiscard]] std::string report() const;

    /// operator==: every field equal, the time included.
    friend bool operator==(const LeafOutcome&, const LeafOutcome&) = default;
};

/// outcomeWith: an outcome of that status whose whole report is message (a skip's reason, an
/// error, a crash, a time-out). Never fails beyond allocation.
LeafOutcome outcomeWith(LeafStatus status, std::string message, double seconds = 0);

/// describeDifference: the difference as reports show it: "first difference at octet 1
/// (02 vs 09); lengths 3 and 2", prefixed with the component of a pair. Never fails beyond
/// allocation.
std::string describeDifference(const ByteDifference& difference);

/// describeCheck: a failed check as reports show it: its message, both values labelled by
/// role and aligned, the difference, the origin and "at FILE:LINE". Never fails beyond
/// allocation.
std::string describeCheck(const FailedCheck& check);

} // namespace zorvan::testing
