// zorvan-check run as a user runs it: its exit status and what it prints.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>

#include "temporary_data_directory.hpp"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using ::testing::HasSubstr;

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
        EXPECT_THAT(result.output,
                    ::testing::ContainsRegex(std::string(backend) + " +MD5 +12 +0 +0"));
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
    const Result result =
        zorvanCheck("--suite MD5 --isolate --jobs 2", "ZORVAN_CHECK_FAULT_IN='" + leaf + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.output, HasSubstr("FAIL  " + leaf +
                                         "\n  crashed: the leaf's process was "
                                         "killed by signal 6 (Aborted)"));
    EXPECT_THAT(result.output, ::testing::EndsWith("35 passed, 1 failed\n"));
}

TEST(ZorvanCheck, ListAndFilterSelectAcrossBackends) {
    const Result result = zorvanCheck("--list --filter '*/MD5/*LazyStrictEqual'");
    EXPECT_EQ(result.output, "openssl/MD5/Cryptographic Digest Property Tests/LazyStrictEqual\n"
                             "gcrypt/MD5/Cryptographic Digest Property Tests/LazyStrictEqual\n"
                             "nettle/MD5/Cryptographic Digest Property Tests/LazyStrictEqual\n");
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

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A data directory holding the source tree's README.md and KAT_SHA, for damaging.
class CopiedShaData {
public:
    CopiedShaData() {
        data_.makeFolder("Test");
        std::filesystem::copy(source_ / "README.md", data_.root() / "Test/README.md");
        std::filesystem::copy(source_ / "KAT_SHA", data_.root() / "Test/KAT_SHA");
    }
    [[nodiscard]] std::filesystem::path path(const std::string& relative) const {
        return data_.root() / relative;
    }
    [[nodiscard]] Result check(const std::string& arguments) const {
        return zorvanCheck("--backend openssl --suite SHA1 --seed 1 --cases 2 --data-dir " +
                           data_.root().string() + " " + arguments);
    }

private:
    std::filesystem::path source_ = std::string(std::getenv("zorvan_tests_datadir")) + "/Test";
    TemporaryDataDirectory data_; // points zorvan_tests_datadir elsewhere: made after source_
};

TEST(ZorvanCheck, IntactDataIsAccountedForAndPasses) {
    const CopiedShaData data;
    const Result result = data.check("");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_THAT(
        result.output,
        HasSubstr("known answers (openssl) SHA1: 129 of 129 records in 2 files became tests\n"));
}

TEST(ZorvanCheck, ATruncatedInstallFailsWithTheCountsThatDiffer) {
    const CopiedShaData data;
    const auto file = data.path("Test/KAT_SHA/SHA1ShortMsg.rsp");
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
    const Result result = data.check("--junit " + data.path("report.xml").string());
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr("FAIL  openssl/SHA1/known-answer data\n  error: Test/KAT_SHA holds "
                          "10 files and 876 records where "));
    EXPECT_THAT(result.output, HasSubstr("lists 10 files and 901 records: the installed data is "
                                         "incomplete or changed"));
    const std::string junit = readFile(data.path("report.xml"));
    EXPECT_THAT(junit,
                HasSubstr("<testcase classname=\"openssl/SHA1\" name=\"known-answer data\""));
    EXPECT_THAT(junit, HasSubstr("<failure message=\"error: Test/KAT_SHA holds 10 files and 876"));
}

TEST(ZorvanCheck, ASuiteWithNoKnownAnswerFromAnExistingFolderFails) {
    const CopiedShaData data;
    for (const char* name : {"SHA1ShortMsg.rsp", "SHA1LongMsg.rsp"}) {
        std::ofstream(data.path("Test/KAT_SHA") / name, std::ios::trunc) << "garbage\n";
    }
    const Result result = data.check("");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr("FAIL  openssl/SHA1/known-answer data\n  error: no "
                          "known-answer test came from 2 files and 0 records in "
                          "Test/KAT_SHA\n  Test/KAT_SHA holds 10 files and 772 records"));
    EXPECT_THAT(result.output, HasSubstr("SHA1: 0 of 0 records in 2 files became tests"));
}

} // namespace
