#include "summary_table.hpp"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace zorvan::check {

void SummaryTable::addRow(const std::string& backend, const std::string& suite) {
    rows_.push_back({backend, suite, {}, 0, {}});
}

void SummaryTable::count(const zorvan::testing::Leaf& leaf,
                         const zorvan::testing::LeafOutcome& outcome) {
    for (Row& row : rows_) {
        if (leaf.path.starts_with(row.backend + "/" + row.suite + "/")) {
            switch (outcome.status) {
            case zorvan::testing::LeafStatus::passed:
                ++row.summary.passed;
                break;
            case zorvan::testing::LeafStatus::failed:
                ++row.summary.failed;
                break;
            case zorvan::testing::LeafStatus::skipped:
                ++row.summary.skipped;
                ++row.skipReasons[outcome.report()];
                break;
            }
            row.seconds += outcome.seconds;
            return;
        }
    }
}

void SummaryTable::print(std::ostream& out) const {
    std::size_t backendWidth = 7;
    std::size_t suiteWidth = 5;
    for (const Row& row : rows_) {
        backendWidth = std::max(backendWidth, row.backend.size());
        suiteWidth = std::max(suiteWidth, row.suite.size());
    }
    const auto line = [&](const auto& backend, const auto& suite, const auto& passed,
                          const auto& failed, const auto& skipped, const auto& seconds) {
        out << std::left << std::setw(static_cast<int>(backendWidth)) << backend << "  "
            << std::setw(static_cast<int>(suiteWidth)) << suite << std::right << std::setw(8)
            << passed << std::setw(8) << failed << std::setw(8) << skipped << std::setw(10)
            << seconds << '\n';
    };
    out << '\n';
    line("backend", "suite", "passed", "failed", "skipped", "time (s)");
    out << std::fixed << std::setprecision(2);
    for (const Row& row : rows_) {
        line(row.backend, row.suite, row.summary.passed, row.summary.failed, row.summary.skipped,
             row.seconds);
    }
    out.unsetf(std::ios::fixed);
    out << std::setprecision(6) << '\n';
    for (const Row& row : rows_) {
        for (const auto& [reason, count] : row.skipReasons) {
            out << "skipped: " << count << " of " << row.backend << '/' << row.suite << ": "
                << reason << '\n';
        }
    }
}

void SummaryTable::runEnded(const zorvan::testing::RunEnd& end) {
    if (!end.stopped()) {
        print(out_);
        out_ << notes_;
    }
}

} // namespace zorvan::check
