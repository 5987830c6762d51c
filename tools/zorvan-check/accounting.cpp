#include "accounting.hpp"

#include <algorithm>

namespace zorvan::check {

std::optional<std::string> accountLine(std::string_view suite,
                                       const ::Test::RecordLedger::Ledger& ledger) {
    if (ledger.files == 0) {
        return std::nullopt;
    }
    std::string line = std::string(suite) + ": " + std::to_string(ledger.tests) + " of " +
                       std::to_string(ledger.records()) + " records in " +
                       std::to_string(ledger.files) + " files became tests";
    const auto add = [&](std::string_view prefix, const auto& notes) {
        for (const auto& [why, seen] : notes) {
            line.append("\n  ")
                .append(std::to_string(seen.records))
                .append(" ")
                .append(prefix)
                .append(why)
                .append(" (first at ")
                .append(seen.first)
                .append(")");
        }
    };
    add("", ledger.otherVariants);
    add("failed: ", ledger.failed);
    return line;
}

std::string accountingReport(const std::vector<std::pair<std::string, std::string>>& lines) {
    std::vector<std::pair<std::string, std::string>> grouped; // line, backends
    for (const auto& [backend, line] : lines) {
        const auto same =
            std::ranges::find(grouped, line, &std::pair<std::string, std::string>::first);
        if (same == grouped.end()) {
            grouped.emplace_back(line, backend);
        } else {
            same->second += ", " + backend;
        }
    }
    std::string report;
    for (const auto& [line, backends] : grouped) {
        report += "known answers (" + backends + ") " + line + '\n';
    }
    return report;
}

} // namespace zorvan::check
