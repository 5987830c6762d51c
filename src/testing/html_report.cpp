#include <zorvan/testing/html_report.hpp>

#include "junit.hpp"
#include "visible_text.hpp"

#include <algorithm>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string_view>
#include <vector>

namespace zorvan::testing {

namespace {

std::string escaped(std::string_view text) {
    return detail::xmlText(text);
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

// The text cut into alternating runs: text that is no octets, then hex octets (an even number of
// hex digits), and so on; the first run may be empty.
std::vector<std::string_view> octetRuns(std::string_view text) {
    std::vector<std::string_view> runs;
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size() && isHexDigit(text[end])) {
            ++end;
        }
        if (end > at && (end - at) % 2 == 0) {
            runs.push_back(text.substr(start, at - start));
            runs.push_back(text.substr(at, end - at));
            start = end;
        }
        at = std::max(end, at + 1);
    }
    runs.push_back(text.substr(start));
    return runs;
}

// The octets of value that differ from other's at their place, or that other lacks, marked.
std::string markedOctets(std::string_view value, std::string_view other) {
    std::string html;
    bool marking = false;
    for (std::size_t at = 0; at < value.size(); at += 2) {
        const bool differs = at >= other.size() || value.substr(at, 2) != other.substr(at, 2);
        if (differs != marking) {
            html += differs ? "<mark>" : "</mark>";
            marking = differs;
        }
        html.append(value.substr(at, 2));
    }
    return marking ? html + "</mark>" : html;
}

// The value with the octets that differ from the other value's marked, when both print their
// octets whole in the same frame (a byte string, a pair of them); otherwise the value as it is
// (a long value is printed abbreviated, with nothing to line its octets up with).
std::string markedValue(std::string_view value, std::string_view other) {
    const std::vector<std::string_view> runs = octetRuns(value);
    const std::vector<std::string_view> otherRuns = octetRuns(other);
    bool sameFrame = runs.size() == otherRuns.size() && value.find("...") == std::string::npos &&
                     other.find("...") == std::string::npos;
    for (std::size_t i = 0; sameFrame && i < runs.size(); i += 2) {
        sameFrame = runs[i] == otherRuns[i];
    }
    if (!sameFrame) {
        return escaped(value);
    }
    std::string html;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        html += i % 2 == 0 ? escaped(runs[i]) : markedOctets(runs[i], otherRuns[i]);
    }
    return html;
}

std::string seconds(double value) {
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << value;
    return text.str();
}

constexpr std::string_view style = R"(<style>
body { font-family: sans-serif; margin: 1.5em; color: #222; }
table { border-collapse: collapse; margin-bottom: 1.5em; }
th, td { border: 1px solid #bbb; padding: 0.2em 0.6em; text-align: left; vertical-align: top; }
td.cell { text-align: center; min-width: 5em; }
.passed { background: #b7e4b0; }
.mixed { background: #e4efb0; }
.failed { background: #f4a3a3; font-weight: bold; }
.skipped { background: #d6d6d6; }
.absent { background: #fafafa; }
td.cell a { color: inherit; }
pre, .value { font-family: monospace; white-space: pre-wrap; word-break: break-all; }
mark { background: #ffd54a; }
section.failure { border-left: 4px solid #d33; padding-left: 0.8em; margin-bottom: 1.2em; }
.legend span { display: inline-block; padding: 0 0.5em; margin-right: 0.4em; }
</style>
)";

// The class of a cell: failed when any leaf failed; passed when all passed; mixed when some
// passed and some were skipped; skipped when none ran; absent when the column lacks the suite.
std::string_view cellClass(const HtmlSuite& suite) {
    const RunSummary& counts = suite.summary;
    if (counts.failed > 0) {
        return "failed";
    }
    if (counts.passed == 0) {
        return "skipped";
    }
    return counts.skipped > 0 ? "mixed" : "passed";
}

std::string cellText(const HtmlSuite& suite) {
    const RunSummary& counts = suite.summary;
    std::string text = std::to_string(counts.passed) + " passed";
    if (counts.failed > 0) {
        text = std::to_string(counts.failed) + " failed, " + text;
    }
    if (counts.skipped > 0) {
        text += ", " + std::to_string(counts.skipped) + " skipped";
    }
    return text;
}

template <class Key>
std::vector<std::string> inOrder(const std::vector<HtmlSuite>& suites, Key key) {
    std::vector<std::string> names;
    for (const HtmlSuite& suite : suites) {
        if (std::find(names.begin(), names.end(), key(suite)) == names.end()) {
            names.push_back(key(suite));
        }
    }
    return names;
}

// Where each failure stands in the list of failures, for the cells' links: the first failure
// of each suite.
std::string failureAnchor(const HtmlRun& run, const HtmlSuite& suite) {
    const std::string prefix = suite.column + "/" + suite.row + "/";
    for (std::size_t i = 0; i < run.failures.size(); ++i) {
        if (run.failures[i].path.starts_with(prefix)) {
            return "failure-" + std::to_string(i + 1);
        }
    }
    return {};
}

void writeMatrix(std::ostream& out, const HtmlRun& run) {
    const std::vector<std::string> columns =
        inOrder(run.suites, [](const HtmlSuite& suite) { return suite.column; });
    const std::vector<std::string> rows =
        inOrder(run.suites, [](const HtmlSuite& suite) { return suite.row; });
    out << "<h2>Suites</h2>\n<p class=\"legend\"><span class=\"passed\">all passed</span>"
           "<span class=\"mixed\">passed, some skipped</span><span class=\"failed\">failed</span>"
           "<span class=\"skipped\">all skipped</span><span class=\"absent\">not in this "
           "column</span></p>\n<table class=\"matrix\">\n<thead><tr><th>suite</th>";
    for (const std::string& column : columns) {
        out << "<th>" << escaped(column) << "</th>";
    }
    out << "</tr></thead>\n<tbody>\n";
    for (const std::string& row : rows) {
        out << "<tr><th>" << escaped(row) << "</th>";
        for (const std::string& column : columns) {
            const auto suite =
                std::find_if(run.suites.begin(), run.suites.end(),
                             [&](const auto& s) { return s.column == column && s.row == row; });
            if (suite == run.suites.end()) {
                out << "<td class=\"cell absent\"></td>";
                continue;
            }
            const std::string text = escaped(cellText(*suite));
            out << "<td class=\"cell " << cellClass(*suite) << "\" title=\"" << text << ", "
                << seconds(suite->seconds) << " s\">";
            if (const std::string anchor = failureAnchor(run, *suite); !anchor.empty()) {
                out << "<a href=\"#" << anchor << "\">" << text << "</a>";
            } else {
                out << text;
            }
            out << "</td>";
        }
        out << "</tr>\n";
    }
    out << "</tbody>\n</table>\n";
}

void writeSkips(std::ostream& out, const HtmlRun& run) {
    if (std::none_of(run.suites.begin(), run.suites.end(),
                     [](const HtmlSuite& suite) { return !suite.skipReasons.empty(); })) {
        return;
    }
    out << "<h2>Skipped</h2>\n<table class=\"skips\">\n<thead><tr><th>suite</th><th>in</th>"
           "<th>leaves</th><th>reason</th></tr></thead>\n<tbody>\n";
    for (const HtmlSuite& suite : run.suites) {
        for (const auto& [reason, count] : suite.skipReasons) {
            out << "<tr><td>" << escaped(suite.row) << "</td><td>" << escaped(suite.column)
                << "</td><td>" << count << "</td><td>" << escaped(reason) << "</td></tr>\n";
        }
    }
    out << "</tbody>\n</table>\n";
}

void writeCheck(std::ostream& out, const FailedCheck& check) {
    out << "<table class=\"values\">\n";
    for (const auto& [value, other] :
         {std::pair(&check.first, &check.second), std::pair(&check.second, &check.first)}) {
        out << "<tr><th>" << escaped(value->role) << "</th><td class=\"value\">"
            << markedValue(value->text, other->text) << "</td></tr>\n";
    }
    if (check.difference) {
        out << "<tr><th>difference</th><td>" << escaped(describeDifference(*check.difference))
            << "</td></tr>\n";
    }
    if (check.origin) {
        const VectorOrigin& origin = *check.origin;
        out << "<tr><th>vector</th><td>" << escaped(origin.file);
        if (origin.line > 0) {
            out << ':' << origin.line << " (record " << origin.number << ')';
        } else {
            out << ", row " << origin.number;
        }
        for (const VectorField& field : origin.fields) {
            out << "<br><span class=\"value\">" << escaped(field.name) << " = "
                << escaped(field.value) << "</span>";
        }
        out << "</td></tr>\n";
    }
    out << "<tr><th>check</th><td>" << escaped(check.location.file) << ':' << check.location.line
        << "</td></tr>\n</table>\n";
}

void writeFailures(std::ostream& out, const HtmlRun& run) {
    if (run.failures.empty()) {
        return;
    }
    out << "<h2>Failures</h2>\n";
    for (std::size_t i = 0; i < run.failures.size(); ++i) {
        const HtmlFailure& failure = run.failures[i];
        out << "<section class=\"failure\" id=\"failure-" << i + 1 << "\">\n<h3>"
            << escaped(failure.path) << "</h3>\n";
        if (failure.outcome.check && !failure.outcome.falsified) {
            out << "<p>" << escaped(failure.outcome.message) << "</p>\n";
            writeCheck(out, *failure.outcome.check);
        } else {
            out << "<pre>" << escaped(failure.outcome.report()) << "</pre>\n";
        }
        out << "</section>\n";
    }
}

void writeHead(std::ostream& out, std::string_view title) {
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
        << escaped(title) << "</title>\n"
        << style << "</head>\n<body>\n<h1>" << escaped(title) << "</h1>\n";
}

// What the page says until the run writes its own, so that no earlier run's page outlives a
// run that is killed or crashes.
std::string unfinishedPage(std::string_view title) {
    std::ostringstream out;
    writeHead(out, title);
    out << "<p class=\"stopped\">The run did not finish: it was killed, crashed or ended by _exit "
           "before it could write this page.</p>\n</body>\n</html>\n";
    return out.str();
}

} // namespace

std::string renderHtml(const HtmlRun& run) {
    std::ostringstream out;
    writeHead(out, run.title);
    out << "<p>" << escaped(closingLine(run.end.summary)) << "; seed " << run.seed << "</p>\n";
    if (run.end.stopped()) {
        out << "<p class=\"stopped\">The run was cut short: " << escaped(run.end.stopReason) << "; "
            << run.end.notRun << " selected leaves did not run.</p>\n";
    }
    if (!run.end.emptySelection.empty()) {
        out << "<p>" << escaped(run.end.emptySelection) << "</p>\n";
    }
    writeMatrix(out, run);
    writeFailures(out, run);
    writeSkips(out, run);
    out << "</body>\n</html>\n";
    return out.str();
}

// Written as the JUnit report is: replaced whole, never seen half written, and standing in for
// the run from the start.
struct HtmlReport::Destination {
    Destination(const std::string& path, std::string_view title) : file(path) {
        file.standIn(unfinishedPage(title));
    }
    detail::JUnitDestination file;
};

HtmlReport::HtmlReport(const std::string& path, std::string title)
    : destination_(std::make_unique<Destination>(path, title)), counts_(std::cerr, {}) {
    run_.title = std::move(title);
}

HtmlReport::~HtmlReport() = default;

void HtmlReport::addSuite(std::string column, std::string row) {
    counts_.addRow({std::move(column), std::move(row)});
}

void HtmlReport::runStarting(const RunStart& start) {
    run_.seed = start.seed;
}

void HtmlReport::leafEnded(std::size_t, const Leaf& leaf, const LeafOutcome& outcome,
                           const RunSummary&) {
    if (outcome.status == LeafStatus::failed) {
        run_.failures.push_back({leaf.path, outcome});
    }
    counts_.count(leaf, outcome);
}

void HtmlReport::runEnded(const RunEnd& end) {
    run_.end = end;
    run_.suites.clear();
    for (const SuiteTable::Row& row : counts_.rows()) {
        run_.suites.push_back(
            {row.parts.at(0), row.parts.at(1), row.summary, row.seconds, row.skipReasons});
    }
    destination_->file.write(renderHtml(run_));
}

} // namespace zorvan::testing
