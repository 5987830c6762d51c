#pragma once
// The ready main: run a test tree from the command line.

#include <zorvan/testing/test.hpp>

#include <vector>

namespace zorvan::testing {

/// main: parses the command line (see usage), runs the selected leaves and reports. Returns 0
/// when nothing failed, 1 when something did, 2 on a usage error.
int main(int argc, const char* const* argv, const std::vector<Test>& tests);
int main(int argc, const char* const* argv, const Test& test);

} // namespace zorvan::testing
