// zorvan-check run as a user runs it: its exit status and what it prints.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct Result {
    int status;
    std::string output;
};

Result zorvanCheck(const std::string& arguments, const std::string& environment = "") {
    const std::string command = environment + " " ZORVAN_CHECK_EXECUTABLE " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe)) {
        output.append(buffer.data(), got);
    }
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// The report without the timing column of the closing table.
std::string withoutTable(const std::string& output) {
    return output.substr(0, output.find("\nbackend "));
}

TEST(ZorvanCheck, RunsEveryBuiltBackendAndClosesWithTheTableAndCounts) {
    const Result result = zorvanCheck("--suite MD5 --seed 9");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_THAT(result.output, HasSubstr("seed: 9"));
    for (const char* backend : {"openssl", "gcrypt", "nettle"}) {
        EXPECT_THAT(result.output, ::testing::ContainsRegex(std::string(backend) + " +MD5 +12 +0 +0"));
    }
    EXPECT_THAT(result.output, ::testing::EndsWith("36 passed, 0 failed\n"));
}

TEST(ZorvanCheck, ParallelJobsGiveTheSameReportInTheSameOrder) {
    const std::string arguments = "--suite MD5 --seed 4 --verbose --cases 20";
    const Result serial = zorvanCheck(arguments + " --jobs 1");
    const Result parallel = zorvanCheck(arguments + " --jobs 2");
    EXPECT_EQ(withoutTable(serial.output), withoutTable(parallel.output));
    EXPECT_THAT(serial.output, HasSubstr("ok    nettle/MD5/MD5 KATs/md5KAT"));
}

TEST(ZorvanCheck, AnIsolatedCrashFailsOnlyItsLeafAndNamesTheSignal) {
    const std::string leaf = "gcrypt/MD5/Cryptographic Digest Property Tests/DigestLen";
    const Result result = zorvanCheck("--suite MD5 --isolate --jobs 2",
                                      "ZORVAN_CHECK_ABORT_IN='" + leaf + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.output, HasSubstr("FAIL  " + leaf + "\n  crashed: the leaf's process was "
                                         "killed by signal 6 (Aborted)"));
    EXPECT_THAT(result.output, ::testing::EndsWith("35 passed, 1 failed\n"));
}

TEST(ZorvanCheck, ListAndFilterSelectAcrossBackends) {
    const Result result = zorvanCheck("--list --filter '*/MD5/*LazyStrictEqual'");
    EXPECT_EQ(result.output, "openssl/MD5/Cryptographic Digest Property Tests/LazyStrictEqual\n"
                             "gcrypt/MD5/Cryptographic Digest Property Tests/LazyStrictEqual\n"
                             "nettle/MD5/Cryptographic Digest Property Tests/LazyStrictEqual\n");
}

// The long messages are listed only on request, one at the end of each sweep suite.
TEST(ZorvanCheck, LongAddsTheLongMessageToTheSweepSuites) {
    const std::string arguments = "--list --backend nettle --suite Sweep-MD5,Sweep-SHA512";
    const auto lines = [](const std::string& text) {
        return std::count(text.begin(), text.end(), '\n');
    };
    const Result sweeps = zorvanCheck(arguments);
    const Result withLong = zorvanCheck("--long " + arguments);
    EXPECT_EQ(lines(sweeps.output), 131 + 259);
    EXPECT_EQ(lines(withLong.output), 131 + 259 + 2);
    EXPECT_THAT(sweeps.output, Not(HasSubstr("/Long")));
    EXPECT_THAT(withLong.output, HasSubstr("nettle/Sweep-MD5/LongMD5-4294967352bits\n"
                                           "nettle/Sweep-SHA512/SweepSHA512-0bits\n"));
}

TEST(ZorvanCheck, UsageErrorsExitWithTwoAndSayWhatIsWrong) {
    EXPECT_THAT(zorvanCheck("--backend botan"),
                ::testing::Field(&Result::output, HasSubstr("unknown backend 'botan'")));
    EXPECT_EQ(zorvanCheck("--backend botan").status, 2);
    EXPECT_EQ(zorvanCheck("--timeout 0 --isolate").status, 2);
    EXPECT_EQ(zorvanCheck("--suite NoSuchSuite").status, 2);
    EXPECT_EQ(zorvanCheck("--jobs").status, 2);
    const Result help = zorvanCheck("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.output, HasSubstr("--isolate"));
    EXPECT_THAT(help.output, HasSubstr("--data-dir DIR"));
}

} // namespace
