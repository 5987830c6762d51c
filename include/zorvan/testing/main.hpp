#pragma once
// The ready main: run a test tree from the command line.

#include <zorvan/testing/builder.hpp>
#include <zorvan/testing/test.hpp>

#include <functional>
#include <vector>

namespace zorvan::testing {

/// main: parses the command line (see usage), runs the selected leaves and reports, guarded by a
/// RunSession from before the tests are built. Returns 0 when nothing failed and something ran,
/// 1 when something failed, when the selection holds no leaf, or when the report could not be
/// written (standard output closed or full, a JUnit file that cannot be written: one line on
/// standard error says why), 2 on a usage error. Signals, exit and a leaf that runs too long
/// end the process as RunSession says.
int main(int argc, const char* const* argv, const std::vector<Test>& tests);
int main(int argc, const char* const* argv, const Test& test);

namespace detail {
int mainWithBuilder(int argc, const char* const* argv,
                    const std::function<std::vector<Test>()>& build);
} // namespace detail

/// main: the same with a builder, any callable that returns std::vector<Test> or Test
/// (`[] { return Test::SHA::makeSHA256Tests<MyDigest>(); }`). It is called only when the
/// command line asks for a run or a listing, after any earlier JUnit report was replaced, so
/// --help and usage errors need no data; an exception from it (a missing KAT folder, say) is
/// one line "cannot build the tests: ..." and status 1, and the JUnit report says the same.
template <TestBuilder Builder> int main(int argc, const char* const* argv, Builder&& builder) {
    return detail::mainWithBuilder(argc, argv, [&builder] { return detail::buildTree(builder); });
}

} // namespace zorvan::testing
