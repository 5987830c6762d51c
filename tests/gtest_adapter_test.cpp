// Registers a tree with every kind of outcome into GoogleTest, runs it, and checks that each
// gtest test ended as the bundled runner ends the same leaf. Some registered tests fail by
// design; this program's exit status says whether the outcomes agree.

#include <zorvan/testing/gtest.hpp>

#include <Test/Crypto.hpp>

#include <cstdlib>
#include <iostream>

namespace {

using namespace zorvan::testing;
using zorvan::Bytes;

std::vector<zorvan::testing::Test> treeWithEveryOutcome() {
    return {
        TestGroup{"Outer",
                  {TestGroup{"Inner",
                             {testCase("passes", [] {}),
                              testCase("fails", [] { assertEqual("m", Bytes{1}, Bytes{2}); })}},
                   testCase("throws", [] { throw std::runtime_error("boom"); }),
                   testCase("skips", [] { throw TestSkipped("not here"); }),
                   testProperty("holds", [](const Bytes& b) { return !b.empty(); }),
                   testProperty("falsified", [](const Bytes& b) { return b.size() < 100; })}},
        testCase("topLevel", [] {}),
    };
}

LeafStatus statusOf(const ::testing::TestResult& result) {
    if (result.Skipped()) {
        return LeafStatus::skipped;
    }
    return result.Failed() ? LeafStatus::failed : LeafStatus::passed;
}

} // namespace

int main(int argc, char** argv) {
    setenv("ZORVAN_SEED", "2024", 1);
    ::testing::InitGoogleTest(&argc, argv);
    const std::vector<zorvan::testing::Test> tree = treeWithEveryOutcome();
    registerGoogleTests(tree);
    [[maybe_unused]] const int gtestStatus = RUN_ALL_TESTS();

    const std::vector<Leaf> leaves = flatten(tree);
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    std::size_t compared = 0;
    bool agree = true;
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo& info = *suite.GetTestInfo(t);
            const Leaf& leaf = leaves.at(compared++);
            const std::string expectedSuite = leaf.groupPath.empty() ? "zorvan" : leaf.groupPath;
            const LeafStatus expected = runLeaf(leaf, CheckSettings{.seed = 2024}).status;
            if (info.test_suite_name() != expectedSuite || info.name() != leaf.name ||
                statusOf(*info.result()) != expected) {
                std::cerr << "disagree: " << info.test_suite_name() << "." << info.name() << '\n';
                agree = false;
            }
        }
    }
    const bool complete = compared == leaves.size();
    std::cout << (agree && complete ? "1 passed, 0 failed" : "0 passed, 1 failed") << '\n';
    return agree && complete ? 0 : 1;
}
