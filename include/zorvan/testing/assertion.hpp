#pragma once
// assertEqual, assertKnownAnswer and the failure they raise.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/describe.hpp>
#include <zorvan/testing/origin.hpp>
#include <zorvan/testing/outcome.hpp>

#include <optional>
#include <source_location>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace zorvan::testing {

/// ValueRoles: the labels a failure report gives the two values it compares.
struct ValueRoles {
    /// first: the label of the first value ("expected", "computed").
    std::string_view first;
    /// second: the label of the second value ("actual", "known answer").
    std::string_view second;
};

/// The roles of assertEqual's values: the first is expected, the second actual.
inline constexpr ValueRoles expectedAndActual{"expected", "actual"};
/// The roles of assertKnownAnswer's values: what the implementation computed, then the
/// published answer.
inline constexpr ValueRoles computedAndKnownAnswer{"computed", "known answer"};

/// Comparison: the two values of a failed check, printed, with their roles, and where byte
/// strings first differ (nothing for other values).
struct Comparison {
    /// roles: what the two values are.
    ValueRoles roles;
    /// first: the first value as describe prints it.
    std::string first;
    /// second: the second value as describe prints it.
    std::string second;
    /// difference: where two byte strings first differ; nothing for other values.
    std::optional<ByteDifference> difference;
};

/// AssertionFailure: a failed check. what() is the whole report: the message, both values
/// labelled by their roles, where byte strings first differ, the vector's origin where there
/// is one, and the source location of the check.
class AssertionFailure : public std::runtime_error {
public:
    /// AssertionFailure: the failure of the check at location, with its message, values and the
    /// vector's origin; what() is built at once. Throws std::bad_alloc.
    AssertionFailure(std::string message, Comparison comparison, std::optional<VectorOrigin> origin,
                     std::source_location location);

    /// message: the check's own message, without the values.
    [[nodiscard]] const std::string& message() const noexcept { return message_; }
    /// comparison: the two values, their roles and where they differ.
    [[nodiscard]] const Comparison& comparison() const noexcept { return comparison_; }
    /// origin: the known-answer vector checked, or nothing for a check of no vector.
    [[nodiscard]] const std::optional<VectorOrigin>& origin() const noexcept { return origin_; }
    /// location: the source location of the check (assertEqual's or assertKnownAnswer's caller).
    [[nodiscard]] const std::source_location& location() const noexcept { return location_; }
    /// check: the failure as data, as a leaf's outcome carries it.
    [[nodiscard]] FailedCheck check() const;

private:
    std::string message_;
    Comparison comparison_;
    std::optional<VectorOrigin> origin_;
    std::source_location location_;
};

/// TestSkipped: thrown by a leaf that cannot run here (a missing capability, not a fault);
/// the runner counts the leaf as skipped with the reason.
class TestSkipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// byteDifference: where two byte strings first differ and their lengths; for pairs of
/// byte strings, the same for the first component that differs; nothing for other values.
ByteDifference byteDifference(const Bytes& first, const Bytes& second);
/// byteDifference: for pairs (a mode's output and next IV), the first component that differs,
/// or the second when the first components are equal.
ByteDifference byteDifference(const std::pair<Bytes, Bytes>& first,
                              const std::pair<Bytes, Bytes>& second);
/// byteDifference: nothing, for values that are not byte strings.
template <class T> std::optional<ByteDifference> byteDifference(const T&, const T&) {
    return std::nullopt;
}

namespace detail {

template <class T> Comparison compare(ValueRoles roles, const T& first, const T& second) {
    return {roles, describe(first), describe(second), byteDifference(first, second)};
}

} // namespace detail

/// assertEqual: succeeds when first == second; otherwise throws AssertionFailure with the
/// message, first shown as the expected value and second as the actual one.
template <class T>
void assertEqual(const std::string& message, const T& first, const T& second,
                 std::source_location location = std::source_location::current()) {
    if (!(first == second)) {
        throw AssertionFailure(message, detail::compare(expectedAndActual, first, second),
                               std::nullopt, location);
    }
}

/// assertKnownAnswer: assertEqual for a published vector: succeeds when computed ==
/// knownAnswer; otherwise throws AssertionFailure with the message, the values shown as
/// "computed" and "known answer", and the vector's origin. The origin is copied only on
/// failure.
template <class T>
void assertKnownAnswer(const std::string& message, const T& computed, const T& knownAnswer,
                       const VectorOrigin& origin,
                       std::source_location location = std::source_location::current()) {
    if (!(computed == knownAnswer)) {
        throw AssertionFailure(message,
                               detail::compare(computedAndKnownAnswer, computed, knownAnswer),
                               origin, location);
    }
}

} // namespace zorvan::testing
