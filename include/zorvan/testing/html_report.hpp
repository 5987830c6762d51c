#pragma once
// HtmlReport: a run as one self-contained HTML page: the suites of each backend (or other
// column) as a matrix coloured by result, the skipped leaves with their reasons, and each
// failure with its vector, its values and the octets where they differ marked.

#include <zorvan/testing/outcome.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/suite_table.hpp>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zorvan::testing {

/// HtmlSuite: one suite of the page, a group at the path "column/row" ("openssl/SHA256"), and
/// what its leaves did.
struct HtmlSuite {
    /// column: the matrix column the suite stands in (the backend).
    std::string column;
    /// row: the matrix row (the suite's name).
    std::string row;
    /// summary: its leaves that passed, failed and were skipped.
    RunSummary summary;
    /// seconds: the time its leaves took.
    double seconds = 0;
    /// skipReasons: how many of its leaves were skipped for each reason.
    std::map<std::string, std::size_t> skipReasons;
};

/// HtmlFailure: a leaf that failed, by its path, and how.
struct HtmlFailure {
    /// path: the leaf's path.
    std::string path;
    /// outcome: how it failed.
    LeafOutcome outcome;
};

/// HtmlRun: what the page shows: its title, the run's seed and end, its suites in the order
/// they ran, and its failures in tree order (those of leaves in no suite too).
struct HtmlRun {
    /// title: the page's title and heading.
    std::string title;
    /// seed: the run's seed.
    std::uint64_t seed = 0;
    /// end: how the run ended.
    RunEnd end;
    /// suites: the matrix's cells; rows and columns in the order they first appear.
    std::vector<HtmlSuite> suites;
    /// failures: every failed leaf.
    std::vector<HtmlFailure> failures;
};

/// renderHtml: the page of a run, self-contained (its style inline, no script, nothing fetched).
/// Every text from the run is escaped, and any byte that is not UTF-8 or is a control
/// character shown as "\xNN". In a failure's two values printed as whole hex strings, the
/// octets that differ (and those the other lacks) are marked. Never fails beyond allocation.
std::string renderHtml(const HtmlRun& run);

/// HtmlReport: a listener that gathers a run's results into an HtmlRun, counting each leaf in
/// the suite added for the start of its path, and writes renderHtml's page to a file when the
/// run ends, also when it was cut short (the page says why).
class HtmlReport : public RunListener {
public:
    /// HtmlReport: a page titled title, to be written at path. As for --junit's file, a page
    /// saying the run did not finish is put there now, so that no earlier page outlives a run that
    /// is killed; throws std::runtime_error naming the path and the reason when no page can be
    /// written there (a directory, a missing folder). The run's page replaces it whole.
    HtmlReport(const std::string& path, std::string title);
    HtmlReport(const HtmlReport&) = delete;
    HtmlReport& operator=(const HtmlReport&) = delete;
    ~HtmlReport() override;

    /// addSuite: a suite, the group at "column/row", in the order the matrix shows them.
    void addSuite(std::string column, std::string row);

    void runStarting(const RunStart& start) override;
    void leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome,
                   const RunSummary& soFar) override;
    /// runEnded: writes the page; throws std::runtime_error naming the path and the reason when
    /// it cannot.
    void runEnded(const RunEnd& end) override;

private:
    struct Destination;
    std::unique_ptr<Destination> destination_;
    HtmlRun run_;
    // Counts the suites; the page is drawn from its rows, never printed as text.
    SuiteTable counts_;
};

} // namespace zorvan::testing
