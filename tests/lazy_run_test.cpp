// A run over lazily built groups reports exactly as a run over the same tree built at once,
// while it holds one group at a time and builds none it does not need.

#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>

namespace {

using namespace zorvan::testing;
using Tree = std::vector<zorvan::testing::Test>;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Three groups at two depths, with passes, failures, a skip, a property and a shared path.
std::vector<LazyGroup> sampleGroups() {
    return {
        {"a/one",
         [] {
             return Tree{testCase("passes", [] {}),
                         testCase("fails", [] { throw std::runtime_error("one fails"); }),
                         testCase("twin", [] {}),
                         testCase("twin", [] { throw TestSkipped("no"); })};
         }},
        {"a/two",
         [] {
             return Tree{testProperty("small", {"n"}, [](std::uint16_t n) { return n < 30000; }),
                         testCase("passes", [] {})};
         }},
        {"b",
         [] {
             return Tree{TestGroup{"inner", {testCase("passes", [] {}), testCase("fails", [] {
                                                 throw std::runtime_error("b fails");
                                             })}}};
         }},
    };
}

// The same groups as one tree, built at once.
Tree wholeTree(const std::vector<LazyGroup>& groups) {
    Tree a{TestGroup{"one", groups[0].build()}, TestGroup{"two", groups[1].build()}};
    return {TestGroup{"a", std::move(a)}, TestGroup{"b", groups[2].build()}};
}

RunOptions seeded(std::string filter = "*") {
    RunOptions options;
    options.check.seed = 11;
    options.filter = std::move(filter);
    options.rerunCommand = "./probe";
    options.verbose = true;
    return options;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Report {
    RunSummary summary;
    std::string text;
    std::string junit;
};

// The text report and JUnit file of a run, with the times left out.
template <class Tests> Report reportOf(const Tests& tests, RunOptions options) {
    const std::string path = ::testing::TempDir() + "zorvan-lazy-run.xml";
    std::remove(path.c_str());
    options.junitPath = options.list ? std::nullopt : std::optional(path);
    std::ostringstream out;
    const RunSummary summary = run(tests, options, out);
    const std::regex times("time=\"[0-9.]+\"");
    return {summary, out.str(), std::regex_replace(readFile(path), times, "time=\"\"")};
}

// Filters, occurrences, shards and listings select across groups as they do in one tree:
// counting what matched in earlier groups, and naming a twin's occurrence in its group.
TEST(LazyRun, ReportsAsTheWholeTreeDoesForEverySelection) {
    std::vector<RunOptions> selections;
    for (const char* filter : {"*", "a/*", "*/passes", "a/one/twin", "b/inner/*", "nothing"}) {
        selections.push_back(seeded(filter));
    }
    for (std::size_t index = 0; index < 3; ++index) {
        RunOptions shard = seeded();
        shard.shardCount = 3;
        shard.shardIndex = index;
        selections.push_back(shard);
    }
    for (const std::size_t occurrence : {1U, 3U, 4U, 9U}) {
        RunOptions chosen = seeded("*");
        chosen.occurrence = occurrence;
        selections.push_back(chosen);
    }
    RunOptions listed = seeded("a/*");
    listed.list = true;
    selections.push_back(listed);
    RunOptions parallel = seeded();
    parallel.jobs = 3;
    selections.push_back(parallel);

    const std::vector<LazyGroup> groups = sampleGroups();
    const Tree tree = wholeTree(groups);
    for (const RunOptions& options : selections) {
        SCOPED_TRACE("filter " + options.filter + ", occurrence " +
                     std::to_string(options.occurrence.value_or(0)) + ", shard " +
                     std::to_string(options.shardIndex));
        const Report lazy = reportOf(groups, options);
        const Report whole = reportOf(tree, options);
        EXPECT_EQ(lazy.text, whole.text);
        EXPECT_EQ(lazy.junit, whole.junit);
        EXPECT_EQ(lazy.summary.passed, whole.summary.passed);
        EXPECT_EQ(lazy.summary.failed, whole.summary.failed);
        EXPECT_EQ(lazy.summary.nothingSelected, whole.summary.nothingSelected);
    }
}

// A run's memory is that of its largest group: each is built when reached and dropped
// before the next is built.
TEST(LazyRun, BuildsEachGroupWhenReachedAndDropsItBeforeTheNext) {
    std::vector<std::string> events;
    std::weak_ptr<int> firstGroupAlive;
    const std::vector<LazyGroup> groups{
        {"first",
         [&] {
             events.emplace_back("build first");
             auto held = std::make_shared<int>(1);
             firstGroupAlive = held;
             return Tree{testCase("leaf", [&events, held] { events.emplace_back("run first"); })};
         }},
        {"second", [&] {
             events.push_back(firstGroupAlive.expired() ? "build second alone"
                                                        : "build second beside first");
             return Tree{testCase("leaf", [&events] { events.emplace_back("run second"); })};
         }}};
    std::ostringstream out;
    const RunSummary summary = run(groups, seeded(), out);
    EXPECT_EQ(summary.passed, 2u);
    EXPECT_THAT(events,
                ElementsAre("build first", "run first", "build second alone", "run second"));
}

// A filter that cannot reach a group leaves it unbuilt, and once the occurrence is found no
// later group is built.
TEST(LazyRun, BuildsNoGroupTheSelectionCannotReach) {
    std::vector<std::string> built;
    const auto group = [&](std::string path) {
        return LazyGroup{path, [&built, path] {
                             built.push_back(path);
                             return Tree{testCase("leaf", [] {}), testCase("leaf", [] {})};
                         }};
    };
    const std::vector<LazyGroup> groups{group("x/a"), group("x/b"), group("y")};
    std::ostringstream out;
    run(groups, seeded("x/b/*"), out);
    EXPECT_THAT(built, ElementsAre("x/b"));

    built.clear();
    RunOptions third = seeded("*");
    third.occurrence = 3;
    EXPECT_EQ(run(groups, third, out).passed, 1u);
    EXPECT_THAT(built, ElementsAre("x/a", "x/b"));

    built.clear();
    RunOptions list = seeded("y*");
    list.list = true;
    std::ostringstream listing;
    run(groups, list, listing);
    EXPECT_EQ(listing.str(), "y/leaf\ny/leaf\n");
    EXPECT_THAT(built, ElementsAre("y"));
}

TEST(LazyRun, AGroupThatCannotBeBuiltIsOneFailedLeafAndTheRunGoesOn) {
    const std::vector<LazyGroup> groups{
        {"broken", []() -> Tree { throw std::runtime_error("the KAT folder is missing"); }},
        {"fine", [] { return Tree{testCase("passes", [] {})}; }}};
    std::ostringstream out;
    const RunSummary summary = run(groups, seeded(), out);
    EXPECT_EQ(summary.failed, 1u);
    EXPECT_EQ(summary.passed, 1u);
    EXPECT_THAT(out.str(), HasSubstr("FAIL  broken/building\n  error: cannot build the group: "
                                     "the KAT folder is missing"));
}

// Leaves of one path in two groups would get rerun lines that select the wrong one.
TEST(LazyRun, GroupsThatShareOrNestPathsAreRefused) {
    const auto empty = [] { return Tree{}; };
    std::ostringstream out;
    for (const auto& [first, second] : {std::pair("same", "same"), std::pair("a", "a/b")}) {
        const std::vector<LazyGroup> groups{{first, empty}, {second, empty}};
        EXPECT_THROW(run(groups, seeded(), out), std::invalid_argument) << first << ", " << second;
    }
    const std::vector<LazyGroup> siblings{{"a", empty}, {"ab", empty}, {"a-b", empty}};
    EXPECT_NO_THROW(run(siblings, seeded(), out));
}

TEST(LazyRun, GroupsWithoutLeavesSayTheTestsHaveNone) {
    const std::vector<LazyGroup> groups{{"empty", [] { return Tree{}; }}};
    std::ostringstream out;
    EXPECT_TRUE(run(groups, seeded(), out).nothingSelected);
    EXPECT_THAT(out.str(), HasSubstr("no leaf to run: the tests have none"));
}

// A run stopped by a signal reports what finished, the rest of its group as not run, and
// each group it had not built as one testcase not run.
TEST(LazyRunDeathTest, AStoppedRunNamesTheGroupsItDidNotReach) {
    const std::string path = ::testing::TempDir() + "zorvan-lazy-stopped.xml";
    std::remove(path.c_str());
    const std::vector<LazyGroup> groups{
        {"first",
         [] {
             return Tree{testCase("passes", [] {}),
                         testCase("stops",
                                  [] {
                                      ::kill(::getpid(), SIGTERM);
                                      // The session's thread ends the process from here.
                                      std::this_thread::sleep_for(std::chrono::seconds(30));
                                  }),
                         testCase("waits", [] {})};
         }},
        {"later/one", [] { return Tree{testCase("leaf", [] {})}; }},
        {"later/two", [] { return Tree{testCase("leaf", [] {})}; }}};
    RunOptions options = seeded();
    options.junitPath = path;
    EXPECT_EXIT(run(groups, options, std::cerr), ::testing::ExitedWithCode(143),
                "1 passed, 0 failed, 2 not run, 2 groups not reached");
    const std::string xml = readFile(path);
    EXPECT_THAT(xml, HasSubstr("classname=\"first\" name=\"passes\""));
    EXPECT_THAT(xml, HasSubstr("classname=\"first\" name=\"waits\" time=\"0.000000\">\n"
                               "      <skipped message=\"not run: "));
    EXPECT_THAT(xml, HasSubstr("classname=\"later\" name=\"one\" time=\"0.000000\">\n"
                               "      <skipped message=\"not run: "));
    EXPECT_THAT(xml, HasSubstr("classname=\"later\" name=\"two\""));
    std::remove(path.c_str());
}

} // namespace
