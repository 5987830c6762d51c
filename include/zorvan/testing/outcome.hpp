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

enum class LeafStatus { passed, failed, skipped };

/// PrintedValue: one value of a failed comparison, printed, and its role ("expected",
/// "computed", "known answer", ...).
struct PrintedValue {
    std::string role;
    std::string text;

    friend bool operator==(const PrintedValue&, const PrintedValue&) = default;
};

/// ByteDifference: where two byte strings first differ: the octet's position, both octets
/// where both strings reach it, and both lengths. For pairs of byte strings, the component
/// that differs.
struct ByteDifference {
    enum class Component : std::uint8_t { whole, first, second };

    Component component = Component::whole;
    std::size_t position = 0;
    std::optional<std::uint8_t> firstOctet;
    std::optional<std::uint8_t> secondOctet;
    std::size_t firstLength = 0;
    std::size_t secondLength = 0;

    friend bool operator==(const ByteDifference&, const ByteDifference&) = default;
};

/// CheckLocation: the source file and line of a check.
struct CheckLocation {
    std::string file;
    std::uint32_t line = 0;

    friend bool operator==(const CheckLocation&, const CheckLocation&) = default;
};

/// FailedCheck: a failed assertion: its message, the two values with their roles in the
/// order the check was given them, where byte strings differ, the vector's origin where the
/// values come from one, and where the check stands.
struct FailedCheck {
    std::string message;
    PrintedValue first;
    PrintedValue second;
    std::optional<ByteDifference> difference;
    std::optional<VectorOrigin> origin;
    CheckLocation location;

    friend bool operator==(const FailedCheck&, const FailedCheck&) = default;
};

/// DrawnArgument: one argument of a property's case, its name ("keySeed", or "argument 2"
/// for a law whose parameters were given no names) and its printed value.
struct DrawnArgument {
    std::string name;
    std::string value;

    friend bool operator==(const DrawnArgument&, const DrawnArgument&) = default;
};

/// FalsifiedCase: the case that falsified a property: the run's seed, which reproduces it;
/// its number among the cases that were not discarded (from 1, so number - 1 cases passed
/// before it); its arguments (the smallest that shrinking found); the error it raised that
/// was not a failed check, if any; and, where shrinking found a smaller case, how many steps
/// it took and the arguments as they were drawn.
struct FalsifiedCase {
    std::uint64_t seed = 0;
    std::size_t number = 0;
    std::vector<DrawnArgument> arguments;
    std::string error;
    std::size_t shrinkSteps = 0;
    std::vector<DrawnArgument> drawnArguments;

    friend bool operator==(const FalsifiedCase&, const FalsifiedCase&) = default;
};

/// LeafOutcome: how one leaf ended. message is the outcome's first line: the failed check's
/// message, an error ("error: ..."), a skip's reason, or a property's verdict ("falsified
/// after 3 passed cases", "gave up after ..."). check is the failed assertion (of the leaf, or
/// of the property's falsifying case); falsified the property's case.
struct LeafOutcome {
    LeafStatus status = LeafStatus::passed;
    std::string message;
    std::optional<FailedCheck> check;
    std::optional<FalsifiedCase> falsified;
    double seconds = 0;

    /// report: what the console shows under the leaf's path: the message, then the case's
    /// arguments, the check's values, difference, origin and location, each on a line of its
    /// own. Never fails beyond allocation.
    [[nodiscard]] std::string report() const;

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
