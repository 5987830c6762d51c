#pragma once
// The closing table of zorvan-check: backend × suite with passed, failed, skipped and time.

#include <zorvan/testing/runner.hpp>

#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace zorvan::check {

/// SummaryTable: counts leaves by the first two parts of their path (backend/suite/...), and
/// the skipped ones by their reason; when the run ends (unless cut short), prints the table to
/// out, then its notes.
class SummaryTable : public zorvan::testing::RunListener {
public:
    explicit SummaryTable(std::ostream& out) : out_(out) {}

    /// addRow: a row for a backend's suite, in the order rows are printed.
    void addRow(const std::string& backend, const std::string& suite);
    /// count: adds a leaf's outcome to the row its path names; leaves of no row are ignored.
    void count(const zorvan::testing::Leaf& leaf, const zorvan::testing::LeafOutcome& outcome);
    /// print: the table, then how many leaves of which row were skipped and why.
    void print(std::ostream& out) const;
    /// addNote: lines printed under the table.
    void addNote(const std::string& lines) { notes_ += lines; }

    void leafEnded(std::size_t, const zorvan::testing::Leaf& leaf,
                   const zorvan::testing::LeafOutcome& outcome,
                   const zorvan::testing::RunSummary&) override {
        count(leaf, outcome);
    }
    void runEnded(const zorvan::testing::RunEnd& end) override;

private:
    struct Row {
        std::string backend;
        std::string suite;
        zorvan::testing::RunSummary summary;
        double seconds = 0;
        std::map<std::string, std::size_t> skipReasons;
    };
    std::ostream& out_;
    std::vector<Row> rows_;
    std::string notes_;
};

} // namespace zorvan::check
