#pragma once
// RunSession: guards a run from before its tests are built until its report is closed.

#include <zorvan/testing/runner.hpp>

#include <functional>
#include <memory>
#include <vector>

namespace zorvan::testing {

namespace detail {
class Session;
} // namespace detail

/// RunSession: while it lives, the run of this process is guarded, so that no way of ending it
/// leaves an earlier JUnit report standing or passes for success:
/// - the JUnit destination of the options is checked, and a regular file there is replaced at
///   once by a report saying that the run did not finish (a device or FIFO is written in place,
///   at the end, and never replaced); a listing (options.list) leaves it alone;
/// - SIGINT, SIGTERM and SIGHUP are taken by a thread of the session: before the leaves run, the
///   JUnit report says the run stopped and why; while they run, it and the text report get
///   what finished and the rest is marked not run; the process exits with 128 + the signal's
///   number (130, 143, 129);
/// - a call to exit or quick_exit, from a leaf, the builder or any thread, ends the run as
///   failed with status 1 and says who called it;
/// - outside options.isolate, a leaf that runs longer than options.timeout fails as timed out,
///   and the run stops with status 1.
/// What run does within it is guarded so; a run outside one guards itself the same way from its
/// start. Make it before the tests are built, in the thread that will call run. One session at a
/// time per process.
class RunSession {
public:
    /// RunSession: throws std::runtime_error naming the JUnit path and the reason when it cannot
    /// take a report, and std::logic_error when a session is active already.
    explicit RunSession(const RunOptions& options);
    RunSession(const RunSession&) = delete;
    RunSession& operator=(const RunSession&) = delete;
    ~RunSession();

    /// build: the tests builder returns. When it throws, the JUnit destination gets a report of
    /// one failed testcase "zorvan" / "build" and std::runtime_error "cannot build the tests: ..."
    /// is thrown; a UsageError is thrown again as it is.
    std::vector<Test> build(const std::function<std::vector<Test>()>& builder);

private:
    std::unique_ptr<detail::Session> session_;
};

} // namespace zorvan::testing
