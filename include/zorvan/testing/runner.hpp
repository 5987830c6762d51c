#pragma once
// The runner: selects leaves of a test tree by path, runs them, and reports.

#include <zorvan/testing/outcome.hpp>
#include <zorvan/testing/test.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zorvan::testing {

/// Leaf: a unit or property leaf of a tree with its path: the names of its groups and its own
/// name joined by '/' ("MD5 KATs/md5KAT"; a top-level leaf's path is its name).
struct Leaf {
    /// path: the group path and the name joined by '/', what --filter matches.
    std::string path;
    /// groupPath: the names of its groups joined by '/'; empty for a top-level leaf.
    std::string groupPath;
    /// name: the leaf's own name.
    std::string name;
    /// test: the leaf in the tree it was flattened from, which must outlive this Leaf.
    const Test* test = nullptr;
};

/// flatten: every leaf of the trees in tree order. The leaves point into tests, which must
/// outlive them.
std::vector<Leaf> flatten(const std::vector<Test>& tests);
std::vector<Leaf> flatten(const std::vector<Test>&& tests) = delete; // the leaves would dangle

/// globMatch: whether text matches pattern, where '*' matches any run of characters (also
/// '/'), '?' any one character, and '\' makes the next character literal.
bool globMatch(std::string_view pattern, std::string_view text);
/// globLiteralPrefix: the literal start of a pattern, before its first '*' or '?': every text
/// the pattern matches begins with it.
std::string globLiteralPrefix(std::string_view pattern);
/// escapeGlob: a pattern that matches exactly this text.
std::string escapeGlob(std::string_view text);

/// CheckSettings: how properties are checked. The same seed reproduces the same cases.
struct CheckSettings {
    /// seed: the run's seed; each property's cases follow from it and the leaf's path.
    std::uint64_t seed = 0;
    /// cases: the number of cases a property must pass, discards not counted.
    std::size_t cases = 100;
    /// A property gives up (and fails) after more than cases × maxDiscardRatio discards.
    std::size_t maxDiscardRatio = 10;
    /// A falsified case is shrunk by trying at most this many smaller cases.
    std::size_t shrinkAttempts = 1000;
};

/// runLeaf: runs one leaf. Never throws: an error raised by the code under test fails the
/// leaf with its message, and TestSkipped skips it. A call to exit or quick_exit from the leaf,
/// or from any thread while it runs, ends the process with status 1 and a line naming the leaf
/// on standard error (inside run, the run's report is closed first).
LeafOutcome runLeaf(const Leaf& leaf, const CheckSettings& settings);

/// LeafStarted: told once per leaf, from any thread and in any order, as it starts to run.
using LeafStarted = std::function<void(std::size_t index)>;
/// LeafFinished: told once per leaf, from any thread and in any order, how it ended.
using LeafFinished = std::function<void(std::size_t index, LeafOutcome outcome)>;
/// Executor: runs every leaf of the list, telling started as each begins and finished as
/// each ends, before returning.
using Executor = std::function<void(const std::vector<Leaf>& leaves, const CheckSettings& settings,
                                    const LeafStarted& started, const LeafFinished& finished)>;

/// LeafRunner: runs one leaf; runLeaf is the one every executor uses unless told otherwise.
using LeafRunner = std::function<LeafOutcome(const Leaf&, const CheckSettings&)>;

/// threadedExecutor: runs the leaves with runOne on `jobs` threads (the caller's own when 1).
Executor threadedExecutor(std::size_t jobs, LeafRunner runOne = runLeaf);

/// isolatedExecutor: runs the leaves with runOne in `jobs` child processes forked from this
/// one; each child runs leaf after leaf. A leaf whose child dies (a crash, exit, _exit) fails
/// with the signal or exit status named; one that runs longer than `timeout` fails as timed
/// out, its child killed. A replacement child carries on with the other leaves. The children
/// ignore SIGINT, SIGTERM and SIGHUP, which stop the run in this process (the leaves they were
/// running are then not run), and die with the thread that started them. Throws
/// std::system_error when no child can be started.
Executor isolatedExecutor(std::size_t jobs, std::chrono::seconds timeout,
                          LeafRunner runOne = runLeaf);

/// defaultLeafTimeout: how long one leaf may run unless told otherwise.
inline constexpr std::chrono::seconds defaultLeafTimeout{600};
/// maximumLeafTimeout: the longest time limit --timeout takes (about eleven days).
inline constexpr std::chrono::seconds maximumLeafTimeout{1'000'000};

/// RunSummary: the counts of a run. nothingSelected: the filter (with the occurrence)
/// matched no leaf, so the run checked nothing and is no success; a shard left without
/// leaves by sharding a selection is not that.
struct RunSummary {
    /// passed: the leaves that passed.
    std::size_t passed = 0;
    /// failed: the leaves that failed.
    std::size_t failed = 0;
    /// skipped: the leaves that skipped themselves (TestSkipped); leaves a run cut short never
    /// ran are not counted here (see RunEnd::notRun).
    std::size_t skipped = 0;
    /// nothingSelected: whether the filter matched no leaf.
    bool nothingSelected = false;
};

/// RunStart: what a run (or one of its groups) is about to do: its seed, the leaves it runs, in
/// tree order, and all the leaves of the tree (or group).
struct RunStart {
    /// seed: the run's seed, as the report prints it.
    std::uint64_t seed = 0;
    /// leaves: the selected leaves, in tree order; leafEnded's index points into it.
    const std::vector<Leaf>& leaves;
    /// all: every leaf of the tree, selected or not.
    const std::vector<Leaf>& all;
};

/// RunEnd: how a run ended: its counts and, for a run cut short (by a signal, a call to exit,
/// a leaf that ran too long), the reason and how many leaves did not run; for a run whose
/// selection holds no leaf, the line that says why; for a run over lazily built groups cut
/// short, the groups it had not built.
struct RunEnd {
    /// summary: the counts of the leaves that ended.
    RunSummary summary;
    /// stopReason: why the run was cut short; empty for a run that finished.
    std::string stopReason;
    /// notRun: the selected leaves that did not run because the run was cut short.
    std::size_t notRun = 0;
    /// emptySelection: the line saying that the selection holds no leaf; empty otherwise.
    std::string emptySelection;
    /// groupsNotReached: for a run over lazily built groups cut short, the paths of the groups
    /// it had not built yet.
    std::vector<std::string> groupsNotReached;

    /// stopped: whether the run was cut short.
    [[nodiscard]] bool stopped() const noexcept { return !stopReason.empty(); }
};

/// RunListener: a reporter; run tells each listener of the run as it goes, and each event
/// does nothing unless overridden. Calls never overlap, so a listener needs no lock of its
/// own. runStarting comes once, with the leaves of the whole tree (none for a run over lazily
/// built groups); groupStarting comes before the leaves of each part run: once with the whole
/// tree, or for each lazily built group as it is built, with its leaves.
/// leafStarting comes as the executor starts the leaf, in any order with several jobs;
/// leafEnded comes in tree order (except for what had finished when a run is cut short), with
/// the leaf's index in the last groupStarting's leaves and the counts so far, this leaf
/// included. A leaf passed to an event lives until the next groupStarting or runEnded. An
/// exception from runStarting or runEnded leaves run (a JUnit file that cannot be written);
/// leafStarting and leafEnded run on the executor's threads and must not throw. While a run
/// is cut short, a listener's exception is written to standard error and the others are
/// still told.
class RunListener {
public:
    virtual ~RunListener() = default;
    /// runStarting: the run is about to run its first leaf (or list them).
    virtual void runStarting(const RunStart& start);
    /// groupStarting: the leaves of a part of the run are about to run (see above).
    virtual void groupStarting(const RunStart& group);
    /// leafStarting: the leaf begins to run.
    virtual void leafStarting(const Leaf& leaf);
    /// leafEnded: the leaf ended with outcome; soFar counts it.
    virtual void leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome& outcome,
                           const RunSummary& soFar);
    /// runEnded: the run is over, finished or cut short.
    virtual void runEnded(const RunEnd& end);
};

/// RunOptions: what run selects and how it reports.
struct RunOptions {
    /// check: the seed, case count and discard limit of the properties.
    CheckSettings check;
    /// filter: the glob (see globMatch) a leaf's path must match to run.
    std::string filter = "*";
    /// occurrence: only the n-th selected leaf (from 1), for leaves that share a path.
    std::optional<std::size_t> occurrence;
    /// shardCount: how many shards the selection is dealt to (GTEST_TOTAL_SHARDS).
    std::size_t shardCount = 1;
    /// shardIndex: which of them this run is, from 0 (GTEST_SHARD_INDEX).
    std::size_t shardIndex = 0;
    /// list: print the selected leaves' paths instead of running them.
    bool list = false;
    /// verbose: also report each leaf that passed.
    bool verbose = false;
    /// reportEachSkip: report every skipped leaf with its reason (always when verbose).
    bool reportEachSkip = true;
    /// jobs: how many leaves run at a time, 1 to maximumJobs (parseCommandLine sets
    /// defaultJobs() unless --jobs is given).
    std::size_t jobs = 1;
    /// isolate: run each leaf in a child process (isolatedExecutor), so that a crash, _exit or
    /// a hang fails that leaf only.
    bool isolate = false;
    /// timeout: the time one leaf may take. Under isolate its child is then killed and the leaf
    /// fails; in this process the leaf fails, the run stops (the rest not run) with status 1.
    std::chrono::seconds timeout = defaultLeafTimeout;
    /// junitPath: where to write a JUnit XML report, if anywhere.
    std::optional<std::string> junitPath;
    /// rerunCommand: the command line, up to the filter and seed, that failures print for
    /// rerunning one leaf.
    std::string rerunCommand = "test";
    /// executor: how the leaves run; isolatedExecutor(jobs, timeout) with isolate, else
    /// threadedExecutor(jobs), when empty.
    Executor executor;
    /// listeners: reporters told of the run besides the text report and the JUnit file; they
    /// hear of its end before the text report writes its closing line, so what they write to
    /// the report's stream stands above it. They must outlive the run.
    std::vector<RunListener*> listeners;
};

/// selectLeaves: the leaves that a run with these options runs, in tree order: those whose path
/// matches the filter, then the occurrence, then this shard's share.
std::vector<Leaf> selectLeaves(const std::vector<Leaf>& leaves, const RunOptions& options);

/// closingLine: "N passed, N failed", with ", N skipped" where some were.
std::string closingLine(const RunSummary& summary);

/// run: runs (or with list, lists) the selected leaves and writes the report to out: the seed,
/// each failure with a command that reruns it, and the closing line. A filter that selects
/// no leaf is said in a line of its own (also by list), and the summary's nothingSelected is
/// set. Leaves run on options.jobs threads, or child processes with options.isolate; the
/// report stays in tree order. Text from the code under test reaches out and the JUnit file
/// with control characters and bytes that are not UTF-8 escaped as "\xNN".
/// Unless a RunSession guards the process already, run guards itself as one does (see
/// RunSession): the JUnit destination is checked and any earlier report there replaced by one
/// saying the run did not finish before the first leaf runs, and SIGINT, SIGTERM, SIGHUP, calls
/// to exit and quick_exit, and (outside isolate) a leaf that runs longer than options.timeout
/// end the run with what finished reported and the rest marked not run, with status 128 + the
/// signal's number (130, 143, 129) or 1. Throws std::runtime_error naming the path and the
/// reason when the JUnit report cannot be written.
RunSummary run(const std::vector<Test>& tests, const RunOptions& options, std::ostream& out);

/// LazyGroup: a group of a run that is built only when the run reaches it, and dropped once its
/// leaves have run.
struct LazyGroup {
    /// path: where the group stands in the tree ("openssl/SHA256": a group "SHA256" inside a
    /// group "openssl").
    std::string path;
    /// build: gives its children when the run reaches it; what it throws becomes one leaf,
    /// "building", that fails with "cannot build the group: " and the error's message.
    std::function<std::vector<Test>()> build;
};

/// run: as run over one tree that holds the groups in this order, but holding one group at a
/// time, so that a run's memory is that of its largest group: the report, the filter, the
/// occurrence, sharding, the JUnit file and the guarding are the same. A group whose leaves the
/// filter cannot reach (its path neither starts the filter's literal start nor starts with it)
/// is never built, nor is any once the occurrence is found; a group whose build throws becomes
/// one failed leaf PATH/building that says why. A run cut short names the groups it had not
/// built yet. Throws std::invalid_argument when two groups share a path or one lies within
/// another ("a" and "a/b").
RunSummary run(const std::vector<LazyGroup>& groups, const RunOptions& options, std::ostream& out);

/// requireStandardOutput: throws std::runtime_error when standard output is closed, so that
/// no run starts whose report would be lost (or land in a file opened later in its place).
void requireStandardOutput();

/// flushStandardOutput: flushes std::cout; throws std::runtime_error "cannot write WHAT to
/// standard output: <reason>" when that or an earlier write failed (a full disk, say).
void flushStandardOutput(std::string_view what = "the report");

/// maximumJobs: the most leaves --jobs runs at a time (threads, or child processes with
/// zorvan-check --isolate).
inline constexpr std::size_t maximumJobs = 256;

/// defaultJobs: how many leaves the command line runs at a time without --jobs: the number of
/// cores (std::thread::hardware_concurrency), 1 when that is unknown, at most maximumJobs.
/// Never fails.
std::size_t defaultJobs();

/// shellWord: the text as one word of a POSIX shell command: as it is when it holds only
/// characters no shell treats specially, else in single quotes. Never fails.
std::string shellWord(std::string_view text);

/// UsageError: a command line that cannot be read; its message says which option or value.
class UsageError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

/// CommandLine: the options read from a command line and the environment.
struct CommandLine {
    /// options: the run the command line asks for; a fresh random seed when none was given.
    RunOptions options;
    /// helpRequested: --help was given: print usage and run nothing.
    bool helpRequested = false;
    /// seedGiven: --seed was given, rather than a seed drawn for this run.
    bool seedGiven = false;
};

/// separateValue: the value of an option given as "--name value", the argument after
/// argv[index]; index then points at it. Throws UsageError, naming the option, when there is
/// none or when it begins with '-' (an option, or a value that must be written "--name=-x").
std::string_view separateValue(int argc, const char* const* argv, int& index,
                               std::string_view option);

/// parseCommandLine: reads --list, --filter, --seed, --cases, --occurrence, --jobs, --isolate,
/// --timeout, --junit, --verbose and --help (as "--name value" or "--name=value"), and the
/// GoogleTest sharding variables; without --jobs, the run takes defaultJobs(). Throws UsageError
/// on an unknown option or a bad value, on "--name value" whose value begins with '-' (an option
/// that lacks its value, as in "--filter --seed 1"; write "--filter=-x" for such a value), on
/// "--flag=value" for an option that takes none, on an empty --junit, on --jobs above
/// maximumJobs and on --timeout above maximumLeafTimeout.
CommandLine parseCommandLine(int argc, const char* const* argv);

/// reportRefusedCommandLine: for a command line that parseCommandLine refused, puts a report
/// saying why (one failed testcase "zorvan" / "command line") at the JUnit destination it
/// names, if it names one that can take a report, so that no earlier run's report stays there.
/// Never throws beyond allocation.
void reportRefusedCommandLine(int argc, const char* const* argv, const std::string& why);

/// usage: the help text of the ready main.
std::string usage(std::string_view program);
/// runOptionsHelp: the lines of that help text that describe the options parseCommandLine reads.
std::string runOptionsHelp();
/// exitStatusHelp: the lines of that help text that list the exit statuses of a run.
std::string exitStatusHelp();

} // namespace zorvan::testing
