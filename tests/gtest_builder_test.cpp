// Registers builders into GoogleTest, one that fails and one whose names and messages hold bytes
// that are not UTF-8, and checks that the program goes on to run them: the failing builder is
// one failed test "zorvan.build" that says why, and the bytes are shown as the bundled main shows
// them. This program's exit status says whether all held.

#include "claim.hpp"

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

// Writes down how each test ended, by its full name.
class Recorder : public ::testing::EmptyTestEventListener {
public:
    std::map<std::string, Ran> ran;

    void OnTestStart(const ::testing::TestInfo& info) override {
        current_ = &ran[std::string(info.test_suite_name()) + "." + info.name()];
    }
    void OnTestPartResult(const ::testing::TestPartResult& part) override {
        current_->message += part.message();
    }
    void OnTestEnd(const ::testing::TestInfo& info) override {
        current_->failed = info.result()->Failed();
    }

private:
    Ran* current_ = nullptr;
};

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
    auto* recorder = new Recorder; // the listeners own it
    ::testing::UnitTest::GetInstance()->listeners().Append(recorder);
    [[maybe_unused]] const int gtestStatus = RUN_ALL_TESTS();

    std::map<std::string, Ran>& ran = recorder->ran;
    bool holds = claim(ran.size() == 2, "two tests were registered");
    holds &= claim(ran["zorvan.build"].failed &&
                       ran["zorvan.build"].message.ends_with(
                           "\ncannot build the tests: cannot list the KAT directory "
                           "'Test/KAT_AES'"),
                   "the failing builder is one failed test that says why");
    const Ran& bytes = ran["G\\x1b[2J.caf\xc3\xa9 \\xff"];
    holds &= claim(bytes.failed, "the leaf with bytes in its name is named visibly and ran");
    holds &= claim(bytes.message.find("red \\x1b[31m \\xc0\\xaf end") != std::string::npos &&
                       bytes.message.find('\x1b') == std::string::npos,
                   "its message shows its bytes as \\xNN");
    std::cout << (holds ? "1 passed, 0 failed" : "0 passed, 1 failed") << '\n';
    return holds ? 0 : 1;
}
