#include <zorvan/testing/main.hpp>
#include <zorvan/testing/runner.hpp>

#include <Test/Crypto.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace zorvan::testing;
using Tree = std::vector<zorvan::testing::Test>;
using ::testing::HasSubstr;
using ::testing::Not;
using zorvan::Bytes;

// A tree with one leaf of every outcome, and two leaves that share a path.
Tree sampleTree() {
    return {
        TestGroup{
            "Group",
            {
                testCase("passes",
                         [] {
                             assertEqual("same", Bytes{1, 2}, Bytes{1, 2});
                         }),
                testCase("mismatch",
                         [] {
                             assertEqual("vector 4", Bytes{1, 2, 3}, Bytes{1, 9});
                         }),
                testCase("throws", [] { throw std::runtime_error("the library said no"); }),
                testCase("skips", [] { throw TestSkipped("no 192-bit keys here"); }),
                testProperty("shortBytes", [](const Bytes& b) { return b.size() < 4000; }),
                testProperty("neverChecked", [](const Bytes&) { return implies(false, true); }),
            }},
        testCase("twin", [] {}),
        testCase("twin", [] { throw std::runtime_error("second twin"); }),
    };
}

struct RunResult {
    RunSummary summary;
    std::string output;
};

RunResult runWith(const Tree& tests, RunOptions options) {
    std::ostringstream out;
    const RunSummary summary = run(tests, options, out);
    return {summary, out.str()};
}

RunOptions seeded(std::uint64_t seed, std::string filter = "*") {
    RunOptions options;
    options.check.seed = seed;
    options.filter = std::move(filter);
    options.rerunCommand = "./probe";
    return options;
}

TEST(Runner, ReportsEachOutcomeAndClosesWithTheCounts) {
    const RunResult result = runWith(sampleTree(), seeded(7));
    EXPECT_THAT(result.output, HasSubstr("seed: 7"));
    EXPECT_THAT(result.output,
                HasSubstr("FAIL  Group/mismatch\n  vector 4\n  expected: 010203\n"
                          "  actual:   0109\n  first difference at octet 1 (02 vs 09); "
                          "lengths 3 and 2"));
    EXPECT_THAT(result.output, HasSubstr("the library said no"));
    EXPECT_THAT(result.output, HasSubstr("SKIP  Group/skips\n  no 192-bit keys here"));
    EXPECT_THAT(result.output,
                HasSubstr("FAIL  Group/neverChecked\n  gave up after 0 passed cases"));
    EXPECT_THAT(result.output, Not(HasSubstr("Group/passes")));
    EXPECT_EQ(result.summary.passed, 2u);
    EXPECT_EQ(result.summary.failed, 5u);
    EXPECT_EQ(result.summary.skipped, 1u);
    EXPECT_THAT(result.output, testing::EndsWith("\n2 passed, 5 failed, 1 skipped\n"));
}

TEST(Runner, FalsifiedPropertyShowsItsArgumentsAndTheSeedReplaysThem) {
    const RunResult first = runWith(sampleTree(), seeded(12345, "Group/shortBytes"));
    ASSERT_EQ(first.summary.failed, 1u);
    EXPECT_THAT(first.output, HasSubstr("falsified after"));
    EXPECT_THAT(first.output, HasSubstr("argument 1: "));
    EXPECT_THAT(first.output, HasSubstr("rerun: ./probe --filter 'Group/shortBytes' --seed 12345"));

    // The same seed meets the same case, also when the leaf runs within the whole tree.
    const RunResult again = runWith(sampleTree(), seeded(12345));
    const auto report = [](const std::string& output) {
        const auto start = output.find("FAIL  Group/shortBytes");
        return output.substr(start, output.find("rerun", start) - start);
    };
    EXPECT_EQ(report(first.output), report(again.output));
    EXPECT_NE(report(first.output), report(runWith(sampleTree(), seeded(54321)).output));
}

TEST(Runner, ListAndFilterSelectTheSameLeaves) {
    RunOptions options = seeded(1, "Group/s*");
    options.list = true;
    EXPECT_EQ(runWith(sampleTree(), options).output, "Group/skips\nGroup/shortBytes\n");
    options.list = false;
    const RunResult ran = runWith(sampleTree(), options);
    EXPECT_EQ(ran.summary.failed + ran.summary.skipped + ran.summary.passed, 2u);
}

TEST(Runner, ALeafThatSharesItsPathIsRerunByOccurrence) {
    const RunResult result = runWith(sampleTree(), seeded(3, "twin"));
    EXPECT_EQ(result.summary.passed, 1u);
    EXPECT_THAT(result.output, HasSubstr("rerun: ./probe --filter 'twin' --seed 3 --occurrence 2"));
    RunOptions second = seeded(3, "twin");
    second.occurrence = 2;
    EXPECT_EQ(runWith(sampleTree(), second).summary.failed, 1u);
}

TEST(Runner, ShardsSplitTheLeavesWithoutOverlap) {
    const Tree tree = sampleTree();
    const std::vector<Leaf> leaves = flatten(tree);
    std::size_t total = 0;
    for (std::size_t index = 0; index < 3; ++index) {
        RunOptions options;
        options.shardCount = 3;
        options.shardIndex = index;
        total += selectLeaves(leaves, options).size();
    }
    EXPECT_EQ(total, leaves.size());
}

TEST(Runner, ParallelJobsReportInTreeOrderWithTheSameOutcomes) {
    RunOptions parallel = seeded(99);
    parallel.jobs = 3;
    parallel.verbose = true;
    RunOptions serial = seeded(99);
    serial.verbose = true;
    EXPECT_EQ(runWith(sampleTree(), parallel).output, runWith(sampleTree(), serial).output);
}

// A listener that writes down what it is told, one line per event.
class RecordingListener : public RunListener {
public:
    std::vector<std::string> events;

    void runStarting(const RunStart& start) override {
        events.push_back("start " + std::to_string(start.leaves.size()) + " of " +
                         std::to_string(start.all.size()));
    }
    void leafEnded(std::size_t index, const Leaf& leaf, const LeafOutcome&,
                   const RunSummary& soFar) override {
        events.push_back(std::to_string(index) + " " + leaf.path + " " +
                         std::to_string(soFar.passed) + "/" + std::to_string(soFar.failed) + "/" +
                         std::to_string(soFar.skipped));
    }
    void runEnded(const RunEnd& end) override {
        events.push_back("end " + closingLine(end.summary));
    }
};

// Progress shown while a run goes (zorvan-check's status line) comes from these counts.
TEST(Runner, TellsListenersOfEachLeafInTreeOrderWithTheCountsSoFar) {
    RunOptions options = seeded(5, "Group/*");
    options.jobs = 2;
    RecordingListener listener;
    options.listeners = {&listener};
    runWith(sampleTree(), options);
    EXPECT_THAT(listener.events,
                testing::ElementsAre(
                    "start 6 of 8", "0 Group/passes 1/0/0", "1 Group/mismatch 1/1/0",
                    "2 Group/throws 1/2/0", "3 Group/skips 1/2/1", "4 Group/shortBytes 1/3/1",
                    "5 Group/neverChecked 1/4/1", "end 1 passed, 4 failed, 1 skipped"));
}

// Each leaf starts before it ends, once, from whichever thread runs it.
TEST(Runner, TellsListenersOfEachLeafStartingOnce) {
    struct Starts : RunListener {
        std::multiset<std::string> started;
        void leafStarting(const Leaf& leaf) override { started.insert(leaf.path); }
    } starts;
    RunOptions options = seeded(5, "Group/*");
    options.jobs = 3;
    options.listeners = {&starts};
    runWith(sampleTree(), options);
    EXPECT_THAT(starts.started, testing::UnorderedElementsAre(
                                    "Group/passes", "Group/mismatch", "Group/throws", "Group/skips",
                                    "Group/shortBytes", "Group/neverChecked"));
}

// What a listener writes when the run ends stands above the closing line.
TEST(Runner, ListenersCloseBeforeTheClosingLine) {
    struct Footer : RunListener {
        std::ostream* out = nullptr;
        void runEnded(const RunEnd&) override { *out << "footer\n"; }
    } footer;
    std::ostringstream out;
    footer.out = &out;
    RunOptions options = seeded(5, "twin");
    options.listeners = {&footer};
    run(sampleTree(), options, out);
    EXPECT_THAT(out.str(), testing::EndsWith("footer\n1 passed, 1 failed\n"));
}

// The parts a reporter renders travel with the outcome, not only as text.
TEST(Runner, AFailedCheckComesAsDataWithItsValuesRolesAndDifference) {
    const Tree tree = sampleTree();
    const std::vector<Leaf> leaves = flatten(tree);
    const LeafOutcome outcome = runLeaf(leaves[1], {});
    ASSERT_TRUE(outcome.check.has_value());
    EXPECT_EQ(outcome.message, "vector 4");
    EXPECT_EQ(outcome.check->first, (PrintedValue{"expected", "010203"}));
    EXPECT_EQ(outcome.check->second, (PrintedValue{"actual", "0109"}));
    ASSERT_TRUE(outcome.check->difference.has_value());
    EXPECT_EQ(outcome.check->difference->position, 1u);
    EXPECT_EQ(outcome.check->difference->firstOctet, 2);
    EXPECT_EQ(outcome.check->difference->secondOctet, 9);
    EXPECT_THAT(outcome.check->location.file, testing::EndsWith("runner_test.cpp"));
    EXPECT_FALSE(outcome.falsified.has_value());

    const LeafOutcome error = runLeaf(leaves[2], {});
    EXPECT_EQ(error.message, "error: the library said no");
    EXPECT_FALSE(error.check.has_value());
}

TEST(Runner, AFalsifiedCaseComesWithItsSeedNumberAndNamedArguments) {
    const Tree tree{testProperty("named", {"key", "octet"},
                                 [](const Bytes& key, std::uint8_t octet) {
                                     return key.size() + octet > 100000;
                                 }),
                    testProperty("unnamed", [](std::uint16_t) { return false; })};
    const std::vector<Leaf> leaves = flatten(tree);
    const LeafOutcome named = runLeaf(leaves[0], {.seed = 77});
    ASSERT_TRUE(named.falsified.has_value());
    EXPECT_EQ(named.falsified->seed, 77u);
    EXPECT_EQ(named.falsified->number, 1u);
    ASSERT_EQ(named.falsified->arguments.size(), 2u);
    EXPECT_EQ(named.falsified->arguments[0].name, "key");
    EXPECT_EQ(named.falsified->arguments[1].name, "octet");
    EXPECT_THAT(named.report(), HasSubstr("\n  key: "));
    const LeafOutcome unnamed = runLeaf(leaves[1], {.seed = 77});
    EXPECT_THAT(unnamed.report(),
                testing::MatchesRegex("falsified after 0 passed cases\n"
                                      "  smallest case found, shrunk in 1 step:\n"
                                      "  argument 1: 0\n"
                                      "  the case as drawn:\n    argument 1: [0-9]+"));
    EXPECT_THROW(testProperty("miscounted", {"a", "b"}, [](const Bytes&) { return true; }),
                 std::invalid_argument);
}

// A run that checks nothing must not pass for a green one.
TEST(Runner, AFilterThatSelectsNothingSaysSoAndIsNoSuccess) {
    const RunResult none = runWith(sampleTree(), seeded(1, "Gruop/*"));
    EXPECT_TRUE(none.summary.nothingSelected);
    EXPECT_EQ(none.output, "seed: 1\nno leaf matches --filter 'Gruop/*'\n0 passed, 0 failed\n");

    RunOptions list = seeded(1, "nothing");
    list.list = true;
    const RunResult listed = runWith(sampleTree(), list);
    EXPECT_EQ(listed.output, "no leaf matches --filter nothing\n");
    EXPECT_TRUE(listed.summary.nothingSelected);

    RunOptions third = seeded(1, "twin");
    third.occurrence = 3;
    EXPECT_THAT(runWith(sampleTree(), third).output,
                HasSubstr("no leaf is selected: --filter twin matches 2 leaves, fewer than "
                          "--occurrence 3\n"));

    // More shards than leaves leave some shards empty: that is no fault of the selection.
    RunOptions shard = seeded(1, "twin");
    shard.shardCount = 3;
    shard.shardIndex = 2;
    const RunResult empty = runWith(sampleTree(), shard);
    EXPECT_FALSE(empty.summary.nothingSelected);
    EXPECT_THAT(empty.output, HasSubstr("no leaf in this shard: shard 2 of 3 gets none of the 2 "
                                        "leaves that match --filter twin\n"));
}

TEST(Runner, WritesAJUnitReport) {
    const std::string path = ::testing::TempDir() + "zorvan-runner-junit.xml";
    RunOptions options = seeded(5, "Group/*");
    options.junitPath = path;
    runWith(sampleTree(), options);
    std::ifstream file(path);
    const std::string xml((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_THAT(xml, HasSubstr("<testcase classname=\"Group\" name=\"mismatch\""));
    EXPECT_THAT(xml, HasSubstr("<failure message=\"vector 4\">"));
    EXPECT_THAT(xml, HasSubstr("<skipped message=\"no 192-bit keys here\">"));
    std::remove(path.c_str());

    options.junitPath = "/nonexistent-folder/report.xml";
    EXPECT_THROW(runWith(sampleTree(), options), std::runtime_error);
}

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Runner, AJUnitPathThatCannotBeWrittenIsFoundBeforeAnyLeafRuns) {
    bool ran = false;
    const Tree tree{testCase("runs", [&ran] { ran = true; })};
    RunOptions options = seeded(1);
    options.junitPath = "/nonexistent-folder/report.xml";
    EXPECT_THAT([&] { runWith(tree, options); },
                ::testing::ThrowsMessage<std::runtime_error>(
                    HasSubstr("cannot write the JUnit report to /nonexistent-folder/report.xml: "
                              "cannot create /nonexistent-folder/report.xml.partial-")));
    options.junitPath = ::testing::TempDir();
    EXPECT_THAT([&] { runWith(tree, options); },
                ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("it is a directory")));
    EXPECT_FALSE(ran);
}

// Bytes from the code under test reach neither the terminal nor the XML raw: an escape
// sequence could rewrite the terminal, and a stray byte makes the XML unreadable.
TEST(Runner, ControlCharactersAndBytesThatAreNotUtf8AreEscapedVisibly) {
    const std::string path = ::testing::TempDir() + "zorvan-runner-bytes.xml";
    const Tree tree{TestGroup{"G\x1b[2J", {testCase("caf\xc3\xa9 \xff", [] {
                                  throw std::runtime_error("red \x1b[31m\x07 \xc0\xaf end");
                              })}}};
    RunOptions options = seeded(1);
    options.junitPath = path;
    const RunResult result = runWith(tree, options);
    EXPECT_THAT(result.output, HasSubstr("FAIL  G\\x1b[2J/caf\xc3\xa9 \\xff\n"));
    EXPECT_THAT(result.output, HasSubstr("red \\x1b[31m\\x07 \\xc0\\xaf end"));
    EXPECT_EQ(result.output.find('\x1b'), std::string::npos);
    const std::string xml = readFile(path);
    EXPECT_THAT(xml, HasSubstr("classname=\"G\\x1b[2J\" name=\"caf\xc3\xa9 \\xff\""));
    EXPECT_THAT(xml, HasSubstr("red \\x1b[31m\\x07 \\xc0\\xaf end\n  seed 1; rerun: "));
    EXPECT_EQ(xml.find('\x1b'), std::string::npos);
    std::remove(path.c_str());
}

// exit(0) from the code under test would end the run green: no closing line, no JUnit file.
TEST(RunnerDeathTest, AnExitInALeafFailsTheRunNamingTheLeafAndKeepsTheJUnitReport) {
    const std::string path = ::testing::TempDir() + "zorvan-runner-exit.xml";
    const Tree tree{TestGroup{"G",
                              {testCase("before", [] {}), testCase("exits", [] { std::exit(0); }),
                               testCase("after", [] {})}}};
    RunOptions options = seeded(1);
    options.junitPath = path;
    EXPECT_EXIT(run(tree, options, std::cerr), ::testing::ExitedWithCode(1),
                "FAIL  G/exits\n  called exit while it ran\n.*\nthe run stopped: the leaf G/exits "
                "called exit\n1 passed, 1 failed, 1 not run\n");
    const std::string xml = readFile(path);
    EXPECT_THAT(xml, HasSubstr("name=\"before\" time="));
    EXPECT_THAT(xml, HasSubstr("<failure message=\"called exit while it ran\">"));
    EXPECT_THAT(xml,
                HasSubstr("name=\"after\" time=\"0.000000\">\n      <skipped message=\"not run: "
                          "the run stopped: the leaf G/exits called exit\">"));
    std::remove(path.c_str());

    const std::array argv{"probe"};
    EXPECT_EXIT(zorvan::testing::main(1, argv.data(), tree), ::testing::ExitedWithCode(1), "");
}

// A signal that arrives as the report is being closed must neither cut the JUnit file short
// nor leave its temporary file behind.
TEST(RunnerDeathTest, ASignalWhileTheReportClosesLeavesACompleteJUnitFileAndNoTemporaryOne) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / "zorvan-runner-late-signal";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    struct Terminator : RunListener {
        void runEnded(const RunEnd&) override { ::kill(::getpid(), SIGTERM); }
    } terminator;
    const Tree tree{testCase("passes", [] {})};
    RunOptions options = seeded(1);
    options.junitPath = (folder / "report.xml").string();
    options.listeners = {&terminator};
    EXPECT_EXIT(run(tree, options, std::cerr), ::testing::ExitedWithCode(143),
                "1 passed, 0 failed");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        files.push_back(entry.path().filename().string());
    }
    EXPECT_THAT(files, testing::ElementsAre("report.xml"));
    EXPECT_THAT(readFile((folder / "report.xml").string()), testing::EndsWith("</testsuites>\n"));
    std::filesystem::remove_all(folder);
}

// What CI systems read: plain decimal times, the seed, the whole failure as the console
// shows it, and octets drawn for a property as numbers.
TEST(Runner, TheJUnitReportCarriesTheSeedTimesAndTheWholeFailure) {
    const std::string path = ::testing::TempDir() + "zorvan-runner-junit-parts.xml";
    const Tree tree{TestGroup{
        "G",
        {testCase("mismatch",
                  [] {
                      assertEqual("vector 4", Bytes{1, 2, 3}, Bytes{1, 9});
                  }),
         testProperty("octet", {"octet"}, [](std::uint8_t octet) { return octet % 2 == 2; })}}};
    RunOptions options = seeded(31);
    options.junitPath = path;
    const RunResult result = runWith(tree, options);
    const std::string xml = readFile(path);
    EXPECT_THAT(xml, HasSubstr("<property name=\"seed\" value=\"31\"/>"));
    EXPECT_THAT(xml, testing::ContainsRegex("name=\"mismatch\" time=\"[0-9]+\\.[0-9]{6}\""));
    EXPECT_THAT(xml, HasSubstr("lengths 3 and 2\n  at "));
    EXPECT_THAT(xml,
                HasSubstr("seed 31; rerun: ./probe --filter 'G/mismatch' --seed 31</failure>"));
    EXPECT_THAT(xml, testing::ContainsRegex("\n  octet: [0-9]+\n"));
    EXPECT_THAT(result.output, testing::ContainsRegex("\n  octet: [0-9]+\n"));
    std::remove(path.c_str());
}

TEST(Glob, MatchesStarsAndQuestionMarksAndEscapes) {
    EXPECT_TRUE(globMatch("*", "a/b/c"));
    EXPECT_TRUE(globMatch("Block*/CBC*", "Block Cipher tests (lazy/string)/CBCStrictLazyEq"));
    EXPECT_TRUE(globMatch("md5KAT?", "md5KAT7"));
    EXPECT_FALSE(globMatch("md5KAT?", "md5KAT"));
    EXPECT_FALSE(globMatch("a*c", "abcd"));
    EXPECT_TRUE(globMatch(escapeGlob("NistHMACSHA1-\"*\""), "NistHMACSHA1-\"*\""));
    EXPECT_FALSE(globMatch(escapeGlob("a*"), "ab"));
}

TEST(Glob, LiteralPrefixStopsAtTheFirstWildcardAndUnescapes) {
    EXPECT_EQ(globLiteralPrefix("nettle/SHA*/x"), "nettle/SHA");
    EXPECT_EQ(globLiteralPrefix("open?sl"), "open");
    EXPECT_EQ(globLiteralPrefix("a\\*b\\?c*"), "a*b?c");
    EXPECT_EQ(globLiteralPrefix("*"), "");
    EXPECT_EQ(globLiteralPrefix(escapeGlob("HMAC-\"*\"")), "HMAC-\"*\"");
}

TEST(Main, ExitsZeroOnlyWhenNothingFailedAndTwoOnABadCommandLine) {
    const Tree passing{testCase("fine", [] {})};
    const auto exitCode = [](const Tree& tests, std::vector<const char*> argv) {
        argv.insert(argv.begin(), "probe");
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int code = zorvan::testing::main(static_cast<int>(argv.size()), argv.data(), tests);
        ::testing::internal::GetCapturedStdout();
        const std::string errors = ::testing::internal::GetCapturedStderr();
        return std::pair{code, errors};
    };
    EXPECT_EQ(exitCode(passing, {}).first, 0);
    EXPECT_EQ(exitCode(sampleTree(), {"--filter=Group/*"}).first, 1);
    EXPECT_EQ(exitCode(passing, {"--filter=nothing"}).first, 1);
    EXPECT_EQ(exitCode(passing, {"--list", "--filter=nothing"}).first, 1);
    EXPECT_EQ(exitCode(passing, {"--list"}).first, 0);
    EXPECT_EQ(exitCode(passing, {"--help"}).first, 0);
    for (const auto& bad : std::vector<std::vector<const char*>>{
             {"--bogus"}, {"--seed", "x"}, {"--cases", "0"}, {"--seed"}, {"--list=yes"}}) {
        const auto [code, errors] = exitCode(passing, bad);
        EXPECT_EQ(code, 2) << bad.front();
        EXPECT_THAT(errors, HasSubstr("usage:"));
    }
}

TEST(Main, AnOptionWhereAValueShouldBeIsRefusedNamingTheOptionThatLacksIt) {
    const auto refusal = [](std::vector<const char*> argv) {
        argv.insert(argv.begin(), "probe");
        try {
            parseCommandLine(static_cast<int>(argv.size()), argv.data());
        } catch (const UsageError& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_THAT(refusal({"--filter", "--seed", "1"}),
                HasSubstr("--filter needs a value, but is followed by the option '--seed'"));
    EXPECT_THAT(refusal({"--junit", "-h"}), HasSubstr("--junit needs a value"));
    EXPECT_EQ(refusal({"--filter=--odd", "--seed", "1"}), "accepted");
    EXPECT_EQ(refusal({"--verbose=1"}), "--verbose takes no value");
    EXPECT_EQ(refusal({"--jobs", "256"}), "accepted");
    EXPECT_EQ(refusal({"--jobs", "257"}),
              "--jobs 257 is more than 256, the most this runner allows");
}

// Without --jobs a run uses every core; --jobs 1 keeps the serial run on the caller's thread.
TEST(Main, JobsDefaultToTheNumberOfCores) {
    const auto jobs = [](std::vector<const char*> argv) {
        argv.insert(argv.begin(), "probe");
        return parseCommandLine(static_cast<int>(argv.size()), argv.data()).options.jobs;
    };
    const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
    EXPECT_EQ(defaultJobs(), std::min(cores, maximumJobs));
    EXPECT_EQ(jobs({}), defaultJobs());
    EXPECT_EQ(jobs({"--jobs", "1"}), 1U);
    EXPECT_EQ(jobs({"--jobs=3"}), 3U);
    EXPECT_THAT(usage("probe"), HasSubstr("number of cores (" + std::to_string(defaultJobs())));
}

// More jobs than leaves, and the default's jobs, give the serial report and totals.
TEST(Main, ManyJobsGiveTheSerialReportAndTotals) {
    const auto report = [](const char* jobs) {
        std::array argv{"probe", "--seed", "99", "--verbose", "--jobs", jobs};
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        std::ostringstream out;
        const RunSummary summary = run(sampleTree(), line.options, out);
        return std::pair(out.str(), closingLine(summary));
    };
    const auto serial = report("1");
    EXPECT_EQ(report("64"), serial);
    EXPECT_EQ(report(std::to_string(defaultJobs()).c_str()), serial);
    EXPECT_EQ(serial.second, "2 passed, 5 failed, 1 skipped");
}

TEST(Main, TheRerunLineQuotesWhatTheShellWouldSplit) {
    EXPECT_EQ(shellWord("./build/probe-1"), "./build/probe-1");
    EXPECT_EQ(shellWord("/tmp/my data"), "'/tmp/my data'");
    EXPECT_EQ(shellWord("it's"), "'it'\\''s'");
    EXPECT_EQ(shellWord(""), "''");
    const CommandLine line = parseCommandLine(1, std::array{"./my tests"}.data());
    EXPECT_EQ(line.options.rerunCommand, "'./my tests'");
}

// A builder given as a callable runs only for a run: --help needs no data, and its error is
// one message with status 1 instead of a terminate before main.
TEST(Main, ABuilderRunsOnlyForARunAndItsErrorIsOneMessage) {
    int builds = 0;
    const auto failing = [&builds]() -> Tree {
        ++builds;
        throw std::runtime_error("cannot list the KAT directory 'x'");
    };
    const auto call = [](const auto& builder, std::vector<const char*> argv) {
        argv.insert(argv.begin(), "probe");
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        const int code = zorvan::testing::main(static_cast<int>(argv.size()), argv.data(), builder);
        const std::string output = ::testing::internal::GetCapturedStdout();
        return std::tuple{code, output, ::testing::internal::GetCapturedStderr()};
    };
    const auto [helpCode, help, helpErrors] = call(failing, {"--help"});
    EXPECT_EQ(helpCode, 0);
    EXPECT_THAT(help, HasSubstr("usage: probe"));
    EXPECT_EQ(std::get<0>(call(failing, {"--bogus"})), 2);
    EXPECT_EQ(builds, 0);
    const auto [code, output, errors] = call(failing, {});
    EXPECT_EQ(code, 1);
    EXPECT_EQ(errors, "probe: cannot build the tests: cannot list the KAT directory 'x'\n");
    EXPECT_EQ(std::get<0>(call([] { return testCase("one", [] {}); }, {})), 0);
}

TEST(Main, SeedOptionIsPrintedAndReadInBothForms) {
    const CommandLine spaced = parseCommandLine(3, std::array{"p", "--seed", "42"}.data());
    const CommandLine attached = parseCommandLine(2, std::array{"p", "--seed=42"}.data());
    EXPECT_EQ(spaced.options.check.seed, 42u);
    EXPECT_EQ(attached.options.check.seed, 42u);
    EXPECT_TRUE(attached.seedGiven);
}

TEST(ArbitraryBytes, LengthsAndChunkCountsStayInRangeAndRepeatForTheSameState) {
    std::size_t emptyLazies = 0;
    for (std::uint64_t seed = 0; seed < 400; ++seed) {
        Gen gen(seed, seed % 100);
        const Bytes bytes = Arbitrary<Bytes>::arbitrary(gen);
        EXPECT_GE(bytes.size(), 1u);
        EXPECT_LE(bytes.size(), 4097u);
        Gen lazyGen(seed, 0);
        const zorvan::LazyBytes lazy = Arbitrary<zorvan::LazyBytes>::arbitrary(lazyGen);
        EXPECT_LE(lazy.toChunks().size(), 10u);
        emptyLazies += lazy.empty() ? 1u : 0u;
        Gen sameState(seed, 0);
        EXPECT_EQ(Arbitrary<zorvan::LazyBytes>::arbitrary(sameState).toChunks(), lazy.toChunks());
    }
    EXPECT_GT(emptyLazies, 0u);
    EXPECT_TRUE(Arbitrary<Bytes>::shrink(Bytes{0}).empty()); // the smallest value drawn
}

} // namespace
