#pragma once
// What guards a run from before its tests are built until its report is closed: the JUnit
// destination, the signals that stop a run, the calls to exit that would end it early, and the
// time a leaf may take. No way out of a guarded run leaves an earlier report standing or ends
// with status 0.

#include "junit.hpp"

#include <zorvan/testing/runner.hpp>

#include <signal.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <latch>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace zorvan::testing::detail {

/// Culprit: the leaf an early end is blamed on, by path, and the outcome it gets.
struct Culprit {
    std::string path;
    LeafOutcome outcome;
};

/// ReportedRun: a run whose leaves are running, as seen by what ends it early.
class ReportedRun {
public:
    virtual ~ReportedRun() = default;
    /// closeEarly: reports what finished and the culprit, then tells the listeners that the run
    /// stopped for reason. Called with the session's report lock held. Never throws.
    virtual void closeEarly(const std::string& reason,
                            const std::optional<Culprit>& culprit) noexcept = 0;
    /// overdueLeaf: the path of a leaf that has been running longer than limit, if any. Called
    /// with the session's report lock held.
    [[nodiscard]] virtual std::optional<std::string>
    overdueLeaf(std::chrono::seconds limit) const = 0;
};

/// timedOut: the failure of a leaf that ran longer than limit. Never fails beyond allocation.
std::string timedOut(std::chrono::seconds limit);

/// BlockedSignals: while it lives, SIGINT, SIGTERM and SIGHUP are blocked in the thread that
/// made it and in the threads that thread starts, so that only sigtimedwait takes them.
class BlockedSignals {
public:
    BlockedSignals() noexcept;
    BlockedSignals(const BlockedSignals&) = delete;
    BlockedSignals& operator=(const BlockedSignals&) = delete;
    ~BlockedSignals();

    [[nodiscard]] const sigset_t& signals() const noexcept { return signals_; }

private:
    sigset_t signals_{};
    sigset_t previous_{};
};

/// Session: one guarded run in this process (see the file's comment).
class Session {
public:
    /// Session: blocks the stopping signals and watches for them on a thread of its own,
    /// catches exit and quick_exit, and puts a report saying that the run did not finish in the
    /// place of any earlier one at a replaceable JUnit destination. Throws std::runtime_error as
    /// JUnitDestination does, and std::logic_error when a session is active already.
    explicit Session(const RunOptions& options);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;
    ~Session();

    /// active: the session guarding this process, if any (a forked child has none).
    static Session* active() noexcept;

    /// reportLock: held while outcomes are reported, the report is closed, or the run ends early.
    std::recursive_mutex& reportLock() noexcept { return lock_; }
    /// junit: the JUnit destination, if the options named one.
    JUnitDestination* junit() noexcept { return junit_ ? &*junit_ : nullptr; }

    /// attach: the run's leaves are about to start; an early end closes its report, and with a
    /// time limit a leaf that runs longer ends the run. detach undoes it.
    void attach(ReportedRun& run, std::optional<std::chrono::seconds> timeLimit);
    void detach() noexcept;
    /// markClosed: the report is being closed as the run ends; a later end only exits. Call with
    /// reportLock held.
    void markClosed() noexcept { closed_ = true; }

    /// failBeforeRun: the run ends before its leaves could run, for why: the JUnit destination
    /// gets one failed testcase "zorvan" / name. A report that cannot be written is said on
    /// standard error. Never throws.
    void failBeforeRun(std::string_view name, const std::string& why) noexcept;

    /// endEarly: closes what the run reported so far (or, before it ran, says why on standard
    /// error and in the JUnit report), then ends the process with status.
    [[noreturn]] void endEarly(const std::string& reason, int status,
                               const std::optional<Culprit>& culprit = std::nullopt) noexcept;
    /// exitCalled: the process was asked to end (how: "exit", "quick_exit") from leaf, or from
    /// no leaf when null; ends the run as failed.
    [[noreturn]] void exitCalled(std::string_view how, const Leaf* leaf) noexcept;

private:
    void watch(const std::stop_token& stop);
    void enforceTimeLimit();

    BlockedSignals blocked_;
    std::recursive_mutex lock_;
    std::uint64_t seed_;
    std::optional<JUnitDestination> junit_;
    ReportedRun* run_ = nullptr;
    std::optional<std::chrono::seconds> timeLimit_;
    bool closed_ = false;
    std::latch watching_{1};
    std::jthread watcher_;
};

/// sendEarlyEndsTo: in a process that runs leaves for another (a child of --isolate), hands a
/// leaf that ends the process early (exit, quick_exit, from any thread) to receiver as a failed
/// outcome before the process exits with status 1, instead of writing it to standard error.
void sendEarlyEndsTo(std::function<void(const LeafOutcome&)> receiver);

/// LeafInProgress: marks the calling thread as running leaf while it lives, so that a call to
/// exit or quick_exit from the leaf, or from any thread while leaves run, fails the run instead
/// of ending it with the status the code under test chose.
class LeafInProgress {
public:
    explicit LeafInProgress(const Leaf& leaf) noexcept;
    LeafInProgress(const LeafInProgress&) = delete;
    LeafInProgress& operator=(const LeafInProgress&) = delete;
    ~LeafInProgress();

private:
    const Leaf* previous_;
};

} // namespace zorvan::testing::detail
