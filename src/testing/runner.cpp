#include <zorvan/testing/runner.hpp>

#include <atomic>
#include <chrono>
#include <fstream>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

namespace zorvan::testing {

namespace {

void collectLeaves(const Test& test, const std::string& groupPath, std::vector<Leaf>& leaves) {
    const auto joined = [&](const std::string& name) {
        return groupPath.empty() ? name : groupPath + "/" + name;
    };
    if (const auto* group = std::get_if<TestGroup>(&test.node())) {
        for (const Test& child : group->children) {
            collectLeaves(child, joined(group->name), leaves);
        }
        return;
    }
    leaves.push_back({joined(test.name()), groupPath, test.name(), &test});
}

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return hash;
}

// The property's cases depend on the seed and the leaf's path only, so a leaf run alone
// (through --filter) meets the same cases as in a full run.
Gen leafGenerator(const CheckSettings& settings, const std::string& path) {
    return Gen(Gen(settings.seed ^ fnv1a(path)).next());
}

LeafOutcome checkProperty(const Property& property, const Leaf& leaf,
                          const CheckSettings& settings) {
    Gen generator = leafGenerator(settings, leaf.path);
    std::size_t passed = 0;
    std::size_t discarded = 0;
    const std::size_t discardLimit = settings.cases * settings.maxDiscardRatio;
    while (passed < settings.cases) {
        Gen caseGenerator(generator.next(), passed % 100);
        const CaseOutcome outcome = property.runCase(caseGenerator);
        if (outcome.verdict == Verdict::holds) {
            ++passed;
            continue;
        }
        if (outcome.verdict == Verdict::discarded) {
            if (++discarded > discardLimit) {
                return {LeafStatus::failed,
                        "gave up after " + std::to_string(passed) + " passed cases and " +
                            std::to_string(discarded) + " discarded ones"};
            }
            continue;
        }
        std::ostringstream report;
        report << "falsified after " << passed << " passed cases";
        for (std::size_t i = 0; i < outcome.arguments.size(); ++i) {
            report << "\n  argument " << i + 1 << ": " << outcome.arguments[i];
        }
        if (!outcome.error.empty()) {
            report << "\n  " << outcome.error;
        }
        return {LeafStatus::failed, report.str()};
    }
    return {};
}

std::string shellQuote(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string xmlEscape(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default:
            // XML 1.0 has no form for most control characters.
            if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r') {
                escaped += '?';
            } else {
                escaped += c;
            }
        }
    }
    return escaped;
}

void writeJUnit(const std::string& path, const std::vector<Leaf>& leaves,
                const std::vector<LeafOutcome>& outcomes, const RunSummary& summary) {
    std::ofstream file(path);
    if (!file) {
        throw std::runtime_error("cannot write the JUnit report to " + path);
    }
    double total = 0;
    for (const LeafOutcome& outcome : outcomes) {
        total += outcome.seconds;
    }
    file << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         << "<testsuites tests=\"" << leaves.size() << "\" failures=\"" << summary.failed
         << "\" skipped=\"" << summary.skipped << "\" time=\"" << total << "\">\n"
         << "  <testsuite name=\"zorvan\" tests=\"" << leaves.size() << "\" failures=\""
         << summary.failed << "\" skipped=\"" << summary.skipped << "\" time=\"" << total
         << "\">\n";
    for (std::size_t i = 0; i < leaves.size(); ++i) {
        const LeafOutcome& outcome = outcomes[i];
        file << "    <testcase classname=\"" << xmlEscape(leaves[i].groupPath) << "\" name=\""
             << xmlEscape(leaves[i].name) << "\" time=\"" << outcome.seconds << "\"";
        if (outcome.status == LeafStatus::passed) {
            file << "/>\n";
            continue;
        }
        const char* element = outcome.status == LeafStatus::failed ? "failure" : "skipped";
        const std::string firstLine = outcome.report.substr(0, outcome.report.find('\n'));
        file << ">\n      <" << element << " message=\"" << xmlEscape(firstLine) << "\">"
             << xmlEscape(outcome.report) << "</" << element << ">\n    </testcase>\n";
    }
    file << "  </testsuite>\n</testsuites>\n";
    if (!file.flush()) {
        throw std::runtime_error("cannot write the JUnit report to " + path);
    }
}

// The report of a run: failures and skips as the leaves reach it in tree order, then the
// closing line and the JUnit file.
class Report {
public:
    Report(const std::vector<Leaf>& all, const std::vector<Leaf>& leaves, const RunOptions& options,
           std::ostream& out)
        : all_(all), leaves_(leaves), options_(options), out_(out), outcomes_(leaves.size()) {
        out_ << "seed: " << options_.check.seed << std::endl;
    }

    void add(std::size_t index, LeafOutcome outcome) {
        const Leaf& leaf = leaves_[index];
        switch (outcome.status) {
        case LeafStatus::passed:
            ++summary_.passed;
            if (options_.verbose) {
                out_ << "ok    " << leaf.path << '\n';
            }
            break;
        case LeafStatus::skipped:
            ++summary_.skipped;
            if (options_.reportEachSkip || options_.verbose) {
                out_ << "SKIP  " << leaf.path << "\n  " << outcome.report << '\n';
            }
            break;
        case LeafStatus::failed:
            ++summary_.failed;
            out_ << "FAIL  " << leaf.path << "\n  " << outcome.report << "\n  seed "
                 << options_.check.seed << "; rerun: " << rerunCommand(leaf) << '\n';
            break;
        }
        if (options_.onReported) {
            options_.onReported(leaf, outcome, summary_, leaves_.size());
        }
        outcomes_[index] = std::move(outcome);
    }

    RunSummary finish() {
        if (options_.beforeClosingLine) {
            options_.beforeClosingLine(out_);
        }
        out_ << closingLine(summary_) << std::endl;
        if (options_.junitPath) {
            writeJUnit(*options_.junitPath, leaves_, outcomes_, summary_);
        }
        return summary_;
    }

private:
    // Names the leaf by path, and by occurrence where the path is shared, so that the command
    // runs exactly that leaf.
    std::string rerunCommand(const Leaf& leaf) const {
        std::size_t occurrence = 0;
        std::size_t sharing = 0;
        for (const Leaf& other : all_) {
            if (other.path == leaf.path) {
                ++sharing;
                if (other.test == leaf.test) {
                    occurrence = sharing;
                }
            }
        }
        std::string command = options_.rerunCommand + " --filter " +
                              shellQuote(escapeGlob(leaf.path)) + " --seed " +
                              std::to_string(options_.check.seed);
        if (sharing > 1) {
            command += " --occurrence " + std::to_string(occurrence);
        }
        if (options_.check.cases != CheckSettings{}.cases) {
            command += " --cases " + std::to_string(options_.check.cases);
        }
        return command;
    }

    const std::vector<Leaf>& all_;
    const std::vector<Leaf>& leaves_;
    const RunOptions& options_;
    std::ostream& out_;
    std::vector<LeafOutcome> outcomes_;
    RunSummary summary_;
};

// Hands outcomes that arrive in any order to the report in tree order.
class InTreeOrder {
public:
    InTreeOrder(std::size_t count, Report& report) : waiting_(count), report_(report) {}

    void finished(std::size_t index, LeafOutcome outcome) {
        const std::lock_guard lock(mutex_);
        waiting_[index] = std::move(outcome);
        while (next_ < waiting_.size() && waiting_[next_]) {
            report_.add(next_, std::move(*waiting_[next_]));
            waiting_[next_++].reset();
        }
    }

private:
    std::mutex mutex_;
    std::vector<std::optional<LeafOutcome>> waiting_;
    std::size_t next_ = 0;
    Report& report_;
};

} // namespace

std::vector<Leaf> flatten(const std::vector<Test>& tests) {
    std::vector<Leaf> leaves;
    for (const Test& test : tests) {
        collectLeaves(test, "", leaves);
    }
    return leaves;
}

LeafOutcome runLeaf(const Leaf& leaf, const CheckSettings& settings) {
    const auto start = std::chrono::steady_clock::now();
    LeafOutcome outcome;
    try {
        if (const auto* unit = std::get_if<UnitTest>(&leaf.test->node())) {
            unit->assertion();
        } else {
            outcome = checkProperty(std::get<PropertyTest>(leaf.test->node()).property, leaf,
                                    settings);
        }
    } catch (const TestSkipped& skipped) {
        outcome = {LeafStatus::skipped, skipped.what()};
    } catch (...) {
        outcome = {LeafStatus::failed, detail::describeCurrentException()};
    }
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

std::vector<Leaf> selectLeaves(const std::vector<Leaf>& leaves, const RunOptions& options) {
    std::vector<Leaf> matching;
    for (const Leaf& leaf : leaves) {
        if (globMatch(options.filter, leaf.path)) {
            matching.push_back(leaf);
        }
    }
    if (options.occurrence) {
        const std::size_t index = *options.occurrence - 1;
        return index < matching.size() ? std::vector<Leaf>{matching[index]} : std::vector<Leaf>{};
    }
    std::vector<Leaf> shard;
    for (std::size_t i = options.shardIndex; i < matching.size(); i += options.shardCount) {
        shard.push_back(matching[i]);
    }
    return shard;
}

std::string closingLine(const RunSummary& summary) {
    std::string line =
        std::to_string(summary.passed) + " passed, " + std::to_string(summary.failed) + " failed";
    if (summary.skipped > 0) {
        line += ", " + std::to_string(summary.skipped) + " skipped";
    }
    return line;
}

Executor threadedExecutor(std::size_t jobs, LeafRunner runOne) {
    return [jobs, runOne = std::move(runOne)](const std::vector<Leaf>& leaves,
                                              const CheckSettings& settings,
                                              const LeafFinished& finished) {
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t i = next++; i < leaves.size(); i = next++) {
                finished(i, runOne(leaves[i], settings));
            }
        };
        std::vector<std::jthread> helpers;
        for (std::size_t j = 1; j < jobs; ++j) {
            helpers.emplace_back(work);
        }
        work();
    };
}

RunSummary run(const std::vector<Test>& tests, const RunOptions& options, std::ostream& out) {
    const std::vector<Leaf> all = flatten(tests);
    const std::vector<Leaf> leaves = selectLeaves(all, options);
    if (options.list) {
        for (const Leaf& leaf : leaves) {
            out << leaf.path << '\n';
        }
        return {};
    }
    Report report(all, leaves, options, out);
    InTreeOrder inOrder(leaves.size(), report);
    const Executor execute = options.executor ? options.executor : threadedExecutor(options.jobs);
    execute(leaves, options.check,
            [&](std::size_t index, LeafOutcome outcome) { inOrder.finished(index, std::move(outcome)); });
    return report.finish();
}

} // namespace zorvan::testing
