#pragma once
// The ready main: run a test tree from the command line.

#include <zorvan/testing/test.hpp>

#include <concepts>
#include <functional>
#include <type_traits>
#include <vector>

namespace zorvan::testing {

/// main: parses the command line (see usage), runs the selected leaves and reports. Returns 0
/// when nothing failed, 1 when something did, when the filter selects no leaf, or when the
/// report could not be written (standard output closed or full, a JUnit file that cannot be
/// written: one line on standard error says why), 2 on a usage error.
int main(int argc, const char* const* argv, const std::vector<Test>& tests);
int main(int argc, const char* const* argv, const Test& test);

namespace detail {
int mainWithBuilder(int argc, const char* const* argv,
                    const std::function<std::vector<Test>()>& build);
} // namespace detail

/// main: the same with a builder, any callable that returns std::vector<Test> or Test
/// (`[] { return Test::SHA::makeSHA256Tests<MyDigest>(); }`). It is called only when the
/// command line asks for a run, so --help and usage errors need no data; an exception from it
/// (a missing KAT folder, say) is one line "cannot build the tests: ..." and status 1.
template <class Builder>
requires std::invocable<Builder&> &&
    (std::convertible_to<std::invoke_result_t<Builder&>, std::vector<Test>> ||
     std::convertible_to<std::invoke_result_t<Builder&>, Test>)int main(int argc,
                                                                        const char* const* argv,
                                                                        Builder&& builder) {
    return detail::mainWithBuilder(argc, argv, [&builder]() -> std::vector<Test> {
        if constexpr (std::convertible_to<std::invoke_result_t<Builder&>, std::vector<Test>>) {
            return builder();
        } else {
            return {builder()};
        }
    });
}

} // namespace zorvan::testing
