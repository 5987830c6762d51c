// Registers the AES and MD5 suites and leaves that fail on purpose into GoogleTest, selects
// some of them by their exact names through --gtest_filter, and checks that exactly those ran,
// that a known answer's failure is reported at its vector's line in the data file, and that
// only a property's failure carries the seed. This program's exit status says whether all held.

#include "claim.hpp"

#include <zorvan/testing/gtest.hpp>

#include <Test/AES.hpp>
#include <Test/MD5.hpp>

#include <Paths_zorvan_tests.hpp>
#include <zorvan/backends/openssl.hpp>

#include <cstdlib>
#include <iostream>
#include <map>

namespace {

using namespace zorvan::testing;

constexpr const char* vectorFile = "Test/KAT_AES/ECBGFSbox128-e.rsp";
constexpr std::size_t vectorLine = 10; // COUNT = 0

std::vector<zorvan::testing::Test> suitesAndFailures() {
    std::vector<zorvan::testing::Test> tests = ::Test::AES::makeAESTests<zorvan::openssl::AES128>();
    for (zorvan::testing::Test& test : ::Test::MD5::makeMD5Tests<zorvan::openssl::MD5>()) {
        tests.push_back(std::move(test));
    }
    tests.push_back(TestGroup{
        "Failing",
        {testCase("wrong-vector",
                  [] {
                      assertKnownAnswer("wrong-vector", zorvan::Bytes{1}, zorvan::Bytes{2},
                                        VectorOrigin{vectorFile, vectorLine, 1, {}});
                  }),
         testProperty("falsified", [](const zorvan::Bytes& b) { return b.size() > 100; })}});
    return tests;
}

struct Ran {
    bool passed;
    std::string file;
    int line;
    std::string message;
};

} // namespace

int main(int argc, char** argv) {
    setenv("ZORVAN_SEED", "2024", 1);
    ::testing::InitGoogleTest(&argc, argv);
    GTEST_FLAG_SET(filter, "zorvan.ECBGFSbox128_e.rsp_0:MD5 KATs.md5KAT_3:Failing.*");
    registerGoogleTests(suitesAndFailures());
    [[maybe_unused]] const int gtestStatus = RUN_ALL_TESTS();

    std::map<std::string, Ran> ran;
    const ::testing::UnitTest& unit = *::testing::UnitTest::GetInstance();
    for (int s = 0; s < unit.total_test_suite_count(); ++s) {
        const ::testing::TestSuite& suite = *unit.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo& info = *suite.GetTestInfo(t);
            if (!info.should_run()) {
                continue;
            }
            const ::testing::TestResult& result = *info.result();
            Ran each{result.Passed(), "", 0, ""};
            if (result.total_part_count() > 0) {
                const ::testing::TestPartResult& part = result.GetTestPartResult(0);
                each = {result.Passed(), part.file_name() ? part.file_name() : "",
                        part.line_number(), part.message()};
            }
            ran[std::string(info.test_suite_name()) + "." + info.name()] = each;
        }
    }
    bool holds = claim(ran.size() == 4, "four tests ran");
    holds &= claim(ran["zorvan.ECBGFSbox128_e.rsp_0"].passed, "the AES leaf ran and passed");
    holds &= claim(ran["MD5 KATs.md5KAT_3"].passed, "the third MD5 leaf ran and passed");
    const Ran& wrong = ran["Failing.wrong_vector"];
    holds &= claim(!wrong.passed && wrong.file == Paths_zorvan_tests::getDataFileName(vectorFile) &&
                       wrong.line == static_cast<int>(vectorLine),
                   "the wrong vector is reported at its data file line");
    holds &= claim(wrong.message.find("known answer: 02") != std::string::npos &&
                       wrong.message.find("ZORVAN_SEED") == std::string::npos,
                   "the unit failure shows its values and no seed");
    holds &= claim(ran["Failing.falsified"].message.find("rerun with ZORVAN_SEED=2024") !=
                       std::string::npos,
                   "the property failure shows its seed");
    std::cout << (holds ? "1 passed, 0 failed" : "0 passed, 1 failed") << '\n';
    return holds ? 0 : 1;
}
