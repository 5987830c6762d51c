#pragma once
// zorvan-check --differential: every pair of backends compared on every algorithm and key size
// they share, on drawn inputs (Test/Differential.hpp).

#include "catalogue.hpp"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::check {

/// differentialSuites: one suite for each pair of the backends that has an algorithm at one key
/// size, in the order of the first backend's list, for which selected(backend, suite) holds: its
/// backend is "first-vs-second" and its suite "Diff-<algorithm>" with "-<key bits>" for a keyed
/// algorithm (an XTS key's bits are one cipher key's). The selected suites share `seconds`
/// (Test::Differential::Budget), none when 0. Builds no test.
std::vector<SuiteEntry> differentialSuites(
    const std::vector<Backend>& backends,
    const std::function<bool(std::string_view backend, std::string_view suite)>& selected,
    double seconds);

} // namespace zorvan::check
