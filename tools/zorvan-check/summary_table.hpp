#pragma once
// The closing table of zorvan-check: backend × suite with passed, failed, skipped and time.

#include <zorvan/testing/runner.hpp>

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace zorvan::check {

/// SummaryTable: counts leaves by the first two parts of their path (backend/suite/...), and
/// the skipped ones by their reason.
class SummaryTable {
public:
    /// addRow: a row for a backend's suite, in the order rows are printed.
    void addRow(const std::string& backend, const std::string& suite);
    /// count: adds a leaf's outcome to the row its path names; leaves of no row are ignored.
    void count(const zorvan::testing::Leaf& leaf, const zorvan::testing::LeafOutcome& outcome);
    /// print: the table, then how many leaves of which row were skipped and why.
    void print(std::ostream& out) const;

private:
    struct Row {
        std::string backend;
        std::string suite;
        zorvan::testing::RunSummary summary;
        double seconds = 0;
        std::map<std::string, std::size_t> skipReasons;
    };
    std::vector<Row> rows_;
};

} // namespace zorvan::check
