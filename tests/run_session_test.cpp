// The guarded run: no ending leaves an earlier JUnit report standing or passes for success.

#include <zorvan/testing/main.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/session.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using namespace zorvan::testing;
using Tree = std::vector<zorvan::testing::Test>;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr const char* previousReport = "<previous run's report/>";
constexpr const char* unfinished = "the run did not finish";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// A folder of its own for each test, holding the previous run's report.
class GuardedRun : public ::testing::Test {
protected:
    GuardedRun() {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::ofstream(report()) << previousReport;
    }
    ~GuardedRun() override { std::filesystem::remove_all(folder_); }

    [[nodiscard]] std::string report() const { return (folder_ / "report.xml").string(); }
    [[nodiscard]] std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }
    [[nodiscard]] RunOptions options(std::vector<std::string> arguments = {}) const {
        // One job unless the arguments say otherwise, so that the leaves a run cut short had
        // finished are always the same.
        arguments.insert(arguments.begin(),
                         {"probe", "--seed", "1", "--jobs", "1", "--junit", report()});
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) {
            argv.push_back(argument.c_str());
        }
        return parseCommandLine(static_cast<int>(argv.size()), argv.data()).options;
    }

private:
    std::filesystem::path folder_ =
        std::filesystem::path(::testing::TempDir()) /
        ("zorvan-session-" +
         std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
};

Tree threeLeaves(std::function<void()> middle) {
    return {TestGroup{"G",
                      {testCase("before", [] {}), testCase("middle", std::move(middle)),
                       testCase("after", [] {})}}};
}

int mainWith(const std::vector<std::string>& arguments, const std::function<Tree()>& builder) {
    std::vector<const char*> argv{"probe"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return zorvan::testing::main(static_cast<int>(argv.size()), argv.data(), builder);
}

// A CI system that reads the report of a run that died must not find the last green one.
TEST_F(GuardedRun, TheEarlierReportIsReplacedBeforeTheTestsAreBuilt) {
    std::string seenWhileBuilding;
    ::testing::internal::CaptureStdout();
    const int status = mainWith({"--seed", "1", "--junit", report()}, [&] {
        seenWhileBuilding = readFile(report());
        return threeLeaves([] {});
    });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    EXPECT_THAT(seenWhileBuilding, HasSubstr(unfinished));
    EXPECT_THAT(seenWhileBuilding, HasSubstr("failures=\"1\""));
    EXPECT_THAT(readFile(report()), HasSubstr("tests=\"3\" failures=\"0\""));
    EXPECT_THAT(files(), ::testing::ElementsAre("report.xml"));
}

TEST_F(GuardedRun, ABuilderErrorAndAnEmptySelectionAreFailedReports) {
    ::testing::internal::CaptureStderr();
    const int built = mainWith({"--junit", report()}, []() -> Tree {
        throw std::runtime_error("cannot read the KAT folder");
    });
    EXPECT_THAT(::testing::internal::GetCapturedStderr(),
                HasSubstr("cannot build the tests: cannot read the KAT folder"));
    EXPECT_EQ(built, 1);
    EXPECT_THAT(readFile(report()), HasSubstr("name=\"build\""));
    EXPECT_THAT(readFile(report()),
                HasSubstr("<failure message=\"cannot build the tests: cannot read the KAT folder"));

    ::testing::internal::CaptureStdout();
    const int selected =
        mainWith({"--junit", report(), "--filter", "nothing"}, [] { return threeLeaves([] {}); });
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(selected, 1);
    EXPECT_THAT(readFile(report()),
                HasSubstr("<failure message=\"no leaf matches --filter nothing\">"));
}

// A listing is no run: it leaves the report alone.
TEST_F(GuardedRun, AListingAndAUsageErrorOfAnotherOptionAreTold) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(mainWith({"--list", "--junit", report()}, [] { return threeLeaves([] {}); }), 0);
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile(report()), previousReport);

    ::testing::internal::CaptureStderr();
    EXPECT_EQ(
        mainWith({"--junit", report(), "--timeout", "soon"}, [] { return threeLeaves([] {}); }), 2);
    ::testing::internal::GetCapturedStderr();
    EXPECT_THAT(readFile(report()), HasSubstr("--timeout needs a whole number, not 'soon'"));
}

TEST(JUnitDestination, DevicesAreWrittenInPlaceAndLinksKept) {
    const RunOptions devNull = [] {
        RunOptions options;
        options.junitPath = "/dev/null";
        return options;
    }();
    std::ostringstream out;
    EXPECT_EQ(run(threeLeaves([] {}), devNull, out).passed, 3u);
    struct stat status {};
    ASSERT_EQ(::stat("/dev/null", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));

    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / "zorvan-link";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "target.xml") << previousReport;
    std::filesystem::create_symlink(folder / "target.xml", folder / "link.xml");
    RunOptions linked;
    linked.junitPath = (folder / "link.xml").string();
    run(threeLeaves([] {}), linked, out);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.xml"));
    EXPECT_THAT(readFile(folder / "target.xml"), HasSubstr("tests=\"3\""));

    std::filesystem::create_symlink(folder / "nowhere" / "x.xml", folder / "dangling.xml");
    linked.junitPath = (folder / "dangling.xml").string();
    EXPECT_THAT(
        [&] { run(threeLeaves([] {}), linked, out); },
        ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("symbolic link to nothing")));

    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
    linked.junitPath = (folder / "fifo").string();
    EXPECT_THAT([&] { run(threeLeaves([] {}), linked, out); },
                ::testing::ThrowsMessage<std::runtime_error>(
                    HasSubstr("it is a FIFO that no process reads")));
    std::filesystem::remove_all(folder);
}

TEST(CommandLine, ReadsIsolateAndTimeoutAndRefusesAnEmptyJUnitPath) {
    const auto parse = [](std::vector<const char*> argv) {
        argv.insert(argv.begin(), "probe");
        return parseCommandLine(static_cast<int>(argv.size()), argv.data()).options;
    };
    EXPECT_FALSE(parse({}).isolate);
    EXPECT_EQ(parse({}).timeout, std::chrono::seconds(600));
    const RunOptions isolated = parse({"--isolate", "--timeout", "5"});
    EXPECT_TRUE(isolated.isolate);
    EXPECT_EQ(isolated.timeout, std::chrono::seconds(5));
    EXPECT_EQ(parse({"--timeout=1000000"}).timeout, std::chrono::seconds(1'000'000));
    for (const auto& bad : std::vector<std::vector<const char*>>{{"--timeout", "0"},
                                                                 {"--timeout", "1000001"},
                                                                 {"--junit", ""},
                                                                 {"--junit="},
                                                                 {"--isolate=yes"}}) {
        EXPECT_THROW(parse(bad), UsageError) << bad.front();
    }
}

// Whoever calls exit, the run must neither end with the status it asked for nor lose its report.
TEST_F(GuardedRun, ExitFromAnotherThreadOrQuickExitFailsTheRunAndClosesTheReport) {
    EXPECT_EXIT(run(threeLeaves([] {
                        std::thread([] { std::exit(0); }).detach();
                        std::this_thread::sleep_for(std::chrono::seconds(10));
                    }),
                    options(), std::cerr),
                ::testing::ExitedWithCode(1),
                "the run stopped: exit was called from a thread that runs no leaf\n1 passed, 0 "
                "failed, 2 not run");
    EXPECT_THAT(readFile(report()), HasSubstr("not run: the run stopped: exit was called"));

    EXPECT_EXIT(
        run(threeLeaves([] { std::quick_exit(0); }), options(), std::cerr),
        ::testing::ExitedWithCode(1),
        "FAIL  G/middle\n  called quick_exit while it ran\n(.|\n)*1 passed, 1 failed, 1 not run");
    EXPECT_THAT(readFile(report()),
                HasSubstr("<failure message=\"called quick_exit while it ran\">"));
    EXPECT_THAT(files(), ::testing::ElementsAre("report.xml"));
}

TEST_F(GuardedRun, ABuilderThatCallsExitFailsTheRun) {
    EXPECT_EXIT(mainWith({"--junit", report()}, []() -> Tree { std::exit(0); }),
                ::testing::ExitedWithCode(1),
                "the run stopped before its tests ran: exit was called while the tests were being "
                "built");
    EXPECT_THAT(readFile(report()), HasSubstr("exit was called while the tests were being built"));
}

TEST_F(GuardedRun, ASignalWhileTheTestsAreBuiltIsReportedAsSuch) {
    EXPECT_EXIT(mainWith({"--junit", report()},
                         []() -> Tree {
                             ::kill(::getpid(), SIGHUP);
                             std::this_thread::sleep_for(std::chrono::seconds(10));
                             return {};
                         }),
                ::testing::ExitedWithCode(129),
                "interrupted by signal 1 \\(Hangup\\) while the tests");
    EXPECT_THAT(readFile(report()),
                HasSubstr("the run stopped before its tests ran: interrupted by "
                          "signal 1 (Hangup) while the tests were being built"));
}

// Without a child process to kill, the run cannot go on past a leaf that never returns: it
// stops there, the leaf failed and the rest not run.
TEST_F(GuardedRun, ALeafThatRunsTooLongInProcessStopsTheRunAsTimedOut) {
    static std::atomic<bool> released{false};
    EXPECT_EXIT(run(threeLeaves([] {
                        while (!released.load()) {
                        }
                    }),
                    options({"--timeout", "1"}), std::cerr),
                ::testing::ExitedWithCode(1),
                "the run stopped: the leaf G/middle ran longer than 1 s\n1 passed, 1 failed, 1 "
                "not run");
    const std::string xml = readFile(report());
    EXPECT_THAT(xml, HasSubstr("<failure message=\"timed out: the leaf ran longer than 1 s\">"));
    EXPECT_THAT(xml,
                HasSubstr("name=\"after\" time=\"0.000000\">\n      <skipped message=\"not run"));
}

TEST_F(GuardedRun, IsolatedLeavesThatCrashHangOrExitFailAloneAndTheRunGoesOn) {
    const Tree tree{TestGroup{"G",
                              {testCase("aborts", [] { std::abort(); }),
                               testCase("exits quietly", [] { ::_exit(0); }),
                               testCase("hangs", [] { ::pause(); }), testCase("passes", [] {})}}};
    std::ostringstream out;
    const RunSummary summary =
        run(tree, options({"--isolate", "--jobs", "2", "--timeout", "1"}), out);
    EXPECT_EQ(summary.passed, 1u);
    EXPECT_EQ(summary.failed, 3u);
    EXPECT_THAT(out.str(), HasSubstr("FAIL  G/aborts\n  crashed: the leaf's process was killed by "
                                     "signal 6 (Aborted)"));
    EXPECT_THAT(out.str(),
                HasSubstr("FAIL  G/exits quietly\n  the leaf's process exited with status "
                          "0 before reporting"));
    EXPECT_THAT(out.str(), HasSubstr("FAIL  G/hangs\n  timed out: the leaf ran longer than 1 s"));
    EXPECT_THAT(readFile(report()), HasSubstr("tests=\"4\" failures=\"3\""));
}

} // namespace
