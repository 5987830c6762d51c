// The closing table: per suite, what passed, failed and was skipped, and why.

#include <zorvan/testing/main.hpp>
#include <zorvan/testing/suite_table.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace {

using namespace zorvan::testing;
using Tree = std::vector<zorvan::testing::Test>;
using ::testing::HasSubstr;

Tree twoSuites() {
    return {TestGroup{"Hashes",
                      {testCase("passes", [] {}), testCase("alsoPasses", [] {}),
                       testCase("skips", [] { throw TestSkipped("no SHA-1 here"); })}},
            TestGroup{"Ciphers", {testCase("fails", [] { throw std::runtime_error("broken"); })}},
            testCase("loose", [] {})};
}

RunOptions quiet() {
    RunOptions options;
    options.check.seed = 3;
    options.reportEachSkip = false;
    return options;
}

// A leaf counts in the row of its own suite only, also where one suite's name starts another's.
TEST(SuiteTable, CountsEachSuitesLeavesAndListsItsSkipsByReason) {
    const Tree tests{TestGroup{"AES", {testCase("fails", [] { throw std::runtime_error("x"); })}},
                     TestGroup{"AES128", {testCase("passes", [] {}), testCase("passes", [] {})}},
                     TestGroup{"AES", {testCase("skips", [] { throw TestSkipped("why"); })}}};
    std::ostringstream out;
    SuiteTable table(out, {"suite"});
    table.addRow({"AES"});
    table.addRow({"AES128"});
    RunOptions options = quiet();
    options.listeners = {&table};
    run(tests, options, out);
    const std::string text = out.str();
    EXPECT_THAT(text, HasSubstr("suite   passed  failed skipped  time (s)\n"
                                "AES          0       1       1"));
    EXPECT_THAT(text, HasSubstr("\nAES128       2       0       0"));
    EXPECT_THAT(text, HasSubstr("skipped: 1 of AES: why\n"));
}

TEST(SuiteTable, HasOneColumnPerPartOfTheSuitesPath) {
    std::ostringstream out;
    SuiteTable table(out, {"backend", "suite"});
    table.addRow({"openssl", "SHA256"});
    const Tree tests{TestGroup{"openssl", {TestGroup{"SHA256", {testCase("passes", [] {})}}}}};
    RunOptions options = quiet();
    options.listeners = {&table};
    table.setNotes([] { return std::string("a note\n"); });
    run(tests, options, out);
    EXPECT_THAT(out.str(), HasSubstr("backend  suite   passed  failed skipped  time (s)\n"
                                     "openssl  SHA256       1       0       0"));
    EXPECT_THAT(out.str(), HasSubstr("\na note\n1 passed, 0 failed\n"));
}

TEST(SuiteTable, TheSuitesOfATreeAreItsTopLevelGroups) {
    std::ostringstream out;
    EXPECT_FALSE(suiteTableOf(Tree{testCase("loose", [] {})}, out).has_value());
    std::optional<SuiteTable> table = suiteTableOf(twoSuites(), out);
    ASSERT_TRUE(table.has_value());
    table->print(out);
    EXPECT_THAT(out.str(), HasSubstr("\nHashes        0       0       0"));
    EXPECT_THAT(out.str(), HasSubstr("\nCiphers       0       0       0"));
    EXPECT_THAT(out.str(), ::testing::Not(HasSubstr("loose")));
}

// The bundled main ends as zorvan-check does: the table, then the closing line.
TEST(SuiteTable, TheBundledMainPrintsItAboveTheClosingLine) {
    const std::array argv{"probe", "--seed", "1"};
    ::testing::internal::CaptureStdout();
    const int status =
        zorvan::testing::main(static_cast<int>(argv.size()), argv.data(), twoSuites());
    const std::string output = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 1);
    EXPECT_THAT(output, HasSubstr("suite    passed  failed skipped  time (s)\n"
                                  "Hashes        2       0       1"));
    EXPECT_THAT(output, HasSubstr("\nCiphers       0       1       0"));
    EXPECT_THAT(output, HasSubstr("skipped: 1 of Hashes: no SHA-1 here\n"));
    EXPECT_THAT(output, ::testing::EndsWith("\n3 passed, 1 failed, 1 skipped\n"));
}

} // namespace
