#include "console_reporter.hpp"

#include "visible_text.hpp"

#include <algorithm>
#include <ostream>

namespace zorvan::testing::detail {

namespace {

std::string shellQuote(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

bool isPlainShellCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("@%+=:,./_-").find(c) != std::string_view::npos;
}

} // namespace

std::string rerunLine(const std::vector<Leaf>& all, const Leaf& leaf, const RunOptions& options) {
    std::size_t occurrence = 0;
    std::size_t sharing = 0;
    for (const Leaf& other : all) {
        if (other.path == leaf.path) {
            ++sharing;
            if (other.test == leaf.test) {
                occurrence = sharing;
            }
        }
    }
    std::string command = options.rerunCommand + " --filter " + shellQuote(escapeGlob(leaf.path)) +
                          " --seed " + std::to_string(options.check.seed);
    if (sharing > 1) {
        command += " --occurrence " + std::to_string(occurrence);
    }
    if (options.check.cases != CheckSettings{}.cases) {
        command += " --cases " + std::to_string(options.check.cases);
    }
    return "seed " + std::to_string(options.check.seed) + "; rerun: " + command;
}

void ConsoleReporter::runStarting(const RunStart& start) {
    out_ << "seed: " << start.seed << std::endl;
}

void ConsoleReporter::groupStarting(const RunStart& group) {
    all_ = &group.all;
}

void ConsoleReporter::leafEnded(std::size_t, const Leaf& leaf, const LeafOutcome& outcome,
                                const RunSummary&) {
    switch (outcome.status) {
    case LeafStatus::passed:
        if (options_.verbose) {
            out_ << "ok    " << visibleText(leaf.path) << '\n';
        }
        break;
    case LeafStatus::skipped:
        if (options_.reportEachSkip || options_.verbose) {
            out_ << visibleText("SKIP  " + leaf.path + "\n  " + outcome.report()) << '\n';
        }
        break;
    case LeafStatus::failed:
        out_ << visibleText("FAIL  " + leaf.path + "\n  " + outcome.report() + "\n  " +
                            rerunLine(*all_, leaf, options_))
             << '\n';
        break;
    }
    out_.flush();
}

void ConsoleReporter::runEnded(const RunEnd& end) {
    if (end.stopped()) {
        out_ << visibleText(end.stopReason) << '\n'
             << closingLine(end.summary) << ", " << end.notRun << " not run";
        if (!end.groupsNotReached.empty()) {
            const std::size_t groups = end.groupsNotReached.size();
            out_ << ", " << groups << (groups == 1 ? " group" : " groups") << " not reached";
        }
        out_ << std::endl;
        return;
    }
    out_ << closingLine(end.summary) << std::endl;
}

} // namespace zorvan::testing::detail

namespace zorvan::testing {

std::string shellWord(std::string_view text) {
    const bool plain =
        !text.empty() && std::all_of(text.begin(), text.end(), detail::isPlainShellCharacter);
    return plain ? std::string(text) : detail::shellQuote(text);
}

} // namespace zorvan::testing
