#include <zorvan/testing/main.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/session.hpp>
#include <zorvan/testing/settings.hpp>
#include <zorvan/testing/suite_table.hpp>

#include "junit.hpp"
#include "visible_text.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <thread>

namespace zorvan::testing {

namespace {

// GoogleTest's sharding protocol: run every n-th leaf and touch the status file.
void readShardingEnvironment(RunOptions& options) {
    const char* total = std::getenv("GTEST_TOTAL_SHARDS");
    const char* index = std::getenv("GTEST_SHARD_INDEX");
    if (total == nullptr || index == nullptr) {
        return;
    }
    options.shardCount = readPositive("GTEST_TOTAL_SHARDS", total);
    options.shardIndex = static_cast<std::size_t>(readNumber("GTEST_SHARD_INDEX", index));
    if (options.shardIndex >= options.shardCount) {
        throw UsageError("GTEST_SHARD_INDEX " + std::string(index) +
                         " is not below GTEST_TOTAL_SHARDS " + std::string(total));
    }
    if (const char* status = std::getenv("GTEST_SHARD_STATUS_FILE")) {
        std::ofstream{status};
    }
}

} // namespace

std::string_view separateValue(int argc, const char* const* argv, int& index,
                               std::string_view option) {
    if (index + 1 >= argc) {
        throw UsageError(std::string(option) + " needs a value");
    }
    const std::string_view value = argv[index + 1];
    if (value.size() > 1 && value.front() == '-') {
        throw UsageError(std::string(option) + " needs a value, but is followed by the option '" +
                         std::string(value) + "' (write " + std::string(option) + "=" +
                         std::string(value) + " for a value that begins with '-')");
    }
    ++index;
    return value;
}

std::size_t defaultJobs() {
    return std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, maximumJobs);
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    RunOptions& options = line.options;
    options.jobs = defaultJobs();
    options.rerunCommand = shellWord(argc > 0 ? argv[0] : "test");
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        std::string_view name = argument;
        std::optional<std::string_view> attached;
        if (const auto equals = argument.find('=');
            argument.starts_with("--") && equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            attached = argument.substr(equals + 1);
        }
        const auto value = [&]() -> std::string_view {
            if (attached) {
                return *attached;
            }
            return separateValue(argc, argv, i, name);
        };
        const auto flag = [&](bool& target) {
            if (attached) {
                throw UsageError(std::string(name) + " takes no value");
            }
            target = true;
        };
        if (name == "--help" || name == "-h") {
            flag(line.helpRequested);
        } else if (name == "--list") {
            flag(options.list);
        } else if (name == "--verbose") {
            flag(options.verbose);
        } else if (name == "--filter") {
            options.filter = value();
        } else if (name == "--seed") {
            options.check.seed = readNumber(name, value());
            line.seedGiven = true;
        } else if (name == "--cases") {
            options.check.cases = readPositive(name, value());
        } else if (name == "--occurrence") {
            options.occurrence = readPositive(name, value());
        } else if (name == "--jobs") {
            options.jobs = readPositive(name, value());
            if (options.jobs > maximumJobs) {
                throw UsageError("--jobs " + std::to_string(options.jobs) + " is more than " +
                                 std::to_string(maximumJobs) + ", the most this runner allows");
            }
        } else if (name == "--isolate") {
            flag(options.isolate);
        } else if (name == "--timeout") {
            options.timeout = readTimeout(name, value());
        } else if (name == "--junit") {
            options.junitPath = std::string(value());
            if (options.junitPath->empty()) {
                throw UsageError("--junit needs a file name, not ''");
            }
        } else {
            throw UsageError("unknown option '" + std::string(argument) + "'");
        }
    }
    if (!line.seedGiven) {
        options.check.seed = freshSeed();
    }
    readShardingEnvironment(options);
    return line;
}

std::string runOptionsHelp() {
    return R"(  --list             print the path of every selected leaf (group/leaf), one a line
  --filter GLOB      run only the leaves whose path matches GLOB ('*' any run, '?' any
                     character, '\' quotes the next one); default '*'
  --occurrence N     of the leaves selected, run only the N-th (for paths that repeat)
  --seed N           the seed of the generated cases (printed on every run; the same seed
                     reproduces the same cases); default: a fresh one
  --cases N          generated cases for each property; default 100
  --jobs N           run N leaves at a time; the report keeps tree order; default: the
                     number of cores ()" +
           std::to_string(defaultJobs()) + R"( here); --jobs 1 runs them one by one
  --isolate          run each leaf in a child process: a crash, a hang, exit or _exit fails
                     that leaf only, naming the signal, the status or the time-out
  --timeout SECONDS  the time one leaf may take; default 600. With --isolate the leaf's
                     process is killed and the leaf fails; without, the leaf fails and the
                     run stops there (the rest not run)
  --junit FILE       also write a JUnit XML report to FILE: before the tests are built, an
                     earlier report there is replaced by one saying the run did not finish;
                     a device or FIFO (/dev/null, a pipe) is written in place
  --verbose          also print each leaf that passed
  --help             print this text
)";
}

std::string exitStatusHelp() {
    return R"(Exit status:
  0        nothing failed and something ran
  1        something failed; the selection holds no leaf; the tests could not be built; a
           report could not be written; or the code under test called exit or quick_exit
           (from a leaf, the builder or any thread) or, without --isolate, ran longer than
           --timeout: the run then stops, reporting what finished and the rest as not run
  2        a usage error
  128 + N  stopped by signal N: 130 SIGINT, 143 SIGTERM, 129 SIGHUP; what finished is
           reported, the rest marked not run
A leaf that calls _exit, or crashes, ends the process where it stands; the JUnit report then
says the run did not finish. Run such code with --isolate.
)";
}

std::string usage(std::string_view program) {
    return "usage: " + std::string(program) +
           " [options]\n\nRuns the tests of this program and reports each failure with a "
           "command that reruns it.\n\noptions:\n" +
           runOptionsHelp() +
           "\nGTEST_TOTAL_SHARDS and GTEST_SHARD_INDEX, when set, select one shard of the "
           "leaves.\n\n" +
           exitStatusHelp();
}

void requireStandardOutput() {
    if (::fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        throw std::runtime_error("cannot write the report: standard output is closed");
    }
}

void flushStandardOutput(std::string_view what) {
    if (std::cout.flush()) {
        return;
    }
    // The stream keeps no reason; a write of one line feed finds it again.
    const std::string reason =
        ::write(STDOUT_FILENO, "\n", 1) < 0 ? std::strerror(errno) : "a write failed";
    throw std::runtime_error("cannot write " + std::string(what) +
                             " to standard output: " + reason);
}

void reportRefusedCommandLine(int argc, const char* const* argv, const std::string& why) {
    std::optional<std::string> path;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        std::optional<std::string_view> named;
        if (argument.starts_with("--junit=")) {
            named = argument.substr(8);
        } else if (argument == "--junit" && i + 1 < argc && argv[i + 1][0] != '-') {
            named = argv[++i];
        }
        if (named && !named->empty()) {
            path = std::string(*named);
        }
    }
    if (!path) {
        return;
    }
    try {
        detail::JUnitDestination destination(*path);
        destination.write(detail::renderRunFailure(0, "command line", why));
    } catch (const std::exception&) {
        // The refusal itself is the error the caller reports.
    }
}

namespace {

// What the ready main runs: the tree it was given, or the one its builder makes.
using TreeSource = std::function<const std::vector<Test>&(RunSession&)>;

// The part every form of the ready main shares: the command line, help, the checks of
// standard output, the guarded run, and one message and status for each kind of error.
int guardedMain(int argc, const char* const* argv, const TreeSource& tree) {
    const std::string_view program = argc > 0 ? argv[0] : "test";
    try {
        const CommandLine line = parseCommandLine(argc, argv);
        if (line.helpRequested) {
            std::cout << usage(program);
            flushStandardOutput("the help");
            return 0;
        }
        requireStandardOutput();
        RunSession session(line.options);
        const std::vector<Test>& tests = tree(session);
        RunOptions options = line.options;
        std::optional<SuiteTable> table = suiteTableOf(tests, std::cout);
        if (table) {
            options.listeners.push_back(&*table);
        }
        const RunSummary summary = run(tests, options, std::cout);
        flushStandardOutput(line.options.list ? "the list" : "the report");
        return summary.failed == 0 && !summary.nothingSelected ? 0 : 1;
    } catch (const UsageError& error) {
        reportRefusedCommandLine(argc, argv, error.what());
        std::cerr << program << ": " << error.what() << "\n\n" << usage(program);
        return 2;
    } catch (const std::exception& error) {
        std::cerr << program << ": " << detail::visibleText(error.what()) << '\n';
        return 1;
    }
}

} // namespace

int main(int argc, const char* const* argv, const std::vector<Test>& tests) {
    return guardedMain(argc, argv, [&](RunSession&) -> const std::vector<Test>& { return tests; });
}

int main(int argc, const char* const* argv, const Test& test) {
    return main(argc, argv, std::vector<Test>{test});
}

namespace detail {

int mainWithBuilder(int argc, const char* const* argv,
                    const std::function<std::vector<Test>()>& build) {
    std::vector<Test> tests;
    return guardedMain(argc, argv, [&](RunSession& session) -> const std::vector<Test>& {
        tests = session.build(build);
        return tests;
    });
}

} // namespace detail

} // namespace zorvan::testing
