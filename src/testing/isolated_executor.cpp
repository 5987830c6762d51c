#include "descriptor_io.hpp"
#include "outcome_wire.hpp"
#include "session.hpp"

#include <zorvan/testing/property.hpp>

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace zorvan::testing {

namespace {

using Clock = std::chrono::steady_clock;
using detail::decodeOutcome;
using detail::encodeOutcome;
using detail::readAll;
using detail::writeAll;

// The status of a child that could not serve: its parent gone, or its own loop failed.
constexpr int childSetUpFailed = 70;

[[noreturn]] void throwSystemError(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Whether the child goes on to the next leaf after an outcome, or ends with it (its leaf called
// exit): then the parent must not hand it another leaf.
enum class ChildAfter : std::uint8_t { servesOn, ends };

// A leaf's outcome crosses the pipe as what the child does next, its encoding's length, then
// the encoding.
bool sendOutcome(int fd, const LeafOutcome& outcome, ChildAfter after) {
    const std::string encoded = encodeOutcome(outcome);
    const std::uint64_t length = encoded.size();
    return writeAll(fd, &after, sizeof after) && writeAll(fd, &length, sizeof length) &&
           writeAll(fd, encoded.data(), encoded.size());
}

struct Received {
    LeafOutcome outcome;
    ChildAfter after;
};

std::optional<Received> receiveOutcome(int fd) {
    ChildAfter after{};
    std::uint64_t length = 0;
    if (!readAll(fd, &after, sizeof after) || !readAll(fd, &length, sizeof length)) {
        return std::nullopt;
    }
    std::string encoded(length, '\0');
    if (!readAll(fd, encoded.data(), encoded.size())) {
        return std::nullopt;
    }
    std::optional<LeafOutcome> outcome = decodeOutcome(encoded);
    if (!outcome) {
        return std::nullopt;
    }
    return Received{std::move(*outcome), after};
}

std::string describeEnd(int waitStatus) {
    if (WIFSIGNALED(waitStatus)) {
        const int signal = WTERMSIG(waitStatus);
        return "crashed: the leaf's process was killed by signal " + std::to_string(signal) + " (" +
               ::strsignal(signal) + ")";
    }
    if (WIFEXITED(waitStatus)) {
        return "the leaf's process exited with status " + std::to_string(WEXITSTATUS(waitStatus)) +
               " before reporting";
    }
    return "the leaf's process ended before reporting";
}

// One child process and the leaf it is running, if any.
class Worker {
public:
    /// Worker: forks a child; siblingPipes are the other workers' pipe ends, which the child
    /// closes so that each child sees the end of its own input when the parent closes it.
    Worker(const std::vector<Leaf>& leaves, const CheckSettings& settings, const LeafRunner& runOne,
           const std::vector<int>& siblingPipes) {
        int toChild[2];
        int fromChild[2];
        if (::pipe(toChild) != 0 || ::pipe(fromChild) != 0) {
            throwSystemError("cannot make a pipe to a leaf's process");
        }
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ < 0) {
            throwSystemError("cannot start a process for the leaves");
        }
        if (pid_ == 0) {
            becomeChildOf(parent);
            ::close(toChild[1]);
            ::close(fromChild[0]);
            for (const int fd : siblingPipes) {
                ::close(fd);
            }
            serve(leaves, settings, runOne, toChild[0], fromChild[1]);
        }
        ::close(toChild[0]);
        ::close(fromChild[1]);
        toChild_ = toChild[1];
        fromChild_ = fromChild[0];
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;
    ~Worker() {
        ::close(toChild_);
        ::close(fromChild_);
        if (pid_ > 0) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
    }

    [[nodiscard]] int output() const noexcept { return fromChild_; }
    [[nodiscard]] int input() const noexcept { return toChild_; }
    [[nodiscard]] const std::optional<std::size_t>& running() const noexcept { return running_; }
    [[nodiscard]] bool alive() const noexcept { return pid_ > 0; }
    [[nodiscard]] Clock::duration timeLeft(std::chrono::seconds timeout) const noexcept {
        return std::max(Clock::duration::zero(), timeout - (Clock::now() - started_));
    }

    bool start(std::size_t index) {
        const std::uint64_t wire = index;
        running_ = index;
        started_ = Clock::now();
        return writeAll(toChild_, &wire, sizeof wire);
    }

    /// finish: the outcome of the running leaf, read from the child or made from how it
    /// died. The worker is then idle, or no longer alive.
    LeafOutcome finish() {
        std::optional<Received> received = receiveOutcome(fromChild_);
        running_.reset();
        if (!received) {
            return outcomeWith(LeafStatus::failed, endOfChild(), secondsRunning());
        }
        if (received->after == ChildAfter::ends) {
            endOfChild();
        }
        return std::move(received->outcome);
    }

    /// kill: ends the child of a leaf that ran too long; the worker is no longer alive.
    LeafOutcome kill(std::chrono::seconds timeout) {
        ::kill(pid_, SIGKILL);
        endOfChild();
        running_.reset();
        return outcomeWith(LeafStatus::failed, detail::timedOut(timeout), secondsRunning());
    }

private:
    // The child dies with its parent, whatever signal ends the parent (a hanging leaf would
    // otherwise outlive it). The signals that stop a run are the parent's to take: a Ctrl-C
    // reaches the whole process group, and a leaf it killed would pass for a crashed one.
    static void becomeChildOf(pid_t parent) {
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
            ::_exit(childSetUpFailed); // the parent is gone already
        }
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            ::signal(signal, SIG_IGN);
        }
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
    }

    // Nothing thrown here may unwind into the parent's code, which this child shares.
    [[noreturn]] static void serve(const std::vector<Leaf>& leaves, const CheckSettings& settings,
                                   const LeafRunner& runOne, int input, int output) noexcept {
        try {
            detail::sendEarlyEndsTo([output](const LeafOutcome& outcome) {
                sendOutcome(output, outcome, ChildAfter::ends);
            });
            std::uint64_t index = 0;
            while (readAll(input, &index, sizeof index) && index < leaves.size()) {
                if (!sendOutcome(output, runLeafSafely(runOne, leaves[index], settings),
                                 ChildAfter::servesOn)) {
                    break;
                }
            }
        } catch (...) {
            ::_exit(childSetUpFailed);
        }
        ::_exit(0);
    }

    static LeafOutcome runLeafSafely(const LeafRunner& runOne, const Leaf& leaf,
                                     const CheckSettings& settings) {
        try {
            return runOne(leaf, settings);
        } catch (...) {
            const detail::CaughtFailure caught = detail::catchCurrentFailure();
            return outcomeWith(LeafStatus::failed,
                               "the leaf runner failed: " +
                                   (caught.check ? describeCheck(*caught.check) : caught.error));
        }
    }

    std::string endOfChild() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return describeEnd(status);
    }

    double secondsRunning() const {
        return std::chrono::duration<double>(Clock::now() - started_).count();
    }

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::optional<std::size_t> running_;
    Clock::time_point started_;
};

} // namespace

Executor isolatedExecutor(std::size_t jobs, std::chrono::seconds timeout, LeafRunner runOne) {
    return [jobs, timeout, runOne = std::move(runOne)](
               const std::vector<Leaf>& leaves, const CheckSettings& settings,
               const LeafStarted& started, const LeafFinished& finished) {
        // A child that dies must not take this process with it through a broken pipe.
        ::signal(SIGPIPE, SIG_IGN);
        std::vector<std::unique_ptr<Worker>> workers(jobs);
        std::size_t next = 0;
        std::size_t done = 0;
        const auto startWorker = [&] {
            std::vector<int> siblingPipes;
            for (const auto& worker : workers) {
                if (worker) {
                    siblingPipes.insert(siblingPipes.end(), {worker->input(), worker->output()});
                }
            }
            return std::make_unique<Worker>(leaves, settings, runOne, siblingPipes);
        };
        const auto end = [&](std::size_t index, LeafOutcome outcome) {
            finished(index, std::move(outcome));
            ++done;
        };
        while (done < leaves.size()) {
            // Give each idle worker the next leaf, replacing children that have ended.
            for (auto& worker : workers) {
                if (next == leaves.size()) {
                    break;
                }
                if (!worker || !worker->alive()) {
                    worker.reset();
                    worker = startWorker();
                }
                if (!worker->running()) {
                    const std::size_t index = next++;
                    started(index);
                    if (!worker->start(index)) {
                        end(index, worker->finish());
                    }
                }
            }
            std::vector<pollfd> busy;
            std::vector<Worker*> owners;
            Clock::duration wait = timeout;
            for (const auto& worker : workers) {
                if (worker && worker->running()) {
                    busy.push_back({worker->output(), POLLIN, 0});
                    owners.push_back(worker.get());
                    wait = std::min(wait, worker->timeLeft(timeout));
                }
            }
            if (busy.empty()) {
                continue;
            }
            const auto waitMilliseconds =
                std::chrono::duration_cast<std::chrono::milliseconds>(wait);
            if (::poll(busy.data(), busy.size(), static_cast<int>(waitMilliseconds.count()) + 1) <
                    0 &&
                errno != EINTR) {
                throwSystemError("cannot wait for the leaves' processes");
            }
            for (std::size_t i = 0; i < busy.size(); ++i) {
                const std::size_t index = *owners[i]->running();
                if ((busy[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                    end(index, owners[i]->finish());
                } else if (owners[i]->timeLeft(timeout) <= Clock::duration::zero()) {
                    end(index, owners[i]->kill(timeout));
                }
            }
        }
    };
}

} // namespace zorvan::testing
