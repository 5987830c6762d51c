#include <zorvan/testing/suite_table.hpp>

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace zorvan::testing {

void SuiteTable::addRow(std::vector<std::string> parts) {
    std::string prefix;
    for (const std::string& part : parts) {
        prefix += part + "/";
    }
    rows_.push_back({std::move(parts), std::move(prefix), {}, 0, {}});
}

void SuiteTable::count(const Leaf& leaf, const LeafOutcome& outcome) {
    // Leaves come suite by suite: the row of the last leaf is the likeliest.
    if (lastRow_ >= rows_.size() || !leaf.path.starts_with(rows_[lastRow_].prefix)) {
        const auto found = std::find_if(rows_.begin(), rows_.end(), [&](const Row& row) {
            return leaf.path.starts_with(row.prefix);
        });
        if (found == rows_.end()) {
            return;
        }
        lastRow_ = static_cast<std::size_t>(found - rows_.begin());
    }
    Row& row = rows_[lastRow_];
    switch (outcome.status) {
    case LeafStatus::passed:
        ++row.summary.passed;
        break;
    case LeafStatus::failed:
        ++row.summary.failed;
        break;
    case LeafStatus::skipped:
        ++row.summary.skipped;
        ++row.skipReasons[outcome.report()];
        break;
    }
    row.seconds += outcome.seconds;
}

void SuiteTable::print(std::ostream& out) const {
    std::vector<std::size_t> widths;
    widths.reserve(headings_.size());
    for (const std::string& heading : headings_) {
        widths.push_back(heading.size());
    }
    for (const Row& row : rows_) {
        for (std::size_t i = 0; i < widths.size() && i < row.parts.size(); ++i) {
            widths[i] = std::max(widths[i], row.parts[i].size());
        }
    }
    const auto line = [&](const std::vector<std::string>& parts, const auto& passed,
                          const auto& failed, const auto& skipped, const auto& seconds) {
        for (std::size_t i = 0; i < widths.size(); ++i) {
            out << std::left << std::setw(static_cast<int>(widths[i]))
                << (i < parts.size() ? parts[i] : "") << "  ";
        }
        out << std::right << std::setw(6) << passed << std::setw(8) << failed << std::setw(8)
            << skipped << std::setw(10) << seconds << '\n';
    };
    out << '\n';
    line(headings_, "passed", "failed", "skipped", "time (s)");
    out << std::fixed << std::setprecision(2);
    for (const Row& row : rows_) {
        line(row.parts, row.summary.passed, row.summary.failed, row.summary.skipped, row.seconds);
    }
    out.unsetf(std::ios::fixed);
    out << std::setprecision(6) << '\n';
    for (const Row& row : rows_) {
        for (const auto& [reason, count] : row.skipReasons) {
            out << "skipped: " << count << " of " << row.prefix.substr(0, row.prefix.size() - 1)
                << ": " << reason << '\n';
        }
    }
}

void SuiteTable::runEnded(const RunEnd& end) {
    if (!end.stopped()) {
        print(out_);
        if (notes_) {
            out_ << notes_();
        }
    }
}

std::optional<SuiteTable> suiteTableOf(const std::vector<Test>& tests, std::ostream& out) {
    std::optional<SuiteTable> table;
    for (const Test& test : tests) {
        if (std::holds_alternative<TestGroup>(test.node())) {
            if (!table) {
                table.emplace(out, std::vector<std::string>{"suite"});
            }
            table->addRow({test.name()});
        }
    }
    return table;
}

} // namespace zorvan::testing
