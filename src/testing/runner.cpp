#include <zorvan/testing/runner.hpp>

#include "console_reporter.hpp"
#include "junit.hpp"
#include "session.hpp"
#include "visible_text.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <map>
#include <mutex>
#include <ostream>
#include <thread>

namespace zorvan::testing {

namespace {

using detail::ConsoleReporter;
using detail::Culprit;
using detail::JUnitReporter;
using detail::visibleText;
using Clock = std::chrono::steady_clock;

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
        CaseOutcome outcome = property.runCase(caseGenerator);
        if (outcome.verdict == Verdict::holds) {
            ++passed;
            continue;
        }
        if (outcome.verdict == Verdict::discarded) {
            if (++discarded > discardLimit) {
                return outcomeWith(LeafStatus::failed, "gave up after " + std::to_string(passed) +
                                                           " passed cases and " +
                                                           std::to_string(discarded) +
                                                           " discarded ones");
            }
            continue;
        }
        LeafOutcome falsified = outcomeWith(
            LeafStatus::failed, "falsified after " + std::to_string(passed) + " passed cases");
        falsified.check = std::move(outcome.check);
        falsified.falsified = FalsifiedCase{settings.seed, passed + 1, std::move(outcome.arguments),
                                            std::move(outcome.error)};
        return falsified;
    }
    return {};
}

// Tells every listener of the run and keeps its counts. The text report and the JUnit file
// hear first of each leaf, and last of the end, so that other listeners' closing words stand
// above the closing line.
class Broadcast {
public:
    Broadcast(std::vector<RunListener*> first, std::vector<RunListener*> others, std::size_t leaves)
        : first_(std::move(first)), others_(std::move(others)), ended_(leaves, false) {}

    void start(const RunStart& start) {
        each([&](RunListener& listener) { listener.runStarting(start); });
    }

    void leafStarting(const Leaf& leaf) {
        each([&](RunListener& listener) { listener.leafStarting(leaf); });
    }

    void add(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome) {
        switch (outcome.status) {
        case LeafStatus::passed:
            ++summary_.passed;
            break;
        case LeafStatus::skipped:
            ++summary_.skipped;
            break;
        case LeafStatus::failed:
            ++summary_.failed;
            break;
        }
        ended_[index] = true;
        each([&](RunListener& listener) { listener.leafEnded(index, leaf, outcome, summary_); });
    }

    void markNothingSelected(std::string line) {
        summary_.nothingSelected = true;
        emptySelection_ = std::move(line);
    }

    RunSummary finish() {
        end(RunEnd{summary_, {}, 0, emptySelection_});
        return summary_;
    }

    /// stop: tells the listeners that the run was cut short by reason; an error of one is
    /// written to standard error and the others are still told. Never throws.
    void stop(const std::string& reason) noexcept {
        const auto notRun =
            static_cast<std::size_t>(std::count(ended_.begin(), ended_.end(), false));
        const RunEnd runEnd{summary_, reason, notRun, {}};
        for (RunListener* listener : closingOrder()) {
            try {
                listener->runEnded(runEnd);
            } catch (const std::exception& error) {
                std::cerr << visibleText(error.what()) << std::endl;
            }
        }
    }

    [[nodiscard]] bool ended(std::size_t index) const { return ended_[index]; }

private:
    template <class Tell> void each(const Tell& tell) {
        for (RunListener* listener : first_) {
            tell(*listener);
        }
        for (RunListener* listener : others_) {
            tell(*listener);
        }
    }

    std::vector<RunListener*> closingOrder() const {
        std::vector<RunListener*> order = others_;
        order.insert(order.end(), first_.begin(), first_.end());
        return order;
    }

    void end(const RunEnd& runEnd) {
        for (RunListener* listener : closingOrder()) {
            listener->runEnded(runEnd);
        }
    }

    std::vector<RunListener*> first_;
    std::vector<RunListener*> others_;
    std::vector<bool> ended_;
    RunSummary summary_;
    std::string emptySelection_;
};

// Hands outcomes that arrive in any order to the listeners in tree order, and lets one
// thread end the run early while others still report. Its lock is the session's report lock.
class InTreeOrder : public detail::ReportedRun {
public:
    InTreeOrder(const std::vector<Leaf>& leaves, Broadcast& broadcast, std::recursive_mutex& lock)
        : lock_(lock), leaves_(leaves), waiting_(leaves.size()), broadcast_(broadcast) {}

    void started(std::size_t index) {
        const std::lock_guard lock(lock_);
        running_[index] = Clock::now();
        broadcast_.leafStarting(leaves_[index]);
    }

    void finished(std::size_t index, LeafOutcome outcome) {
        const std::lock_guard lock(lock_);
        running_.erase(index);
        waiting_[index] = std::move(outcome);
        while (next_ < waiting_.size() && waiting_[next_]) {
            broadcast_.add(next_, leaves_[next_], *waiting_[next_]);
            waiting_[next_++].reset();
        }
    }

    RunSummary finish(detail::Session& session) {
        const std::lock_guard lock(lock_);
        session.markClosed();
        return broadcast_.finish();
    }

    void closeEarly(const std::string& reason,
                    const std::optional<Culprit>& culprit) noexcept override {
        try {
            for (std::size_t i = next_; i < waiting_.size(); ++i) {
                if (waiting_[i]) {
                    broadcast_.add(i, leaves_[i], *waiting_[i]);
                }
            }
            if (const auto index = culprit ? unfinished(culprit->path) : std::nullopt) {
                broadcast_.add(*index, leaves_[*index], culprit->outcome);
            }
        } catch (const std::exception& error) {
            std::cerr << visibleText(error.what()) << std::endl;
        }
        broadcast_.stop(reason);
    }

    [[nodiscard]] std::optional<std::string>
    overdueLeaf(std::chrono::seconds limit) const override {
        const Clock::time_point now = Clock::now();
        for (const auto& [index, start] : running_) {
            if (now - start > limit) {
                return leaves_[index].path;
            }
        }
        return std::nullopt;
    }

private:
    // The first leaf of that path that has not ended yet, if any.
    std::optional<std::size_t> unfinished(std::string_view path) const {
        for (std::size_t i = 0; i < leaves_.size(); ++i) {
            if (!broadcast_.ended(i) && leaves_[i].path == path) {
                return i;
            }
        }
        return std::nullopt;
    }

    std::recursive_mutex& lock_;
    const std::vector<Leaf>& leaves_;
    std::vector<std::optional<LeafOutcome>> waiting_;
    std::map<std::size_t, Clock::time_point> running_;
    std::size_t next_ = 0;
    Broadcast& broadcast_;
};

// While it lives, the session's early ends close this run's report.
class Attachment {
public:
    Attachment(detail::Session& session, InTreeOrder& run, const RunOptions& options)
        : session_(session) {
        session.attach(run, options.isolate ? std::nullopt : std::optional(options.timeout));
    }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;
    ~Attachment() { session_.detach(); }

private:
    detail::Session& session_;
};

// Why a run has no leaves: the filter or the occurrence selects none (the run checks nothing,
// which is no success), or sharding left this shard none of the selection (which is).
struct EmptySelection {
    std::string line;
    bool nothingSelected = true;
};

EmptySelection emptySelection(const std::vector<Leaf>& all, const RunOptions& options) {
    const auto matching =
        static_cast<std::size_t>(std::count_if(all.begin(), all.end(), [&](const Leaf& leaf) {
            return globMatch(options.filter, leaf.path);
        }));
    const std::string filter = "--filter " + shellWord(visibleText(options.filter));
    if (all.empty()) {
        return {"no leaf to run: the tests have none"};
    }
    if (matching == 0) {
        return {"no leaf matches " + filter};
    }
    if (options.occurrence) {
        return {"no leaf is selected: " + filter + " matches " + std::to_string(matching) +
                " leaves, fewer than --occurrence " + std::to_string(*options.occurrence)};
    }
    return {"no leaf in this shard: shard " + std::to_string(options.shardIndex) + " of " +
                std::to_string(options.shardCount) + " gets none of the " +
                std::to_string(matching) + " leaves that match " + filter,
            false};
}

} // namespace

std::vector<Leaf> flatten(const std::vector<Test>& tests) {
    std::vector<Leaf> leaves;
    for (const Test& test : tests) {
        collectLeaves(test, "", leaves);
    }
    return leaves;
}

LeafOutcome runLeaf(const Leaf& leaf, const CheckSettings& settings) {
    const detail::LeafInProgress inProgress(leaf);
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
        outcome = outcomeWith(LeafStatus::skipped, skipped.what());
    } catch (...) {
        detail::CaughtFailure caught = detail::catchCurrentFailure();
        outcome.status = LeafStatus::failed;
        outcome.message = caught.check ? caught.check->message : std::move(caught.error);
        outcome.check = std::move(caught.check);
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
    return [jobs, runOne = std::move(runOne)](
               const std::vector<Leaf>& leaves, const CheckSettings& settings,
               const LeafStarted& started, const LeafFinished& finished) {
        std::atomic<std::size_t> next{0};
        const auto work = [&] {
            for (std::size_t i = next++; i < leaves.size(); i = next++) {
                started(i);
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

void RunListener::runStarting(const RunStart&) {}
void RunListener::leafStarting(const Leaf&) {}
void RunListener::leafEnded(std::size_t, const Leaf&, const LeafOutcome&, const RunSummary&) {}
void RunListener::runEnded(const RunEnd&) {}

RunSummary run(const std::vector<Test>& tests, const RunOptions& options, std::ostream& out) {
    const std::vector<Leaf> all = flatten(tests);
    const std::vector<Leaf> leaves = selectLeaves(all, options);
    const std::optional<EmptySelection> empty =
        leaves.empty() ? std::optional(emptySelection(all, options)) : std::nullopt;
    if (options.list) {
        for (const Leaf& leaf : leaves) {
            out << leaf.path << '\n';
        }
        if (empty) {
            out << empty->line << '\n';
        }
        return {.nothingSelected = empty && empty->nothingSelected};
    }
    std::optional<detail::Session> ownSession;
    detail::Session* session = detail::Session::active();
    if (session == nullptr) {
        session = &ownSession.emplace(options);
    }
    ConsoleReporter console(options, out);
    std::optional<JUnitReporter> junit;
    std::vector<RunListener*> reporters{&console};
    if (detail::JUnitDestination* destination = session->junit()) {
        reporters.push_back(&junit.emplace(*destination, options));
    }
    Broadcast broadcast(reporters, options.listeners, leaves.size());
    broadcast.start({options.check.seed, leaves, all});
    if (empty) {
        out << empty->line << '\n';
        if (empty->nothingSelected) {
            broadcast.markNothingSelected(empty->line);
        }
    }
    InTreeOrder inOrder(leaves, broadcast, session->reportLock());
    const Executor execute = options.executor  ? options.executor
                             : options.isolate ? isolatedExecutor(options.jobs, options.timeout)
                                               : threadedExecutor(options.jobs);
    {
        const Attachment attached(*session, inOrder, options);
        execute(
            leaves, options.check, [&](std::size_t index) { inOrder.started(index); },
            [&](std::size_t index, LeafOutcome outcome) {
                inOrder.finished(index, std::move(outcome));
            });
        return inOrder.finish(*session);
    }
}

} // namespace zorvan::testing
