// The HTML report: the suites' matrix, the failures with their octets marked, the skips, and
// text from the run never taken for markup.

#include <zorvan/testing/assertion.hpp>
#include <zorvan/testing/html_report.hpp>
#include <zorvan/testing/runner.hpp>
#include <zorvan/testing/test.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace zorvan::testing;

HtmlRun runFailing(PrintedValue computed, PrintedValue known) {
    HtmlRun run;
    run.title = "check";
    LeafOutcome outcome;
    outcome.status = LeafStatus::failed;
    outcome.message = "digest";
    outcome.check =
        FailedCheck{"digest", std::move(computed), std::move(known), {}, {}, {"a.cpp", 7}};
    run.failures.push_back({"lib/SHA1/k-1", outcome});
    return run;
}

TEST(HtmlReport, MarksTheOctetsThatDifferInWholeHexValues) {
    const std::string page =
        renderHtml(runFailing({"computed", "00112233"}, {"known answer", "0011ff33aa"}));
    EXPECT_THAT(page, HasSubstr("<th>computed</th><td class=\"value\">0011<mark>22</mark>33</td>"));
    EXPECT_THAT(page, HasSubstr("<td class=\"value\">0011<mark>ff</mark>33<mark>aa</mark></td>"));
    // A pair's members are compared member by member.
    EXPECT_THAT(renderHtml(runFailing({"computed", "(00aa, 11)"}, {"known answer", "(00ab, 11)"})),
                HasSubstr("<td class=\"value\">(00<mark>aa</mark>, 11)</td>"));
    // An abbreviated value has no octets to line up: shown as it is.
    const std::string abbreviated = renderHtml(runFailing(
        {"computed", "00aa...bb (80 octets)"}, {"known answer", "00ab...bb (80 octets)"}));
    EXPECT_THAT(abbreviated, AllOf(HasSubstr("00aa...bb (80 octets)"), Not(HasSubstr("<mark>"))));
}

TEST(HtmlReport, EscapesEveryTextFromTheRun) {
    HtmlRun run = runFailing({"computed", "<b>"}, {"known answer", "a\"b&c"});
    run.title = "<title>";
    run.failures.front().path = "lib/<script>alert(1)</script>";
    run.failures.front().outcome.check->origin =
        VectorOrigin{"Test/KAT_X/<x>.rsp", 3, 1, {{"Msg", std::string("\x01\xff", 2)}}};
    run.suites.push_back({"lib<", "S&", {1, 0, 1, false}, 0, {{"no <i>192</i>-bit keys", 1}}});
    const std::string page = renderHtml(run);
    EXPECT_THAT(page, Not(HasSubstr("<script>")));
    EXPECT_THAT(page, Not(HasSubstr("<i>")));
    EXPECT_THAT(page, AllOf(HasSubstr("lib/&lt;script&gt;alert(1)&lt;/script&gt;"),
                            HasSubstr("&lt;b&gt;"), HasSubstr("a&quot;b&amp;c"),
                            HasSubstr("<title>&lt;title&gt;</title>"),
                            HasSubstr("Test/KAT_X/&lt;x&gt;.rsp:3 (record 1)"),
                            HasSubstr("Msg = \\x01\\xff"), HasSubstr("<th>lib&lt;</th>"),
                            HasSubstr("no &lt;i&gt;192&lt;/i&gt;-bit keys")));
}

class TemporaryPage {
public:
    TemporaryPage()
        : path_(std::filesystem::temp_directory_path() /
                ("zorvan-html-" +
                 std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".html")) {}
    ~TemporaryPage() { std::filesystem::remove(path_); }
    TemporaryPage(const TemporaryPage&) = delete;
    TemporaryPage& operator=(const TemporaryPage&) = delete;
    [[nodiscard]] std::string path() const { return path_.string(); }
    [[nodiscard]] std::string text() const {
        std::ifstream in(path_);
        std::ostringstream all;
        all << in.rdbuf();
        return all.str();
    }

private:
    std::filesystem::path path_;
};

// Two columns of suites run through the runner: a cell for each result, none for a suite a
// column lacks, and a failed cell that links to its failure.
TEST(HtmlReport, ColoursEachSuiteOfEachColumnByItsResult) {
    const std::vector<zorvan::testing::Test> tree{
        TestGroup{"one",
                  {TestGroup{"Hash", {testCase("ok", [] {})}},
                   TestGroup{"Cipher",
                             {testCase("ok", [] {}),
                              testCase("kat",
                                       [] {
                                           assertKnownAnswer(
                                               "ciphertext", zorvan::Bytes{1, 2, 3},
                                               zorvan::Bytes{1, 9, 3},
                                               VectorOrigin{"Test/KAT_X/x.rsp", 4, 2, {}});
                                       })}}}},
        TestGroup{"two",
                  {TestGroup{"Hash",
                             {testCase("ok", [] {}),
                              testCase("gap", [] { throw TestSkipped("no 192-bit keys"); })}}}},
    };
    const TemporaryPage page;
    HtmlReport html(page.path(), "zorvan-check");
    for (const auto& [column, row] :
         {std::pair("one", "Hash"), std::pair("one", "Cipher"), std::pair("two", "Hash")}) {
        html.addSuite(column, row);
    }
    RunOptions options;
    options.check.seed = 5;
    options.listeners = {&html};
    std::ostringstream out;
    EXPECT_EQ(run(tree, options, out).failed, 1U);
    const std::string text = page.text();
    EXPECT_THAT(text, AllOf(HasSubstr("<th>one</th><th>two</th>"),
                            HasSubstr("<td class=\"cell passed\" title=\"1 passed, "),
                            HasSubstr("<td class=\"cell mixed\""),
                            HasSubstr("<tr><th>Cipher</th><td class=\"cell failed\""),
                            HasSubstr("<a href=\"#failure-1\">1 failed, 1 passed</a></td>"
                                      "<td class=\"cell absent\"></td></tr>"),
                            HasSubstr("<section class=\"failure\" id=\"failure-1\">\n"
                                      "<h3>one/Cipher/kat</h3>"),
                            HasSubstr("01<mark>02</mark>03"), HasSubstr("01<mark>09</mark>03"),
                            HasSubstr("Test/KAT_X/x.rsp:4 (record 2)"),
                            HasSubstr("<tr><td>Hash</td><td>two</td><td>1</td><td>no 192-bit "
                                      "keys</td></tr>"),
                            HasSubstr("3 passed, 1 failed, 1 skipped; seed 5")));
}

TEST(HtmlReport, APlaceThatCannotTakeThePageIsRefusedBeforeTheRun) {
    EXPECT_THAT(
        [] { HtmlReport("/nonexistent-folder/page.html", "t"); },
        ::testing::ThrowsMessage<std::runtime_error>(HasSubstr("/nonexistent-folder/page.html")));
}

} // namespace
