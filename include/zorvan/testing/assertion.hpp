#pragma once
// assertEqual and the failure it raises.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/describe.hpp>

#include <source_location>
#include <stdexcept>
#include <string>
#include <utility>

namespace zorvan::testing {

/// AssertionFailure: a failed check. what() is the whole report: the message, the first value
/// as "expected", the second as "actual", where byte strings first differ, and the source
/// location of the check.
class AssertionFailure : public std::runtime_error {
public:
    AssertionFailure(std::string message, std::string expected, std::string actual,
                     std::string difference, std::source_location location);

    [[nodiscard]] const std::string& message() const noexcept { return message_; }
    [[nodiscard]] const std::string& expected() const noexcept { return expected_; }
    [[nodiscard]] const std::string& actual() const noexcept { return actual_; }
    [[nodiscard]] const std::source_location& location() const noexcept { return location_; }

private:
    std::string message_;
    std::string expected_;
    std::string actual_;
    std::source_location location_;
};

/// TestSkipped: thrown by a leaf that cannot run here (a missing capability, not a fault);
/// the runner counts the leaf as skipped with the reason.
class TestSkipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// describeDifference: where two byte strings first differ and their lengths; for pairs of
/// byte strings, the same for the first component that differs; empty for other values.
std::string describeDifference(const Bytes& expected, const Bytes& actual);
std::string describeDifference(const std::pair<Bytes, Bytes>& expected,
                               const std::pair<Bytes, Bytes>& actual);
template <class T>
std::string describeDifference(const T&, const T&) {
    return {};
}

/// assertEqual: succeeds when first == second; otherwise throws AssertionFailure with the
/// message, first shown as the expected value and second as the actual one.
template <class T>
void assertEqual(const std::string& message, const T& first, const T& second,
                 std::source_location location = std::source_location::current()) {
    if (!(first == second)) {
        throw AssertionFailure(message, describe(first), describe(second),
                               describeDifference(first, second), location);
    }
}

} // namespace zorvan::testing
