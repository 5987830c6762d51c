#include <zorvan/testing/main.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/settings.hpp>

#include "visible_text.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>

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

CommandLine parseCommandLine(int argc, const char* const* argv) {
    CommandLine line;
    RunOptions& options = line.options;
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
        } else if (name == "--junit") {
            options.junitPath = std::string(value());
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
  --jobs N           run N leaves at a time; the report keeps tree order; default 1
  --junit FILE       also write a JUnit XML report to FILE
  --verbose          also print each leaf that passed
  --help             print this text
)";
}

std::string usage(std::string_view program) {
    return "usage: " + std::string(program) +
           " [options]\n\nRuns the tests of this program and reports each failure with a "
           "command that reruns it.\n\noptions:\n" +
           runOptionsHelp() +
           "\nGTEST_TOTAL_SHARDS and GTEST_SHARD_INDEX, when set, select one shard of the "
           "leaves.\nExit status: 0 when nothing failed, 1 when something did, when the filter "
           "selects no leaf, or when the report could not be written, 2 on a usage error, 130 or "
           "143 when stopped by SIGINT or SIGTERM.\n";
}

void requireStandardOutput() {
    if (::fcntl(STDOUT_FILENO, F_GETFD) == -1) {
        throw std::runtime_error("cannot write the report: standard output is closed");
    }
}

void flushStandardOutput() {
    if (std::cout.flush()) {
        return;
    }
    // The stream keeps no reason; a write of one line feed finds it again.
    const std::string reason =
        ::write(STDOUT_FILENO, "\n", 1) < 0 ? std::strerror(errno) : "a write failed";
    throw std::runtime_error("cannot write the report to standard output: " + reason);
}

namespace {

// The part every form of the ready main shares: the command line, help, the checks of
// standard output, and one message and status for each kind of error.
int guardedMain(int argc, const char* const* argv,
                const std::function<int(const CommandLine&)>& runTests) {
    const std::string_view program = argc > 0 ? argv[0] : "test";
    try {
        const CommandLine line = parseCommandLine(argc, argv);
        if (line.helpRequested) {
            std::cout << usage(program);
            flushStandardOutput();
            return 0;
        }
        requireStandardOutput();
        const int status = runTests(line);
        flushStandardOutput();
        return status;
    } catch (const UsageError& error) {
        std::cerr << program << ": " << error.what() << "\n\n" << usage(program);
        return 2;
    } catch (const std::exception& error) {
        std::cerr << program << ": " << detail::visibleText(error.what()) << '\n';
        return 1;
    }
}

int runAll(const std::vector<Test>& tests, const CommandLine& line) {
    const RunSummary summary = run(tests, line.options, std::cout);
    return summary.failed == 0 && !summary.nothingSelected ? 0 : 1;
}

} // namespace

int main(int argc, const char* const* argv, const std::vector<Test>& tests) {
    return guardedMain(argc, argv, [&](const CommandLine& line) { return runAll(tests, line); });
}

int main(int argc, const char* const* argv, const Test& test) {
    return main(argc, argv, std::vector<Test>{test});
}

namespace detail {

int mainWithBuilder(int argc, const char* const* argv,
                    const std::function<std::vector<Test>()>& build) {
    return guardedMain(argc, argv, [&](const CommandLine& line) {
        std::vector<Test> tests;
        try {
            tests = build();
        } catch (const std::exception& error) {
            throw std::runtime_error(std::string("cannot build the tests: ") + error.what());
        } catch (...) {
            throw std::runtime_error("cannot build the tests: an exception of unknown type");
        }
        return runAll(tests, line);
    });
}

} // namespace detail

} // namespace zorvan::testing
