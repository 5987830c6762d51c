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
#include <set>
#include <sstream>
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
        Gen replay = caseGenerator;
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
        FalsifiedCase& drawn = falsified.falsified.emplace();
        drawn.seed = settings.seed;
        drawn.number = passed + 1;
        std::optional<ShrunkCase> shrunk = property.shrinkCase(replay, settings.shrinkAttempts);
        // A law that no longer fails on the case it failed on shows the case as drawn.
        if (shrunk && shrunk->steps > 0 && shrunk->outcome.verdict == Verdict::falsified) {
            drawn.shrinkSteps = shrunk->steps;
            drawn.drawnArguments = std::move(outcome.arguments);
            outcome = std::move(shrunk->outcome);
        }
        falsified.check = std::move(outcome.check);
        drawn.arguments = std::move(outcome.arguments);
        drawn.error = std::move(outcome.error);
        return falsified;
    }
    return {};
}

// Why a run has no leaves: the filter or the occurrence selects none (the run checks nothing,
// which is no success), or sharding left this shard none of the selection (which is).
struct EmptySelection {
    std::string line;
    bool nothingSelected = true;
};

// Tells every listener of the run and keeps its counts. The text report and the JUnit file
// hear first of each leaf, and last of the end, so that other listeners' closing words stand
// above the closing line.
class Broadcast {
public:
    Broadcast(std::vector<RunListener*> first, std::vector<RunListener*> others)
        : first_(std::move(first)), others_(std::move(others)) {}

    void start(const RunStart& start) {
        each([&](RunListener& listener) { listener.runStarting(start); });
    }

    void startGroup(const RunStart& group) {
        ended_.assign(group.leaves.size(), false);
        each([&](RunListener& listener) { listener.groupStarting(group); });
    }

    void endGroup() { ended_.clear(); }

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

    RunSummary finish(const std::optional<EmptySelection>& empty) {
        RunEnd runEnd{summary_, {}, 0, {}, {}};
        if (empty && empty->nothingSelected) {
            summary_.nothingSelected = true;
            runEnd = RunEnd{summary_, {}, 0, empty->line, {}};
        }
        for (RunListener* listener : closingOrder()) {
            listener->runEnded(runEnd);
        }
        return summary_;
    }

    /// stop: tells the listeners that the run was cut short by reason; an error of one is
    /// written to standard error and the others are still told. Never throws.
    void stop(const std::string& reason, std::vector<std::string> groupsNotReached) noexcept {
        const auto notRun =
            static_cast<std::size_t>(std::count(ended_.begin(), ended_.end(), false));
        const RunEnd runEnd{summary_, reason, notRun, {}, std::move(groupsNotReached)};
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

    std::vector<RunListener*> first_;
    std::vector<RunListener*> others_;
    std::vector<bool> ended_;
    RunSummary summary_;
};

// The parts of a run, built one at a time: a tree given whole, or lazily built groups.
class Parts {
public:
    virtual ~Parts() = default;
    [[nodiscard]] virtual std::size_t size() const = 0;
    [[nodiscard]] virtual const std::string& path(std::size_t index) const = 0;
    /// build: the tests of the part, which live until the next call.
    virtual const std::vector<Test>& build(std::size_t index) = 0;
};

class WholeTree : public Parts {
public:
    explicit WholeTree(const std::vector<Test>& tests) : tests_(tests) {}
    [[nodiscard]] std::size_t size() const override { return 1; }
    [[nodiscard]] const std::string& path(std::size_t) const override { return path_; }
    const std::vector<Test>& build(std::size_t) override { return tests_; }

private:
    const std::vector<Test>& tests_;
    std::string path_;
};

class BuiltGroups : public Parts {
public:
    // A leaf's rerun line counts the leaves of its path within its group, so no path may be
    // another's, nor lie within another.
    explicit BuiltGroups(const std::vector<LazyGroup>& groups) : groups_(groups) {
        std::set<std::string> paths;
        for (const LazyGroup& group : groups) {
            paths.insert(group.path + "/");
        }
        if (paths.size() < groups.size()) {
            throw std::invalid_argument("two lazily built groups share a path");
        }
        for (auto path = paths.begin(); path != paths.end() && std::next(path) != paths.end();
             ++path) {
            if (std::next(path)->starts_with(*path)) {
                throw std::invalid_argument(
                    "the lazily built group " +
                    visibleText(std::next(path)->substr(0, std::next(path)->size() - 1)) +
                    " lies within another");
            }
        }
    }
    [[nodiscard]] std::size_t size() const override { return groups_.size(); }
    [[nodiscard]] const std::string& path(std::size_t index) const override {
        return groups_[index].path;
    }

    const std::vector<Test>& build(std::size_t index) override {
        current_.clear(); // before the next is built, so that two never live at once
        std::vector<std::string> names;
        std::istringstream path(groups_[index].path);
        for (std::string name; std::getline(path, name, '/');) {
            names.push_back(std::move(name));
        }
        Test nested = TestGroup{names.empty() ? "" : names.back(), children(groups_[index])};
        for (auto name = names.rbegin() + (names.empty() ? 0 : 1); name != names.rend(); ++name) {
            nested = TestGroup{*name, {std::move(nested)}};
        }
        current_.push_back(std::move(nested));
        return current_;
    }

private:
    static std::vector<Test> children(const LazyGroup& group) {
        std::string why;
        try {
            return group.build();
        } catch (const std::exception& error) {
            why = error.what();
        } catch (...) {
            why = "an exception of an unknown type";
        }
        return {testCase("building", [message = "cannot build the group: " + why] {
            throw std::runtime_error(message);
        })};
    }

    const std::vector<LazyGroup>& groups_;
    std::vector<Test> current_;
};

// Hands outcomes that arrive in any order to the listeners in tree order, part by part, and
// lets one thread end the run early while others still report. Its lock is the session's
// report lock.
class InTreeOrder : public detail::ReportedRun {
public:
    using PathsFrom = std::function<std::vector<std::string>(std::size_t part)>;

    InTreeOrder(Broadcast& broadcast, std::recursive_mutex& lock, PathsFrom notReached)
        : lock_(lock), broadcast_(broadcast), notReached_(std::move(notReached)) {}

    void beginPart(std::size_t part, const RunStart& group) {
        const std::lock_guard lock(lock_);
        leaves_ = &group.leaves;
        waiting_.assign(group.leaves.size(), std::nullopt);
        next_ = 0;
        nextPart_ = part + 1;
        broadcast_.startGroup(group);
    }

    void endPart() {
        const std::lock_guard lock(lock_);
        leaves_ = nullptr;
        broadcast_.endGroup();
    }

    void started(std::size_t index) {
        const std::lock_guard lock(lock_);
        running_[index] = Clock::now();
        broadcast_.leafStarting((*leaves_)[index]);
    }

    void finished(std::size_t index, LeafOutcome outcome) {
        const std::lock_guard lock(lock_);
        running_.erase(index);
        waiting_[index] = std::move(outcome);
        while (next_ < waiting_.size() && waiting_[next_]) {
            broadcast_.add(next_, (*leaves_)[next_], *waiting_[next_]);
            waiting_[next_++].reset();
        }
    }

    RunSummary finish(detail::Session& session, const std::optional<EmptySelection>& empty) {
        const std::lock_guard lock(lock_);
        session.markClosed();
        return broadcast_.finish(empty);
    }

    void closeEarly(const std::string& reason,
                    const std::optional<Culprit>& culprit) noexcept override {
        try {
            for (std::size_t i = next_; leaves_ != nullptr && i < waiting_.size(); ++i) {
                if (waiting_[i]) {
                    broadcast_.add(i, (*leaves_)[i], *waiting_[i]);
                }
            }
            if (const auto index = culprit ? unfinished(culprit->path) : std::nullopt) {
                broadcast_.add(*index, (*leaves_)[*index], culprit->outcome);
            }
        } catch (const std::exception& error) {
            std::cerr << visibleText(error.what()) << std::endl;
        }
        std::vector<std::string> notReached;
        try {
            notReached = notReached_(nextPart_);
        } catch (const std::exception& error) {
            std::cerr << visibleText(error.what()) << std::endl;
        }
        broadcast_.stop(reason, std::move(notReached));
    }

    [[nodiscard]] std::optional<std::string>
    overdueLeaf(std::chrono::seconds limit) const override {
        const Clock::time_point now = Clock::now();
        for (const auto& [index, start] : running_) {
            if (now - start > limit) {
                return (*leaves_)[index].path;
            }
        }
        return std::nullopt;
    }

private:
    // The first leaf of that path that has not ended yet, if any.
    std::optional<std::size_t> unfinished(std::string_view path) const {
        for (std::size_t i = 0; leaves_ != nullptr && i < leaves_->size(); ++i) {
            if (!broadcast_.ended(i) && (*leaves_)[i].path == path) {
                return i;
            }
        }
        return std::nullopt;
    }

    std::recursive_mutex& lock_;
    const std::vector<Leaf>* leaves_ = nullptr;
    std::vector<std::optional<LeafOutcome>> waiting_;
    std::map<std::size_t, Clock::time_point> running_;
    std::size_t next_ = 0;
    std::size_t nextPart_ = 0;
    Broadcast& broadcast_;
    PathsFrom notReached_;
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

// Selects leaves part after part as selectLeaves selects them from the whole tree: by the
// filter, then the occurrence or this shard's share of what matched, counting across parts.
class Selection {
public:
    explicit Selection(const RunOptions& options) : options_(options) {}

    std::vector<Leaf> select(const std::vector<Leaf>& leaves) {
        total_ += leaves.size();
        std::vector<Leaf> chosen;
        for (const Leaf& leaf : leaves) {
            if (!globMatch(options_.filter, leaf.path)) {
                continue;
            }
            const std::size_t index = matching_++;
            if (options_.occurrence ? index + 1 == *options_.occurrence
                                    : index % options_.shardCount == options_.shardIndex) {
                chosen.push_back(leaf);
            }
        }
        selected_ += chosen.size();
        return chosen;
    }

    [[nodiscard]] bool occurrenceFound() const {
        return options_.occurrence && matching_ >= *options_.occurrence;
    }

    /// empty: why the run has no leaves, if it has none; everyPartSeen: every part was built.
    [[nodiscard]] std::optional<EmptySelection> empty(bool everyPartSeen) const {
        if (selected_ > 0) {
            return std::nullopt;
        }
        const std::string filter = "--filter " + shellWord(visibleText(options_.filter));
        if (total_ == 0 && everyPartSeen) {
            return EmptySelection{"no leaf to run: the tests have none"};
        }
        if (matching_ == 0) {
            return EmptySelection{"no leaf matches " + filter};
        }
        if (options_.occurrence) {
            return EmptySelection{"no leaf is selected: " + filter + " matches " +
                                  std::to_string(matching_) + " leaves, fewer than --occurrence " +
                                  std::to_string(*options_.occurrence)};
        }
        return EmptySelection{"no leaf in this shard: shard " +
                                  std::to_string(options_.shardIndex) + " of " +
                                  std::to_string(options_.shardCount) + " gets none of the " +
                                  std::to_string(matching_) + " leaves that match " + filter,
                              false};
    }

private:
    const RunOptions& options_;
    std::size_t total_ = 0;
    std::size_t matching_ = 0;
    std::size_t selected_ = 0;
};

// A built part: all its leaves and those the run selects from it.
struct PreparedPart {
    std::vector<Leaf> all;
    std::vector<Leaf> selected;
};

// Whether the filter can match a leaf of the part at path: the paths of its leaves begin
// with path + "/", and every path the filter matches with its literal start.
bool reachable(const std::string& path, std::string_view filterStart) {
    const std::string start = path + "/";
    return path.empty() || start.starts_with(filterStart) || filterStart.starts_with(start);
}

RunSummary listParts(Parts& parts, const RunOptions& options, std::ostream& out) {
    Selection selection(options);
    const std::string filterStart = globLiteralPrefix(options.filter);
    bool everyPartSeen = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (selection.occurrenceFound() || !reachable(parts.path(i), filterStart)) {
            everyPartSeen = false;
            continue;
        }
        for (const Leaf& leaf : selection.select(flatten(parts.build(i)))) {
            out << leaf.path << '\n';
        }
    }
    const std::optional<EmptySelection> empty = selection.empty(everyPartSeen);
    if (empty) {
        out << empty->line << '\n';
    }
    return {.nothingSelected = empty && empty->nothingSelected};
}

// Runs the parts one after the other; for a whole tree, runStarting is told its leaves.
RunSummary runParts(Parts& parts, const RunOptions& options, std::ostream& out, bool wholeTree) {
    if (options.list) {
        return listParts(parts, options, out);
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
    Selection selection(options);
    const std::string filterStart = globLiteralPrefix(options.filter);
    const auto wanted = [&](std::size_t part) {
        return !selection.occurrenceFound() && reachable(parts.path(part), filterStart);
    };
    const auto prepare = [&](std::size_t part) {
        PreparedPart prepared{flatten(parts.build(part)), {}};
        prepared.selected = selection.select(prepared.all);
        return prepared;
    };
    Broadcast broadcast(reporters, options.listeners);
    std::optional<PreparedPart> whole = wholeTree ? std::optional(prepare(0)) : std::nullopt;
    const std::vector<Leaf> none;
    broadcast.start(
        {options.check.seed, whole ? whole->selected : none, whole ? whole->all : none});
    InTreeOrder inOrder(broadcast, session->reportLock(), [&](std::size_t from) {
        std::vector<std::string> paths;
        for (std::size_t part = from; part < parts.size(); ++part) {
            if (wanted(part)) {
                paths.push_back(parts.path(part));
            }
        }
        return paths;
    });
    const Executor execute = options.executor  ? options.executor
                             : options.isolate ? isolatedExecutor(options.jobs, options.timeout)
                                               : threadedExecutor(options.jobs);
    const Attachment attached(*session, inOrder, options);
    bool everyPartSeen = true;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!whole && !wanted(i)) {
            everyPartSeen = false;
            continue;
        }
        const PreparedPart part = whole ? std::move(*whole) : prepare(i);
        inOrder.beginPart(i, {options.check.seed, part.selected, part.all});
        if (!part.selected.empty()) {
            execute(
                part.selected, options.check, [&](std::size_t index) { inOrder.started(index); },
                [&](std::size_t index, LeafOutcome outcome) {
                    inOrder.finished(index, std::move(outcome));
                });
        }
        inOrder.endPart();
    }
    const std::optional<EmptySelection> empty = selection.empty(everyPartSeen);
    if (empty) {
        out << empty->line << '\n';
    }
    return inOrder.finish(*session, empty);
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
    return Selection(options).select(leaves);
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
        for (std::size_t j = 1; j < std::min(jobs, leaves.size()); ++j) {
            helpers.emplace_back(work);
        }
        work();
    };
}

void RunListener::runStarting(const RunStart&) {}
void RunListener::leafStarting(const Leaf&) {}
void RunListener::leafEnded(std::size_t, const Leaf&, const LeafOutcome&, const RunSummary&) {}
void RunListener::runEnded(const RunEnd&) {}

void RunListener::groupStarting(const RunStart&) {}

RunSummary run(const std::vector<Test>& tests, const RunOptions& options, std::ostream& out) {
    WholeTree tree(tests);
    return runParts(tree, options, out, true);
}

RunSummary run(const std::vector<LazyGroup>& groups, const RunOptions& options, std::ostream& out) {
    BuiltGroups parts(groups);
    return runParts(parts, options, out, false);
}

} // namespace zorvan::testing
