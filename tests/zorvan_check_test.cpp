// zorvan-check run as a user runs it: its exit status and what it prints.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "temporary_data_directory.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

struct Result {
    int status;
    std::string output;
};

Result zorvanCheck(const std::string& arguments, const std::string& environment = "") {
    const std::string command = environment + " " ZORVAN_CHECK_EXECUTABLE " 2>&1 " + arguments;
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
    const Result byDefault = zorvanCheck(arguments);
    EXPECT_EQ(withoutTable(serial.output), withoutTable(parallel.output));
    EXPECT_EQ(withoutTable(serial.output), withoutTable(byDefault.output));
    EXPECT_THAT(byDefault.output, ::testing::EndsWith("36 passed, 0 failed\n"));
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

TEST(ZorvanCheck, AnExceptionFromTheLeafRunnerInAChildFailsThatLeafOnly) {
    const std::string leaf = "nettle/MD5/MD5 KATs/md5KAT";
    const Result result =
        zorvanCheck("--suite MD5 --isolate --occurrence 1 --filter '" + leaf + "'",
                    "ZORVAN_CHECK_FAULT=throw ZORVAN_CHECK_FAULT_IN='" + leaf + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(
        result.output,
        HasSubstr("FAIL  " + leaf + "\n  the leaf runner failed: error: the leaf runner broke\n"));
    EXPECT_THAT(result.output, ::testing::EndsWith("0 passed, 1 failed\n"));
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
    // A misspelt pattern beside a good one is refused, not dropped in silence.
    const Result misspelt = zorvanCheck("--suite MD5,SHA-256 --list");
    EXPECT_EQ(misspelt.status, 2);
    EXPECT_THAT(misspelt.output, HasSubstr("no suite is named like 'SHA-256'"));
    EXPECT_EQ(zorvanCheck("--jobs").status, 2);
    const Result help = zorvanCheck("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.output, HasSubstr("--isolate"));
    EXPECT_THAT(help.output, HasSubstr("--data-dir DIR"));
}

// The page's place is checked before any vector is read; an empty name is a usage error.
TEST(ZorvanCheck, AnHtmlPageThatCannotBeWrittenStopsTheRunBeforeItStarts) {
    EXPECT_EQ(zorvanCheck("--html=").status, 2);
    const Result missing = zorvanCheck("--suite MD5 --html /nonexistent-folder/page.html");
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.output,
                AllOf(HasSubstr("/nonexistent-folder/page.html"), Not(HasSubstr("passed,"))));
}

// A selection that checks nothing must not pass for a green run.
TEST(ZorvanCheck, ASelectionOfNothingSaysSoAndExitsWithOne) {
    for (const char* arguments : {"--backend nettle --suite 'AES*' --filter 'openssl/*'",
                                  "--list --backend nettle --suite MD5 --filter 'gcrypt/*'"}) {
        const Result result = zorvanCheck(arguments);
        EXPECT_EQ(result.status, 1) << arguments;
        EXPECT_THAT(result.output,
                    HasSubstr("no suite is selected by these --backend, --suite and --filter "
                              "options"))
            << arguments;
    }
    const Result noLeaf = zorvanCheck("--suite MD5 --filter 'openssl/MD5/nothing*'");
    EXPECT_EQ(noLeaf.status, 1);
    EXPECT_THAT(noLeaf.output, HasSubstr("no leaf matches --filter 'openssl/MD5/nothing*'\n"));
}

// The suites --help names, in its order, each with the backends it names ("" for all).
std::vector<std::pair<std::string, std::string>> helpSuites() {
    const std::string help = zorvanCheck("--help").output;
    const std::size_t start = help.find("where not all do:") + 17;
    std::istringstream list(help.substr(start, help.find("\n  --data-dir") - start));
    std::vector<std::pair<std::string, std::string>> suites;
    for (std::string word; list >> word;) {
        if (word.front() != '(') {
            suites.emplace_back(word, "");
            continue;
        }
        std::string backends = word;
        while (backends.back() != ')' && list >> word) {
            backends += " " + word;
        }
        suites.back().second = backends.substr(1, backends.size() - 2);
    }
    return suites;
}

// --help, --list and the run come from one catalogue: each backend runs the suites --help
// names for it, in --help's order.
TEST(ZorvanCheck, HelpNamesEverySuiteInTheOrderEveryBackendRunsIt) {
    const std::vector<std::pair<std::string, std::string>> help = helpSuites();
    ASSERT_EQ(help.size(), 159U); // 100, 30 Wycheproof suites, 29 ACVP sets
    EXPECT_EQ(help.front().first, "MD5");
    EXPECT_EQ(help.back().first, "Laws-XChaCha20-Poly1305");
    EXPECT_EQ(help.back().second, "sodium");
    const auto twofishLaws = std::ranges::find(help, std::string("Laws-Twofish"),
                                               &std::pair<std::string, std::string>::first);
    ASSERT_NE(twofishLaws, help.end());
    EXPECT_EQ(twofishLaws->second, "gcrypt nettle");
    std::istringstream leaves(zorvanCheck("--list").output);
    std::map<std::string, std::vector<std::string>> listed;
    for (std::string path; std::getline(leaves, path);) {
        const std::size_t slash = path.find('/');
        const std::string suite = path.substr(slash + 1, path.find('/', slash + 1) - slash - 1);
        std::vector<std::string>& suites = listed[path.substr(0, slash)];
        if (suites.empty() || suites.back() != suite) {
            suites.push_back(suite);
        }
    }
    ASSERT_EQ(listed.size(), 4U);
    for (const auto& [backend, suites] : listed) {
        std::vector<std::string> expected;
        for (const auto& [suite, backends] : help) {
            if (backends.empty() ||
                (" " + backends + " ").find(" " + backend + " ") != std::string::npos) {
                expected.push_back(suite);
            }
        }
        EXPECT_EQ(suites, expected) << backend;
    }
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A data directory holding the source tree's manifest and KAT_SHA, for damaging.
class CopiedShaData {
public:
    CopiedShaData() {
        data_.makeFolder("Test");
        std::filesystem::copy(source_ / "manifest.tsv", data_.root() / "Test/manifest.tsv");
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

TEST(ZorvanCheck, AMisspelledFieldFailsItsRecordAndIsListedUnderTheTable) {
    const CopiedShaData data;
    const auto file = data.path("Test/KAT_SHA/SHA1ShortMsg.rsp");
    std::string text = readFile(file);
    text.replace(text.find("MD = "), 5, "MDD = ");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    const std::string place = " (first at Test/KAT_SHA/SHA1ShortMsg.rsp:";
    const Result result = data.check("");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output,
                AllOf(HasSubstr("FAIL  openssl/SHA1/SHA1ShortMsg.rsp:"),
                      HasSubstr("known answers (openssl) SHA1: 128 of 129 records in 2 files "
                                "became tests\n  1 failed: missing field: MD; unknown field: MDD" +
                                place)));
}

TEST(ZorvanCheck, KeysTheCipherRefusesAreListedWithTheirLength) {
    const Result aes = zorvanCheck("--backend openssl --suite AES128 --filter "
                                   "'openssl/AES128/ECBGFSbox128-e.rsp-0'");
    EXPECT_EQ(aes.status, 0) << aes.output;
    EXPECT_THAT(aes.output, ::testing::ContainsRegex("AES128: [0-9]+ of [0-9]+ records in [0-9]+ "
                                                     "files became tests\n  [0-9]+ refused key: "
                                                     "24 octets \\(first at Test/KAT_AES/"));
}

// A library without the function, and data units no octet interface can express, are counted
// with their reasons under the table, never passed and never dropped.
TEST(ZorvanCheck, LibraryGapsAndBitLengthDataUnitsAreCountedWithTheirReasons) {
    const Result shake =
        zorvanCheck("--backend nettle --suite SHAKE128 --filter 'nettle/SHAKE128/NistSHAKE128-1'");
    EXPECT_THAT(shake.output, AllOf(HasSubstr("skipped: 1 of nettle/SHAKE128: nettle 3.8 has no "
                                              "SHAKE128"),
                                    HasSubstr("0 passed, 0 failed, 1 skipped\n")));
    const Result xts = zorvanCheck("--backend openssl --suite AES128-XTS --filter "
                                   "'openssl/AES128-XTS/XTSGenAES128-i-ENCRYPT-38'");
    EXPECT_EQ(xts.status, 0) << xts.output;
    EXPECT_THAT(xts.output,
                HasSubstr("AES128-XTS: 1600 of 4000 records in 4 files became tests\n"
                          "  400 a data unit of 130 bits, not a whole number of octets (first at "
                          "Test/KAT_XTS/XTSGenAES128.rsp:"));
}

TEST(ZorvanCheck, ATruncatedInstallFailsNamingTheFileAndWhatDiffers) {
    const CopiedShaData data;
    const auto file = data.path("Test/KAT_SHA/SHA1ShortMsg.rsp");
    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
    const Result result = data.check("--junit " + data.path("report.xml").string());
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output, HasSubstr("FAIL  openssl/SHA1/SHA1ShortMsg.rsp\n  error: "
                                         "Test/KAT_SHA/SHA1ShortMsg.rsp: truncated: "));
    const std::string junit = readFile(data.path("report.xml"));
    EXPECT_THAT(junit, HasSubstr("<testcase classname=\"openssl/SHA1\" name=\"SHA1ShortMsg.rsp\""));
    EXPECT_THAT(junit, HasSubstr("<failure message=\"error: Test/KAT_SHA/SHA1ShortMsg.rsp: "
                                 "truncated: "));
}

// The suites beyond the NIST files are checked against the manifest too: a Camellia table lost.
TEST(ZorvanCheck, AFileMissingFromACamelliaFolderFailsItsSuites) {
    const std::filesystem::path source = std::string(std::getenv("zorvan_tests_datadir")) + "/Test";
    const TemporaryDataDirectory data;
    data.makeFolder("Test");
    std::filesystem::copy(source / "manifest.tsv", data.root() / "Test/manifest.tsv");
    std::filesystem::copy(source / "KAT_CAMELLIA", data.root() / "Test/KAT_CAMELLIA");
    std::filesystem::remove(data.root() / "Test/KAT_CAMELLIA/OFBCamellia-d.rsp");
    const Result result = zorvanCheck("--backend nettle --suite Camellia128 --cases 1 --data-dir " +
                                      data.root().string());
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output, HasSubstr("FAIL  nettle/Camellia128/OFBCamellia-d.rsp\n  error: "
                                         "Test/KAT_CAMELLIA/OFBCamellia-d.rsp: missing\n"));
}

TEST(ZorvanCheck, ASuiteWithNoKnownAnswerFromAnExistingFolderFails) {
    const CopiedShaData data;
    for (const char* name : {"SHA1ShortMsg.rsp", "SHA1LongMsg.rsp"}) {
        std::ofstream(data.path("Test/KAT_SHA") / name, std::ios::trunc) << "garbage\n";
    }
    const Result result = data.check("");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr("FAIL  openssl/SHA1/KAT_SHA\n  error: Test/KAT_SHA gave this suite no "
                          "known-answer test: 2 records in 2 files were read, and none became a "
                          "test\n"));
    EXPECT_THAT(result.output, HasSubstr("SHA1: 0 of 2 records in 2 files became tests"));
}

// A child process hands back the failure's parts, so an isolated run reports it as fully as
// a run in one process.
TEST(ZorvanCheck, AnIsolatedFailureReportsItsVectorAndValuesAsInProcess) {
    const CopiedShaData data;
    const auto file = data.path("Test/KAT_SHA/SHA1ShortMsg.rsp");
    std::string text = readFile(file);
    const std::size_t digest = text.find("MD = ") + 5;
    text[digest] = text[digest] == '0' ? '1' : '0';
    std::ofstream(file, std::ios::trunc) << text;
    const Result inProcess = data.check("");
    const Result isolated = data.check("--isolate --jobs 2");
    EXPECT_EQ(isolated.status, 1) << isolated.output;
    EXPECT_THAT(isolated.output, HasSubstr("\n  known answer: "));
    EXPECT_THAT(isolated.output, HasSubstr("\n  vector: Test/KAT_SHA/SHA1ShortMsg.rsp:"));
    EXPECT_EQ(withoutTable(isolated.output), withoutTable(inProcess.output));
}

TEST(ZorvanCheck, AReadErrorInAVectorFileFailsTheSuiteNamingTheFile) {
    const CopiedShaData data;
    std::filesystem::create_symlink("/proc/self/mem", data.path("Test/KAT_SHA/SHA1Broken.rsp"));
    const Result result = data.check("--junit " + data.path("report.xml").string());
    EXPECT_EQ(result.status, 1) << result.output;
    const std::string message = "cannot read the KAT file '" +
                                data.path("Test/KAT_SHA/SHA1Broken.rsp").string() +
                                "': Input/output error after 0 octets";
    EXPECT_THAT(result.output, HasSubstr("FAIL  openssl/SHA1/building\n  error: cannot "
                                         "build the suite: " +
                                         message));
    EXPECT_THAT(result.output, ::testing::EndsWith("0 passed, 1 failed\n"));
    EXPECT_THAT(readFile(data.path("report.xml")),
                HasSubstr("<failure message=\"error: cannot build "
                          "the suite: " +
                          message));
}

TEST(ZorvanCheck, AnExitInALeafFailsTheRunInProcessAndUnderIsolation) {
    const std::string leaf = "nettle/MD5/MD5 KATs/md5KAT";
    const std::string environment = "ZORVAN_CHECK_FAULT=exit ZORVAN_CHECK_FAULT_IN='" + leaf + "'";
    const std::string junit = ::testing::TempDir() + "zorvan-check-exit.xml";
    // One job, so that the leaves that ran before the exit are always the same.
    const Result inProcess = zorvanCheck("--suite MD5 --jobs 1 --junit " + junit, environment);
    EXPECT_EQ(inProcess.status, 1) << inProcess.output;
    EXPECT_THAT(inProcess.output, HasSubstr("FAIL  " + leaf + "\n  called exit while it ran\n"));
    EXPECT_THAT(inProcess.output,
                ::testing::EndsWith("the run stopped: the leaf " + leaf +
                                    " called exit\n29 passed, 1 failed, 6 not run\n"));
    const std::string xml = readFile(junit);
    EXPECT_THAT(xml, HasSubstr("<failure message=\"called exit while it ran\">"));
    EXPECT_THAT(xml, HasSubstr("<skipped message=\"not run: the run stopped: the leaf " + leaf));
    std::remove(junit.c_str());

    // The leaf's process hands its failure back before it exits: the report names the call.
    const Result isolated = zorvanCheck("--suite MD5 --isolate", environment);
    EXPECT_EQ(isolated.status, 1) << isolated.output;
    EXPECT_THAT(isolated.output, HasSubstr("FAIL  " + leaf + "\n  called exit while it ran\n"));
    EXPECT_THAT(isolated.output, Not(HasSubstr("before reporting")));
}

// zorvan-check started in the background, its output in a file.
class BackgroundCheck {
public:
    BackgroundCheck(const std::string& arguments, const std::string& environment)
        : output_(::testing::TempDir() + "zorvan-check-background-" + std::to_string(::getpid())) {
        const std::string command = "exec env " + environment + " " ZORVAN_CHECK_EXECUTABLE " " +
                                    arguments + " >" + output_ + " 2>&1";
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
            ::_exit(127);
        }
    }
    ~BackgroundCheck() { std::remove(output_.c_str()); }
    /// waitFor: waits until the output holds text (a few seconds at most).
    void waitFor(const std::string& text) const {
        for (int i = 0; i < 500 && readFile(output_).find(text) == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    [[nodiscard]] pid_t pid() const noexcept { return pid_; }
    /// end: sends the signal and gives the exit status and output.
    Result end(int signal) const {
        ::kill(pid_, signal);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
                readFile(output_)};
    }

private:
    std::string output_;
    pid_t pid_ = -1;
};

const std::string hangingLeaf = "gcrypt/MD5/MD5 KATs/md5KAT";
const std::string hangAt = "ZORVAN_CHECK_FAULT=hang ZORVAN_CHECK_FAULT_IN='" + hangingLeaf + "'";

TEST(ZorvanCheck, SigtermWritesWhatFinishedAndMarksTheRestAsNotRun) {
    const std::string junit = ::testing::TempDir() + "zorvan-check-sigterm.xml";
    std::ofstream(junit) << "the previous run's report";
    const BackgroundCheck check("--suite MD5 --verbose --junit " + junit, hangAt);
    check.waitFor("ok    gcrypt/MD5/Cryptographic Digest Property Tests/OutputLengthIsByteAligned");
    // Never a half-written file, nor the previous run's report: one that says this run is going.
    EXPECT_THAT(readFile(junit), HasSubstr("the run did not finish"));
    const Result result = check.end(SIGTERM);
    EXPECT_EQ(result.status, 143) << result.output;
    // The suite that was running reports its leaves; a suite not built yet is one testcase.
    EXPECT_THAT(result.output, ::testing::EndsWith("interrupted by signal 15 (Terminated)\n"
                                                   "17 passed, 0 failed, 7 not run, 1 group not "
                                                   "reached\n"));
    const std::string xml = readFile(junit);
    EXPECT_THAT(xml,
                HasSubstr("<testsuites tests=\"25\" failures=\"0\" errors=\"0\" skipped=\"8\""));
    EXPECT_THAT(xml, HasSubstr("<testcase classname=\"gcrypt/MD5/MD5 KATs\" name=\"md5KAT\" "
                               "time=\"0.000000\">\n      <skipped message=\"not run: interrupted "
                               "by signal 15 (Terminated)\">"));
    EXPECT_THAT(xml, HasSubstr("<testcase classname=\"nettle\" name=\"MD5\" time=\"0.000000\">\n"
                               "      <skipped message=\"not run: interrupted by signal 15 "
                               "(Terminated)\">"));
    EXPECT_FALSE(std::filesystem::exists(junit + ".partial-" + std::to_string(check.pid())));
    std::remove(junit.c_str());
}

TEST(ZorvanCheck, IsolatedChildrenDieWithTheirParentWhateverSignalEndsIt) {
    for (const int signal : {SIGTERM, SIGKILL}) {
        const BackgroundCheck check("--suite MD5 --isolate --verbose", hangAt);
        check.waitFor(
            "ok    gcrypt/MD5/Cryptographic Digest Property Tests/OutputLengthIsByteAligned");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string children = readFile("/proc/" + std::to_string(check.pid()) + "/task/" +
                                              std::to_string(check.pid()) + "/children");
        ASSERT_FALSE(children.empty());
        check.end(signal);
        // A killed child that nobody has reaped yet stays as a zombie ('Z').
        const std::string child = "/proc/" + children.substr(0, children.find(' ')) + "/stat";
        const auto alive = [&] {
            const std::string stat = readFile(child);
            return !stat.empty() && stat.substr(stat.rfind(')') + 2, 1) != "Z";
        };
        for (int i = 0; i < 200 && alive(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        EXPECT_FALSE(alive()) << "signal " << signal;
    }
}

TEST(ZorvanCheck, AFullDiskIsReportedWithItsReasonForTheReportAndTheJUnitFile) {
    const Result fullOutput = zorvanCheck("--suite MD5 >/dev/full");
    EXPECT_EQ(fullOutput.status, 1);
    EXPECT_THAT(fullOutput.output,
                HasSubstr("cannot write the report to standard output: No space left on device"));
    const Result closedOutput = zorvanCheck("--suite MD5 >&-");
    EXPECT_EQ(closedOutput.status, 1);
    EXPECT_THAT(closedOutput.output,
                HasSubstr("cannot write the report: standard output is closed"));

    // A file size limit of 2 KiB (sh counts 512-octet blocks) takes the report that stands in
    // for the run, but makes the JUnit file's disk full (EFBIG) for the whole report.
    const std::string junit = ::testing::TempDir() + "zorvan-check-full.xml";
    std::ofstream(junit) << "the previous run's report";
    const Result fullFile =
        zorvanCheck("--suite MD5 --junit " + junit, "trap '' XFSZ; ulimit -f 4;");
    EXPECT_EQ(fullFile.status, 1) << fullFile.output;
    EXPECT_THAT(fullFile.output, ::testing::EndsWith("36 passed, 0 failed\n" ZORVAN_CHECK_EXECUTABLE
                                                     ": cannot write the JUnit report to " +
                                                     junit + ": File too large\n"));
    EXPECT_THAT(readFile(junit), HasSubstr("the run did not finish"));
    std::remove(junit.c_str());
}

TEST(ZorvanCheck, HelpOrAListingThatCannotBeWrittenIsAnError) {
    const Result help = zorvanCheck("--help >/dev/full");
    EXPECT_EQ(help.status, 1);
    EXPECT_EQ(help.output, ZORVAN_CHECK_EXECUTABLE ": cannot write the help to standard output: No "
                                                   "space left on device\n");
    const Result list = zorvanCheck("--list --suite MD5 >/dev/full");
    EXPECT_EQ(list.status, 1);
    EXPECT_THAT(list.output, HasSubstr("cannot write the list to standard output"));
}

TEST(ZorvanCheck, AnIsolatedLeafThatHangsIsKilledAtItsTimeout) {
    const std::string environment =
        "ZORVAN_CHECK_FAULT=hang ZORVAN_CHECK_FAULT_IN='" + hangingLeaf + "'";
    const Result result =
        zorvanCheck("--suite MD5 --backend gcrypt --isolate --timeout 1 --occurrence 1 "
                    "--filter '" +
                        hangingLeaf + "'",
                    environment);
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_THAT(result.output,
                HasSubstr("FAIL  " + hangingLeaf + "\n  timed out: the leaf ran longer than 1 s"));
}

TEST(ZorvanCheck, OptionsLackingTheirValueAndFlagsGivenOneAreRefused) {
    const Result missing = zorvanCheck("--filter --seed 1");
    EXPECT_EQ(missing.status, 2);
    EXPECT_THAT(missing.output,
                HasSubstr("--filter needs a value, but is followed by the option '--seed'"));
    const Result dataDir = zorvanCheck("--data-dir --suite MD5");
    EXPECT_THAT(dataDir.output,
                HasSubstr("--data-dir needs a value, but is followed by the option"));
    const Result isolate = zorvanCheck("--isolate=1");
    EXPECT_EQ(isolate.status, 2);
    EXPECT_THAT(isolate.output, HasSubstr("--isolate takes no value"));
    EXPECT_THAT(zorvanCheck("--jobs 18446744073709551615").output,
                HasSubstr("--jobs 18446744073709551615 is more than 256"));
}

TEST(ZorvanCheck, TheRerunLineQuotesTheDataDirectory) {
    const TemporaryDataDirectory data;
    const std::filesystem::path spaced = data.root() / "my data";
    std::filesystem::create_directories(spaced / "Test/KAT_SHA");
    const Result result = zorvanCheck("--backend openssl --suite SHA1 --cases 1 --data-dir '" +
                                      spaced.string() + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.output, HasSubstr("--data-dir '" + spaced.string() + "' --filter "));
}

// Each pair of the chosen backends is compared on what both have, under its own row; the
// differential suites run only when asked for.
TEST(ZorvanCheck, DifferentialComparesEachPairOfBackendsOnWhatTheyShare) {
    const Result result = zorvanCheck(
        "--differential --backend openssl,gcrypt,nettle --suite 'Diff-SHA256,Diff-SHAKE128'");
    EXPECT_EQ(result.status, 0) << result.output;
    for (const char* pair : {"openssl-vs-gcrypt", "openssl-vs-nettle", "gcrypt-vs-nettle"}) {
        EXPECT_THAT(result.output,
                    ::testing::ContainsRegex(std::string(pair) + " +Diff-SHA256 +2 +0 +0"));
    }
    // nettle lacks SHAKE128: a library gap is a skip, never a pass.
    EXPECT_THAT(result.output,
                ::testing::ContainsRegex("openssl-vs-nettle +Diff-SHAKE128 +0 +0 +1"));
    EXPECT_THAT(result.output, HasSubstr("7 passed, 0 failed, 2 skipped"));
    // Every other kind of primitive: an XOF, a MAC, XTS and an AEAD.
    const Result kinds =
        zorvanCheck("--differential --backend openssl,gcrypt --suite "
                    "'Diff-SHAKE256,Diff-AES-CMAC-128,Diff-AES-XTS-256,Diff-AES-GCM-192'");
    EXPECT_EQ(kinds.status, 0) << kinds.output;
    EXPECT_THAT(kinds.output, HasSubstr("4 passed, 0 failed"));
    const Result listed =
        zorvanCheck("--list --backend openssl,gcrypt --differential --suite Diff-AES-192");
    EXPECT_EQ(listed.output, "openssl-vs-gcrypt/Diff-AES-192/Differential/ECBAgrees\n"
                             "openssl-vs-gcrypt/Diff-AES-192/Differential/CBCAgrees\n"
                             "openssl-vs-gcrypt/Diff-AES-192/Differential/CFBAgrees\n"
                             "openssl-vs-gcrypt/Diff-AES-192/Differential/OFBAgrees\n"
                             "openssl-vs-gcrypt/Diff-AES-192/Differential/CTRAgrees\n");
    EXPECT_EQ(zorvanCheck("--suite Diff-SHA256").status, 2);
    EXPECT_EQ(zorvanCheck("--duration soon").status, 2);
}

// The closing line's counts: "N passed, N failed".
std::string closingCounts(const std::string& output) {
    const std::size_t start = output.rfind('\n', output.size() - 2);
    return output.substr(start + 1);
}

// A shipped file given with --vectors runs on every backend that has its algorithm, with the
// same counts as the installed suite that reads it.
TEST(ZorvanCheck, VectorsRunAFileOnEveryBackendWithItsAlgorithmAsTheInstalledSuiteDoes) {
    const std::string prompt = std::string(std::getenv("zorvan_tests_datadir")) +
                               "/Test/ACVP/HMAC-SHA2-256-1.0/prompt.json.gz";
    const Result given = zorvanCheck("--jobs 2 --vectors " + prompt);
    EXPECT_EQ(given.status, 0) << given.output;
    EXPECT_THAT(
        given.output,
        ::testing::StartsWith(
            prompt + ": ACVP prompt, HMAC-SHA2-256 (paired with expectedResults.json.gz)\n"));
    for (const char* backend : {"openssl", "gcrypt", "nettle"}) {
        EXPECT_THAT(given.output,
                    ::testing::ContainsRegex(std::string(backend) + " +File1-SHA256 +[1-9]"));
    }
    const Result installed = zorvanCheck("--jobs 2 --suite ACVP-HMAC-SHA2-256");
    EXPECT_EQ(closingCounts(given.output), closingCounts(installed.output));
}

TEST(ZorvanCheck, VectorsRefuseAFileTheyCannotMapNamingItsPath) {
    const std::string wycheproof = std::string(std::getenv("zorvan_tests_datadir")) +
                                   "/Test/WYCHEPROOF/xchacha20_poly1305_test.json.gz";
    const TemporaryDataDirectory data; // points zorvan_tests_datadir elsewhere: made after
    data.write("notes.txt", "some words, no vectors\n");
    const std::string garbage = (data.root() / "notes.txt").string();
    const Result refused = zorvanCheck("--vectors " + garbage);
    EXPECT_EQ(refused.status, 2);
    EXPECT_THAT(refused.output, HasSubstr(garbage + ": no reader takes it"));

    const Result noBackend = zorvanCheck("--backend openssl --vectors " + wycheproof);
    EXPECT_EQ(noBackend.status, 2);
    EXPECT_THAT(noBackend.output,
                HasSubstr(wycheproof + ": Wycheproof, XCHACHA20-POLY1305, and no backend "
                                       "selected here has XChaCha20-Poly1305"));
    EXPECT_THAT(zorvanCheck("--differential --vectors " + wycheproof).output,
                HasSubstr("do not combine"));
}

// A wrong answer in a file of one's own fails its leaf, and the rerun line gives the file again.
TEST(ZorvanCheck, AFailureInAVectorFileIsRerunWithTheFile) {
    const TemporaryDataDirectory data;
    data.write("lab/internalProjection.json", R"({"vsId": 7, "algorithm": "SHA2-256",
 "revision": "1.0", "testGroups": [{"tgId": 1, "testType": "AFT", "tests": [
  {"tcId": 1, "msg": "", "len": 0,
   "md": "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
  {"tcId": 2, "msg": "", "len": 0,
   "md": "03B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"}]}]})");
    const std::string path = (data.root() / "lab/internalProjection.json").string();
    const Result result = zorvanCheck("--backend nettle --vectors " + path);
    EXPECT_EQ(result.status, 1);
    EXPECT_THAT(result.output, HasSubstr("nettle/File1-SHA256/ACVP SHA2-256 (internalProjection)/"
                                         "ACVP-SHA2-256/tg1/tc2"));
    EXPECT_THAT(result.output, HasSubstr("--vectors " + path + " --filter "));
    EXPECT_THAT(result.output, ::testing::EndsWith("1 passed, 1 failed\n"));
}

} // namespace
