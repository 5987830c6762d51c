// Registers builders into GoogleTest, one that fails and one whose names and messages hold bytes
// that are not UTF-8, and checks that the program goes on to run them: the failing builder is
// one failed test "zorvan.build" that says why, and the bytes are shown as the bundled main shows
// them. This program's exit status says whether all held.

#include <zorvan/testing/gtest.hpp>

#include <cstdlib>
#include <iostream>
#include <map>
#include <stdexcept>

namespace {

using namespace zorvan::testing;

struct Ran {
    bool failed = false;
    std::string message;
};

std::map<std::string, Ran> results() {
    std::map<std::string, Ran> ran;
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo& info = *suite.GetTestInfo(t);
            const ::testing::TestResult& result = *info.result();
            Ran each{result.Failed(), ""};
            for (int p = 0; p < result.total_part_count(); ++p) {
                each.message += result.GetTestPartResult(p).message();
            }
            ran[std::string(info.test_suite_name()) + "." + info.name()] = each;
        }
    }
    return ran;
}

bool check(bool holds, const std::string& what) {
    if (!holds) {
        std::cerr << "not so: " << what << '\n';
    }
    return holds;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    registerGoogleTests([]() -> std::vector<zorvan::testing::Test> {
        throw std::runtime_error("cannot list the KAT directory 'Test/KAT_AES'");
    });
    registerGoogleTests([] {
        return TestGroup{"G\x1b[2J", {testCase("caf\xc3\xa9 \xff", [] {
                             throw std::runtime_error("red \x1b[31m \xc0\xaf end");
                         })}};
    });
    [[maybe_unused]] const int gtestStatus = RUN_ALL_TESTS();

    std::map<std::string, Ran> ran = results();
    bool holds = check(ran.size() == 2, "two tests were registered");
    holds &= check(ran["zorvan.build"].failed &&
                       ran["zorvan.build"].message.ends_with(
                           "\ncannot build the tests: cannot list the KAT directory "
                           "'Test/KAT_AES'"),
                   "the failing builder is one failed test that says why");
    const Ran& bytes = ran["G\\x1b[2J.caf\xc3\xa9 \\xff"];
    holds &= check(bytes.failed, "the leaf with bytes in its name is named visibly and ran");
    holds &= check(bytes.message.find("red \\x1b[31m \\xc0\\xaf end") != std::string::npos &&
                       bytes.message.find('\x1b') == std::string::npos,
                   "its message shows its bytes as \\xNN");
    std::cout << (holds ? "1 passed, 0 failed" : "0 passed, 1 failed") << '\n';
    return holds ? 0 : 1;
}
