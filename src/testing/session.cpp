#include "session.hpp"

#include "descriptor_io.hpp"
#include "visible_text.hpp"

#include <zorvan/testing/builder.hpp>
#include <zorvan/testing/gtest_names.hpp>
#include <zorvan/testing/property.hpp>
#include <zorvan/testing/session.hpp>

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>

namespace zorvan::testing::detail {

namespace {

// The status of a run that the code under test ended early (exit, quick_exit, a leaf that ran
// too long): a failure, whatever status it asked for.
constexpr int endedEarlyStatus = 1;

std::atomic<Session*> activeSession{nullptr};
std::atomic<pid_t> activeSessionProcess{0};

thread_local const Leaf* runningLeaf = nullptr;
std::atomic<std::size_t> leavesRunning{0};

// Outside a session (under GoogleTest, in a child of --isolate), the report that stands in for
// the run until it ends normally, if the program names one.
std::unique_ptr<JUnitDestination> standingReport;
std::uint64_t standingSeed = 0;

// In a child process that runs leaves for another (--isolate), where a leaf's early end goes.
std::function<void(const LeafOutcome&)> earlyEndReceiver;

void writeToStandardError(const std::string& text) noexcept {
    const std::string line = visibleText(text) + '\n';
    std::cout.flush();
    [[maybe_unused]] const bool written = writeAll(STDERR_FILENO, line.data(), line.size());
}

// Writes a report of one failed testcase "zorvan" / name saying why to the destination, if
// there is one; an error is said on standard error.
void reportFailure(JUnitDestination* destination, std::uint64_t seed, std::string_view name,
                   const std::string& why) noexcept {
    if (destination == nullptr) {
        return;
    }
    try {
        destination->write(renderRunFailure(seed, name, why));
    } catch (const std::exception& error) {
        writeToStandardError(error.what());
    }
}

// Ends a run that no session guards: says why on standard error and in the standing report.
[[noreturn]] void endStandingRun(const std::string& failure) noexcept {
    writeToStandardError(failure);
    reportFailure(standingReport.get(), standingSeed, "run", failure);
    ::_exit(endedEarlyStatus);
}

void endedBy(std::string_view how) noexcept {
    if (Session* session = Session::active()) {
        session->exitCalled(how, runningLeaf);
    }
    const Leaf* leaf = runningLeaf;
    if (leaf == nullptr && leavesRunning == 0) {
        return;
    }
    const std::string call(how);
    const std::string failure = leaf != nullptr ? "called " + call + " while it ran"
                                                : "the process called " + call +
                                                      " from a thread that runs no leaf while "
                                                      "leaves ran";
    if (earlyEndReceiver) {
        earlyEndReceiver(outcomeWith(LeafStatus::failed, failure));
        ::_exit(endedEarlyStatus);
    }
    endStandingRun(leaf != nullptr ? "FAIL  " + leaf->path + "\n  " + failure : failure);
}

void onExit() {
    endedBy("exit");
}

void onQuickExit() {
    endedBy("quick_exit");
}

void catchExits() {
    static const bool caught = [] {
        return std::atexit(onExit) == 0 && std::at_quick_exit(onQuickExit) == 0;
    }();
    static_cast<void>(caught);
}

std::string signalReason(int signal) {
    return "interrupted by signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
}

} // namespace

std::string timedOut(std::chrono::seconds limit) {
    return "timed out: the leaf ran longer than " + std::to_string(limit.count()) + " s";
}

BlockedSignals::BlockedSignals() noexcept {
    sigemptyset(&signals_);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&signals_, signal);
    }
    ::pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
}

BlockedSignals::~BlockedSignals() {
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

Session::Session(const RunOptions& options) : seed_(options.check.seed) {
    if (active() != nullptr) {
        throw std::logic_error("a run is guarded already in this process");
    }
    if (options.junitPath && !options.list) { // a listing writes no report
        junit_.emplace(*options.junitPath);
        junit_->standIn(renderRunFailure(seed_, "run", unfinishedRunReason));
    }
    catchExits();
    // The watcher must be running before the constructor returns: a thread still starting holds
    // allocator locks, and a process an executor forks then would inherit them locked.
    watcher_ = std::jthread([this](const std::stop_token& stop) { watch(stop); });
    watching_.wait();
    activeSessionProcess = ::getpid();
    activeSession = this;
}

Session::~Session() {
    activeSession = nullptr;
    watcher_.request_stop();
    watcher_.join();
}

Session* Session::active() noexcept {
    Session* session = activeSession.load();
    return session != nullptr && activeSessionProcess.load() == ::getpid() ? session : nullptr;
}

void Session::attach(ReportedRun& run, std::optional<std::chrono::seconds> timeLimit) {
    const std::lock_guard lock(lock_);
    run_ = &run;
    timeLimit_ = timeLimit;
}

void Session::detach() noexcept {
    const std::lock_guard lock(lock_);
    run_ = nullptr;
}

void Session::failBeforeRun(std::string_view name, const std::string& why) noexcept {
    const std::lock_guard lock(lock_);
    closed_ = true;
    reportFailure(junit(), seed_, name, why);
}

void Session::endEarly(const std::string& reason, int status,
                       const std::optional<Culprit>& culprit) noexcept {
    lock_.lock(); // for good: the process ends holding it
    if (!closed_) {
        closed_ = true;
        if (run_ != nullptr) {
            run_->closeEarly(reason, culprit);
        } else {
            const std::string why = "the run stopped before its tests ran: " + reason;
            writeToStandardError(why);
            reportFailure(junit(), seed_, "run", why);
        }
    }
    std::cout.flush();
    ::_exit(status);
}

void Session::exitCalled(std::string_view how, const Leaf* leaf) noexcept {
    lock_.lock();
    const std::string call(how);
    if (leaf != nullptr) {
        endEarly("the run stopped: the leaf " + leaf->path + " called " + call, endedEarlyStatus,
                 Culprit{leaf->path,
                         outcomeWith(LeafStatus::failed, "called " + call + " while it ran")});
    }
    endEarly(run_ != nullptr
                 ? "the run stopped: " + call + " was called from a thread that runs no leaf"
                 : call + " was called while the tests were being built",
             endedEarlyStatus);
}

void Session::watch(const std::stop_token& stop) {
    const timespec tick{0, 10'000'000};
    watching_.count_down();
    while (!stop.stop_requested()) {
        const int signal = ::sigtimedwait(&blocked_.signals(), nullptr, &tick);
        if (signal > 0) {
            const std::lock_guard lock(lock_);
            endEarly(run_ != nullptr ? signalReason(signal)
                                     : signalReason(signal) + " while the tests were being built",
                     128 + signal);
        }
        enforceTimeLimit();
    }
}

void Session::enforceTimeLimit() {
    const std::lock_guard lock(lock_);
    if (run_ == nullptr || !timeLimit_ || closed_) {
        return;
    }
    if (const std::optional<std::string> path = run_->overdueLeaf(*timeLimit_)) {
        endEarly("the run stopped: the leaf " + *path + " ran longer than " +
                     std::to_string(timeLimit_->count()) + " s",
                 endedEarlyStatus,
                 Culprit{*path, outcomeWith(LeafStatus::failed, timedOut(*timeLimit_),
                                            static_cast<double>(timeLimit_->count()))});
    }
}

void guardGoogleTestReport(std::string_view outputFlag, std::uint64_t seed) {
    constexpr std::string_view xml = "xml";
    if (!outputFlag.starts_with(xml) ||
        (outputFlag.size() > xml.size() && outputFlag[xml.size()] != ':')) {
        return;
    }
    std::string path(outputFlag.size() > xml.size() ? outputFlag.substr(xml.size() + 1)
                                                    : std::string_view("test_detail.xml"));
    // GoogleTest names a new file in a folder for each run: no earlier report is there to stay.
    if (path.empty() || path.ends_with('/')) {
        return;
    }
    try {
        auto destination = std::make_unique<JUnitDestination>(std::move(path));
        if (destination->replaceable()) {
            destination->standIn(renderRunFailure(seed, "run", unfinishedRunReason));
            standingReport = std::move(destination);
            standingSeed = seed;
        }
    } catch (const std::exception&) {
        // GoogleTest says so itself when it cannot write the report at the end.
    }
}

std::variant<std::vector<Test>, std::string>
buildForGoogleTest(const std::function<std::vector<Test>()>& build) {
    static const Leaf building{"zorvan.build", "zorvan", "build", nullptr};
    const LeafInProgress inProgress(building);
    try {
        return build();
    } catch (...) {
        return buildFailure();
    }
}

LeafOutcome runLeafWithin(const Leaf& leaf, const CheckSettings& settings,
                          std::chrono::seconds limit, std::string_view limitName) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    const std::jthread watchdog([&] {
        std::unique_lock lock(mutex);
        if (!ended.wait_for(lock, limit, [&] { return done; })) {
            endStandingRun("FAIL  " + leaf.path + "\n  " + timedOut(limit) + " (" +
                           std::string(limitName) + ")");
        }
    });
    LeafOutcome outcome = runLeaf(leaf, settings);
    {
        const std::lock_guard lock(mutex);
        done = true;
    }
    ended.notify_one();
    return outcome;
}

void sendEarlyEndsTo(std::function<void(const LeafOutcome&)> receiver) {
    earlyEndReceiver = std::move(receiver);
}

LeafInProgress::LeafInProgress(const Leaf& leaf) noexcept : previous_(runningLeaf) {
    catchExits();
    runningLeaf = &leaf;
    ++leavesRunning;
}

LeafInProgress::~LeafInProgress() {
    --leavesRunning;
    runningLeaf = previous_;
}

} // namespace zorvan::testing::detail

namespace zorvan::testing {

std::string detail::buildFailure() {
    CaughtFailure caught = catchCurrentFailure();
    std::string failure = caught.check ? describeCheck(*caught.check) : std::move(caught.error);
    constexpr std::string_view errorPrefix = "error: ";
    if (failure.starts_with(errorPrefix)) {
        failure.erase(0, errorPrefix.size());
    }
    return "cannot build the tests: " + failure;
}

RunSession::RunSession(const RunOptions& options)
    : session_(std::make_unique<detail::Session>(options)) {}

RunSession::~RunSession() = default;

std::vector<Test> RunSession::build(const std::function<std::vector<Test>()>& builder) {
    try {
        return builder();
    } catch (const UsageError& error) {
        session_->failBeforeRun("build", error.what());
        throw;
    } catch (...) {
        const std::string failure = detail::buildFailure();
        session_->failBeforeRun("build", failure);
        throw std::runtime_error(failure);
    }
}

} // namespace zorvan::testing
