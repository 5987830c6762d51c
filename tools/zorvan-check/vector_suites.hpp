#pragma once
// The suites of the vector files given with --vectors: each file run on every type of every
// backend that has its algorithm.

#include "catalogue.hpp"

#include <Test/Suites.hpp>
#include <Test/VectorFile.hpp>

#include <string>
#include <vector>

namespace zorvan::check {

/// VectorFileSuites: a vector file, what it was taken for, and its suites.
struct VectorFileSuites {
    ::Test::VectorFile::Inferred inferred;
    std::vector<SuiteEntry> suites;
};

/// vectorFileSuites: for each of paths in order, what it is and one suite per type of each of
/// backends that lists the algorithm its tests need, named "File<n>-<row>" with "-<key bits>"
/// for a keyed type ("File1-SHA256", "File2-AES-128"). Builds no test. Throws
/// zorvan::testing::UsageError naming the path and why for a file that gives no tests
/// (Test::VectorFile::inspect refuses it) or whose algorithm none of backends has.
std::vector<VectorFileSuites> vectorFileSuites(const std::vector<std::string>& paths,
                                               const std::vector<Backend>& backends,
                                               const ::Test::Suites::SuiteOptions& options);

} // namespace zorvan::check
