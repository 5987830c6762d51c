#include <zorvan/testing/runner.hpp>

#include "junit.hpp"
#include "visible_text.hpp"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <latch>
#include <mutex>
#include <ostream>
#include <sstream>
#include <thread>

namespace zorvan::testing {

namespace {

using detail::JUnitFile;
using detail::renderJUnit;
using detail::visibleText;

// The status of a run that a leaf ended by calling exit: a failure, whatever status it asked.
constexpr int exitedInLeafStatus = 1;

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
                return {LeafStatus::failed, "gave up after " + std::to_string(passed) +
                                                " passed cases and " + std::to_string(discarded) +
                                                " discarded ones"};
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

bool isPlainShellCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("@%+=:,./_-").find(c) != std::string_view::npos;
}

// The report of a run: failures and skips as the leaves reach it in tree order, then the
// closing line and the JUnit file; or, when the run is stopped, what finished.
class Report {
public:
    Report(const std::vector<Leaf>& all, const std::vector<Leaf>& leaves, const RunOptions& options,
           std::ostream& out)
        : all_(all), leaves_(leaves), options_(options), out_(out), outcomes_(leaves.size()) {
        if (options_.junitPath) {
            junit_.emplace(*options_.junitPath);
        }
        out_ << "seed: " << options_.check.seed << std::endl;
    }

    void add(std::size_t index, LeafOutcome outcome) {
        const Leaf& leaf = leaves_[index];
        switch (outcome.status) {
        case LeafStatus::passed:
            ++summary_.passed;
            if (options_.verbose) {
                out_ << "ok    " << visibleText(leaf.path) << '\n';
            }
            break;
        case LeafStatus::skipped:
            ++summary_.skipped;
            if (options_.reportEachSkip || options_.verbose) {
                out_ << visibleText("SKIP  " + leaf.path + "\n  " + outcome.report) << '\n';
            }
            break;
        case LeafStatus::failed:
            ++summary_.failed;
            out_ << visibleText("FAIL  " + leaf.path + "\n  " + outcome.report + "\n  seed " +
                                std::to_string(options_.check.seed) +
                                "; rerun: " + rerunCommand(leaf))
                 << '\n';
            break;
        }
        // Each line reaches a log file or pipe as it is written, so that a run that hangs or
        // is killed still shows how far it got.
        out_.flush();
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
        commitJUnit("");
        return summary_;
    }

    /// stop: reports a run cut short by reason: the counts of what finished and how many
    /// leaves did not run, and the JUnit file with those marked as not run. Never throws.
    void stop(const std::string& reason) noexcept {
        try {
            const std::size_t notRun = static_cast<std::size_t>(
                std::count(outcomes_.begin(), outcomes_.end(), std::nullopt));
            out_ << visibleText(reason) << '\n'
                 << closingLine(summary_) << ", " << notRun << " not run" << std::endl;
            commitJUnit("not run: " + reason);
        } catch (const std::exception& error) {
            std::cerr << visibleText(error.what()) << std::endl;
        }
    }

    /// unfinished: the first leaf of that path that has no outcome yet, if any.
    std::optional<std::size_t> unfinished(std::string_view path) const {
        for (std::size_t i = 0; i < leaves_.size(); ++i) {
            if (!outcomes_[i] && leaves_[i].path == path) {
                return i;
            }
        }
        return std::nullopt;
    }

private:
    void commitJUnit(const std::string& notRunReason) {
        if (junit_) {
            junit_->commit(renderJUnit(leaves_, outcomes_, notRunReason));
        }
    }

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
    std::vector<std::optional<LeafOutcome>> outcomes_;
    RunSummary summary_;
    std::optional<JUnitFile> junit_;
};

// Hands outcomes that arrive in any order to the report in tree order, and lets one thread
// stop the run while others still report.
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

    RunSummary finish() {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        return report_.finish();
    }

    /// stopAndExit: reports what finished (out of order where it must), and the culprit
    /// leaf, if any, as failed; then ends the process with status, whatever the other threads
    /// are doing.
    [[noreturn]] void stopAndExit(
        const std::string& reason, int status,
        const std::optional<std::pair<std::string, LeafOutcome>>& culprit = std::nullopt) noexcept {
        mutex_.lock();
        if (!closed_) {
            for (std::size_t i = next_; i < waiting_.size(); ++i) {
                if (waiting_[i]) {
                    report_.add(i, std::move(*waiting_[i]));
                }
            }
            if (const auto index = culprit ? report_.unfinished(culprit->first) : std::nullopt) {
                report_.add(*index, culprit->second);
            }
            report_.stop(reason);
        }
        std::cout.flush();
        ::_exit(status);
    }

private:
    std::mutex mutex_;
    std::vector<std::optional<LeafOutcome>> waiting_;
    std::size_t next_ = 0;
    bool closed_ = false;
    Report& report_;
};

// The leaf this thread runs, and the run whose report an exit from it must close: exit
// would otherwise end a run with the status the code under test chose (0 for exit(0)), no
// closing line and no JUnit file.
thread_local const Leaf* runningLeaf = nullptr;
std::atomic<InTreeOrder*> activeRun{nullptr};
std::atomic<pid_t> activeRunProcess{0};

void failTheLeafThatExits() {
    const Leaf* leaf = runningLeaf;
    if (leaf == nullptr) {
        return;
    }
    const std::string failure = "called exit while it ran";
    InTreeOrder* run = activeRun.load();
    // A child process forked by an executor shares the pointer but not the report.
    if (run != nullptr && activeRunProcess.load() == ::getpid()) {
        run->stopAndExit("the run stopped: the leaf " + leaf->path + " called exit",
                         exitedInLeafStatus,
                         std::pair{leaf->path, LeafOutcome{LeafStatus::failed, failure}});
    }
    const std::string line = visibleText("FAIL  " + leaf->path + "\n  " + failure) + '\n';
    std::cout.flush();
    [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, line.data(), line.size());
    ::_exit(exitedInLeafStatus);
}

class LeafInProgress {
public:
    explicit LeafInProgress(const Leaf& leaf) noexcept {
        static const int registered = std::atexit(failTheLeafThatExits);
        static_cast<void>(registered);
        runningLeaf = &leaf;
    }
    LeafInProgress(const LeafInProgress&) = delete;
    LeafInProgress& operator=(const LeafInProgress&) = delete;
    ~LeafInProgress() { runningLeaf = nullptr; }
};

// While it lives, SIGINT and SIGTERM stop the run: a thread of its own waits for them (they
// are blocked in this thread and so in the executor's threads started after it) and closes
// the report with what finished, then exits with 128 + the signal's number. The constructor
// returns once the watcher has started: a thread still starting holds allocator locks, and a
// process an executor forks then would inherit them locked and hang at its first allocation.
class InterruptWatch {
public:
    explicit InterruptWatch(InTreeOrder& run) {
        sigemptyset(&signals_);
        sigaddset(&signals_, SIGINT);
        sigaddset(&signals_, SIGTERM);
        ::pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
        watcher_ = std::jthread([this, &run](const std::stop_token& stop) {
            const timespec tick{0, 10'000'000};
            started_.count_down();
            while (!stop.stop_requested()) {
                const int signal = ::sigtimedwait(&signals_, nullptr, &tick);
                if (signal > 0) {
                    run.stopAndExit("interrupted by signal " + std::to_string(signal) + " (" +
                                        ::strsignal(signal) + ")",
                                    128 + signal);
                }
            }
        });
        started_.wait();
    }
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;
    ~InterruptWatch() {
        watcher_.request_stop();
        watcher_.join();
        ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }

private:
    sigset_t signals_{};
    sigset_t previous_{};
    std::latch started_{1};
    std::jthread watcher_;
};

} // namespace

std::string shellWord(std::string_view text) {
    const bool plain =
        !text.empty() && std::all_of(text.begin(), text.end(), isPlainShellCharacter);
    return plain ? std::string(text) : shellQuote(text);
}

std::vector<Leaf> flatten(const std::vector<Test>& tests) {
    std::vector<Leaf> leaves;
    for (const Test& test : tests) {
        collectLeaves(test, "", leaves);
    }
    return leaves;
}

LeafOutcome runLeaf(const Leaf& leaf, const CheckSettings& settings) {
    const LeafInProgress inProgress(leaf);
    const auto start = std::chrono::steady_clock::now();
    LeafOutcome outcome;
    try {
        if (const auto* unit = std::get_if<UnitTest>(&leaf.test->node())) {
            unit->assertion();
        } else {
            outcome =
                checkProperty(std::get<PropertyTest>(leaf.test->node()).property, leaf, settings);
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
    {
        const InterruptWatch interrupts(inOrder);
        const auto previousRun = activeRun.exchange(&inOrder);
        activeRunProcess = ::getpid();
        const Executor execute =
            options.executor ? options.executor : threadedExecutor(options.jobs);
        execute(leaves, options.check, [&](std::size_t index, LeafOutcome outcome) {
            inOrder.finished(index, std::move(outcome));
        });
        activeRun = previousRun;
    }
    return inOrder.finish();
}

} // namespace zorvan::testing
