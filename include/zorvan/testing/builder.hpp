#pragma once
// Builders: callables that make a test tree when a run needs it, so that building (reading the
// vector files) happens only for a run and its errors are reported like any failure.

#include <zorvan/testing/test.hpp>

#include <concepts>
#include <string>
#include <type_traits>
#include <vector>

namespace zorvan::testing {

/// TestBuilder: a callable that returns std::vector<Test> or Test
/// (`[] { return Test::SHA::makeSHA256Tests<MyDigest>(); }`).
template <class Builder>
concept TestBuilder = std::invocable<Builder&> &&
    (std::convertible_to<std::invoke_result_t<Builder&>, std::vector<Test>> ||
     std::convertible_to<std::invoke_result_t<Builder&>, Test>);

namespace detail {

/// buildTree: the trees the builder returns; throws what it throws.
template <TestBuilder Builder> std::vector<Test> buildTree(Builder& builder) {
    if constexpr (std::convertible_to<std::invoke_result_t<Builder&>, std::vector<Test>>) {
        return builder();
    } else {
        return {builder()};
    }
}

/// buildFailure: inside a catch block for an exception from a builder, "cannot build the tests: "
/// and what the exception says, with its nested causes. Never fails beyond allocation.
std::string buildFailure();

} // namespace detail

} // namespace zorvan::testing
