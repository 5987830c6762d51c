#pragma once
// The Wycheproof suites' rows in the algorithm table.

#include <Test/Suites.hpp>

#include <vector>

namespace Test::Wycheproof {

/// addSuites: each Wycheproof known-answer suite appended to the suites of its row of rows
/// ("Wycheproof-AES{bits}-GCM" to AES-GCM's), so that zorvan-check runs it for every type of
/// the row. Throws std::invalid_argument when rows lack one of those rows.
void addSuites(std::vector<Suites::Algorithm>& rows);

} // namespace Test::Wycheproof
