#pragma once
// SuiteTable: the closing table of a run: one row per suite with its passed, failed and
// skipped leaves and its time, then the reasons leaves were skipped.

#include <zorvan/testing/runner.hpp>

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zorvan::testing {

/// SuiteTable: a listener that counts the leaves of each suite, a group of the tree at a path
/// given by its parts ({"openssl", "SHA256"} for the group "openssl/SHA256"), and, when the run
/// ends (unless cut short), prints to out the table: one column per part under the headings it
/// was given, then passed, failed, skipped and the time in seconds; then, for each suite, how
/// many leaves were skipped and why; then its notes. Leaves of no suite count in no row.
/// Throws what the stream throws.
class SuiteTable : public RunListener {
public:
    /// Row: a suite's counts: its parts, the path prefix of its leaves ("openssl/SHA256/"), its
    /// leaves that passed, failed and were skipped, their time, and the skips by reason.
    struct Row {
        /// parts: the suite's path, part by part ({"openssl", "SHA256"}).
        std::vector<std::string> parts;
        /// prefix: the path prefix of its leaves ("openssl/SHA256/").
        std::string prefix;
        /// summary: its leaves that passed, failed and were skipped.
        RunSummary summary;
        /// seconds: the time its leaves took.
        double seconds = 0;
        /// skipReasons: how many of its leaves were skipped, by reason.
        std::map<std::string, std::size_t> skipReasons;
    };

    /// SuiteTable: a table to print to out, with these headings for the parts of the paths.
    SuiteTable(std::ostream& out, std::vector<std::string> headings)
        : out_(out), headings_(std::move(headings)) {}

    /// addRow: a row for the suite at these parts of a path, in the order rows are printed.
    void addRow(std::vector<std::string> parts);
    /// setNotes: what gives the lines printed under the table, asked when the run ends.
    void setNotes(std::function<std::string()> notes) { notes_ = std::move(notes); }
    /// count: adds a leaf's outcome to the row of its suite.
    void count(const Leaf& leaf, const LeafOutcome& outcome);
    /// print: the table, then the skipped leaves of each row by reason.
    void print(std::ostream& out) const;
    /// rows: the rows counted so far, in the order they were added.
    [[nodiscard]] const std::vector<Row>& rows() const noexcept { return rows_; }

    void leafEnded(std::size_t, const Leaf& leaf, const LeafOutcome& outcome,
                   const RunSummary&) override {
        count(leaf, outcome);
    }
    void runEnded(const RunEnd& end) override;

private:
    std::ostream& out_;
    std::vector<std::string> headings_;
    std::vector<Row> rows_;
    std::size_t lastRow_ = 0;
    std::function<std::string()> notes_;
};

/// suiteTableOf: a table whose suites are the top-level groups of tests, under the heading
/// "suite"; none when tests hold no group.
std::optional<SuiteTable> suiteTableOf(const std::vector<Test>& tests, std::ostream& out);

} // namespace zorvan::testing
