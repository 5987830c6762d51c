// A vector file a user brings: each format is mapped to the builder of its kind, whose tree
// holds as many leaves as the shipped builder's for the same file and passes for OpenSSL; a
// file the type cannot take, or no reader takes, is one failing leaf naming the path and why.

#include <Test/ACVPAEAD.hpp>
#include <Test/AcvpHash.hpp>
#include <Test/Suites.hpp>
#include <Test/VectorFile.hpp>
#include <Test/VectorFormat.hpp>
#include <Test/Wycheproof.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/backends/openssl_aead.hpp>

#include "leaf_runs.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;
namespace VectorFile = ::Test::VectorFile;
using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using zorvan::testing::LeafStatus;

const fs::path shippedData = std::getenv("zorvan_tests_datadir");

// A folder of the test's own that the user's files are copied into.
class UserFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device entropy;
        root_ = fs::temp_directory_path() /
                ("zorvan-vectors-" + std::to_string(entropy()) + std::to_string(entropy()));
        fs::create_directories(root_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

    // copy: the shipped file (relative to the data root) copied into folder, under its own
    // name or name; its new path.
    [[nodiscard]] std::string copy(const std::string& shipped, const std::string& folder,
                                   const std::string& name = {}) const {
        const fs::path from = shippedData / shipped;
        const fs::path to = root_ / folder / (name.empty() ? from.filename().string() : name);
        fs::create_directories(to.parent_path());
        fs::copy_file(from, to);
        return to.string();
    }
    // write: a file of text at the relative path; its path.
    [[nodiscard]] std::string write(const std::string& relative, std::string_view text) const {
        const fs::path path = root_ / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

private:
    fs::path root_;
};

std::string groupName(const std::vector<zorvan::testing::Test>& tests) {
    const auto* group = std::get_if<zorvan::testing::TestGroup>(&tests.at(0).node());
    return group == nullptr ? std::string() : group->name;
}

// As many leaves as the shipped builder gives for the same file, and not none.
void expectSameLeaves(const std::vector<zorvan::testing::Test>& tests,
                      const std::vector<zorvan::testing::Test>& shipped) {
    EXPECT_GT(zorvan::testing::flatten(shipped).size(), 10u);
    EXPECT_EQ(zorvan::testing::flatten(tests).size(), zorvan::testing::flatten(shipped).size());
}

// The one leaf a refused file gives, and its report.
std::string refusal(const std::vector<zorvan::testing::Test>& tests) {
    const std::vector<leaf_runs::LeafRun> runs = leaf_runs::runAll(tests);
    EXPECT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs.at(0).status, LeafStatus::failed);
    return runs.at(0).report;
}

TEST_F(UserFolder, AnAcvpPromptIsPairedWithItsExpectedResultsAndBuildsTheShippedSetsTests) {
    const std::string prompt = copy("Test/ACVP/SHA2-256-1.0/prompt.json.gz", "sha256");
    const std::string answers = copy("Test/ACVP/SHA2-256-1.0/expectedResults.json.gz", "sha256");

    const VectorFile::Inferred inferred = VectorFile::inspect(prompt);
    EXPECT_EQ(inferred.format, "ACVP prompt");
    EXPECT_EQ(inferred.algorithm, "SHA2-256");
    EXPECT_EQ(inferred.row, "SHA256");
    EXPECT_EQ(inferred.description, "ACVP prompt, SHA2-256 (paired with expectedResults.json.gz)");
    EXPECT_EQ(VectorFile::inspect(answers).description,
              "ACVP expectedResults, SHA2-256 (paired with prompt.json.gz)");

    const auto shipped =
        ::Test::AcvpHash::makeAcvpHashTests<zorvan::openssl::SHA256>("Test/ACVP/SHA2-256-1.0");
    for (const std::string& path : {prompt, answers}) {
        const auto tests = ::Test::makeVectorFileTests<zorvan::openssl::SHA256>(path);
        EXPECT_EQ(groupName(tests), "ACVP SHA2-256 (prompt + expectedResults)");
        expectSameLeaves(tests, shipped);
        EXPECT_THAT(leaf_runs::pathsWith(leaf_runs::runAll(tests), LeafStatus::failed), IsEmpty());
    }
}

TEST_F(UserFolder, AnAcvpAeadSetBuildsAsTheShippedOneDoes) {
    const std::string prompt = copy("Test/ACVP/ACVP-AES-GCM-1.0/prompt.json.gz", "gcm");
    (void)copy("Test/ACVP/ACVP-AES-GCM-1.0/expectedResults.json.gz", "gcm");
    EXPECT_EQ(VectorFile::inspect(prompt).row, "AES-GCM");

    const auto tests = ::Test::makeVectorFileTests<zorvan::openssl::AES128GCM>(prompt);
    const auto shipped = ::Test::ACVPAEAD::makeACVPGCMTests<zorvan::openssl::AES128GCM>();
    expectSameLeaves(tests, shipped);
    EXPECT_THAT(leaf_runs::pathsWith(leaf_runs::runAll(tests), LeafStatus::failed), IsEmpty());
}

// A projection holds prompt and answers in one: a wrong answer must fail its own leaf alone.
TEST_F(UserFolder, AnInternalProjectionStandsAloneAndAWrongAnswerFailsItsLeaf) {
    const std::string projection = write("own/internalProjection.json", R"(
[{"acvVersion": "1.0"}, {"vsId": 7, "algorithm": "SHA2-256", "revision": "1.0",
 "testGroups": [{"tgId": 1, "testType": "AFT", "tests": [
  {"tcId": 1, "msg": "", "len": 0,
   "md": "E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
  {"tcId": 2, "msg": "616263", "len": 24,
   "md": "BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
  {"tcId": 3, "msg": "616263", "len": 24,
   "md": "0A7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"}]}]}])");
    EXPECT_EQ(VectorFile::inspect(projection).description,
              "ACVP internalProjection, SHA2-256 (alone)");

    const auto tests = ::Test::makeVectorFileTests<zorvan::openssl::SHA256>(projection);
    EXPECT_EQ(groupName(tests), "ACVP SHA2-256 (internalProjection)");
    const std::vector<leaf_runs::LeafRun> runs = leaf_runs::runAll(tests);
    EXPECT_EQ(runs.size(), 3u);
    EXPECT_THAT(leaf_runs::failedLeafNames(runs), ::testing::ElementsAre("tc3"));
    EXPECT_THAT(leaf_runs::reportOf(runs, "tc3"), HasSubstr("own/internalProjection.json"));
}

TEST_F(UserFolder, AWycheproofFileOfAnyNameBuildsTheShippedFilesTests) {
    const std::string path =
        copy("Test/WYCHEPROOF/hmac_sha256_test.json.gz", "lab", "our-hmac.json.gz");
    EXPECT_EQ(VectorFile::inspect(path).description, "Wycheproof, HMACSHA256");

    const auto tests = ::Test::makeVectorFileTests<zorvan::openssl::SHA256>(path);
    EXPECT_EQ(groupName(tests), "Wycheproof HMACSHA256 (our-hmac.json.gz)");
    const auto shipped = ::Test::Wycheproof::makeWycheproofHMACTests<zorvan::openssl::SHA256>(
        "SHA256", ::Test::Wycheproof::Acceptable::either, ::Test::DataSource(shippedData.string()));
    expectSameLeaves(tests, shipped);
    EXPECT_THAT(leaf_runs::pathsWith(leaf_runs::runAll(tests), LeafStatus::failed), IsEmpty());
}

// A response file names its algorithm in its header; each record is a leaf.
TEST_F(UserFolder, ACavpResponseFileBuildsALeafPerRecordWithTheShippedBuilder) {
    const std::string sha = copy("Test/KAT_SHA/SHA256ShortMsg.rsp", "rsp");
    const std::string aes = copy("Test/KAT_AES/CBCGFSbox128-e.rsp", "rsp");
    EXPECT_EQ(VectorFile::inspect(sha).description, "CAVP response file, SHA-256");
    EXPECT_EQ(VectorFile::inspect(aes).description, "CAVP response file, AES-CBC");

    const auto hashTests = ::Test::makeVectorFileTests<zorvan::openssl::SHA256>(sha);
    EXPECT_EQ(groupName(hashTests), "CAVP SHA-256 (SHA256ShortMsg.rsp)");
    const auto cipherTests = ::Test::makeVectorFileTests<zorvan::openssl::AES128>(aes);
    for (const auto& [tests, path] : {std::pair{&hashTests, sha}, std::pair{&cipherTests, aes}}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(zorvan::testing::flatten(*tests).size(),
                  ::Test::VectorFormat::detectFile(path).records);
        EXPECT_THAT(leaf_runs::pathsWith(leaf_runs::runAll(*tests), LeafStatus::failed), IsEmpty());
    }
}

// A file with no test for the type's key size (a 128-bit AES file for AES-256) is one skipped
// leaf saying so: neither a tree that passes having checked nothing nor a failure of the type.
TEST_F(UserFolder, AFileWithNoTestOfTheTypesKeySizeIsOneSkipThatSaysSo) {
    const std::string aes = copy("Test/KAT_AES/CBCGFSbox128-e.rsp", "rsp");
    const std::string gcm = copy("Test/ACVP/ACVP-AES-GCM-1.0/prompt.json.gz", "gcm");
    (void)copy("Test/ACVP/ACVP-AES-GCM-1.0/expectedResults.json.gz", "gcm");
    for (const auto& tests : {::Test::makeVectorFileTests<zorvan::openssl::AES256>(aes),
                              ::Test::makeVectorFileTests<zorvan::openssl::AES256GCM>(gcm)}) {
        const std::vector<leaf_runs::LeafRun> runs = leaf_runs::runAll(tests);
        ASSERT_EQ(runs.size(), 1u);
        EXPECT_EQ(runs[0].status, LeafStatus::skipped);
        EXPECT_THAT(runs[0].path, ::testing::EndsWith("/KeyLength256"));
        EXPECT_THAT(runs[0].report, HasSubstr("128 only, none of 256"));
    }
}

// The folder under the data root that holds the file ("Test/ACVP/SHA2-256-1.0").
std::string folderOf(const fs::path& file) {
    return fs::relative(file.parent_path(), shippedData).generic_string();
}

// Every shipped file the vector file builder takes maps to the row whose suites read its
// folder: a typo in the mapping table would send a file to another algorithm's type.
TEST(VectorFile, EveryShippedFileMapsToTheRowThatReadsItsFolder) {
    std::vector<fs::path> files;
    for (const char* folder : {"Test/ACVP", "Test/WYCHEPROOF", "Test/KAT_SHA", "Test/KAT_SHA3",
                               "Test/KAT_SHA512T", "Test/KAT_AES"}) {
        for (const fs::directory_entry& entry :
             fs::recursive_directory_iterator(shippedData / folder)) {
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file() && !name.starts_with("expectedResults")) {
                files.push_back(entry.path());
            }
        }
    }
    EXPECT_EQ(files.size(), 25u + 19u + 10u + 8u + 4u + 120u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.string());
        const VectorFile::Inferred inferred = VectorFile::inspect(file.string());
        const std::string folder = folderOf(file);
        const auto& suites = ::Test::Suites::algorithm(inferred.row).suites;
        EXPECT_TRUE(std::ranges::any_of(suites, [&folder](const ::Test::Suites::Suite& suite) {
            return std::ranges::any_of(
                suite.folders, [&folder](const auto& read) { return read.directory == folder; });
        })) << inferred.row;
    }
}

// A lab folder beside the installed data: the data root's manifest does not list the file, and
// is not asked to.
TEST_F(UserFolder, AFileBesideADataRootIsNotCheckedAgainstItsManifest) {
    (void)copy("Test/manifest.tsv", "Test");
    const std::string path = copy("Test/KAT_SHA/SHA256ShortMsg.rsp", "Lab");
    const std::vector<leaf_runs::LeafRun> runs =
        leaf_runs::runAll(::Test::makeVectorFileTests<zorvan::openssl::SHA256>(path));
    EXPECT_EQ(runs.size(), ::Test::VectorFormat::detectFile(path).records);
    EXPECT_THAT(leaf_runs::pathsWith(runs, LeafStatus::failed), IsEmpty());
}

TEST_F(UserFolder, AFileOfAnotherPrimitiveOrAnotherHashIsOneFailingLeafThatSaysSo) {
    const std::string prompt = copy("Test/ACVP/SHA2-256-1.0/prompt.json.gz", "sha256");
    (void)copy("Test/ACVP/SHA2-256-1.0/expectedResults.json.gz", "sha256");

    EXPECT_THAT(refusal(::Test::makeVectorFileTests<zorvan::openssl::AES128>(prompt)),
                AllOf(HasSubstr(prompt), HasSubstr("tests a hash"),
                      HasSubstr("the type under test is a block cipher")));
    EXPECT_THAT(refusal(::Test::makeVectorFileTests<zorvan::openssl::SHA1>(prompt)),
                AllOf(HasSubstr(prompt), HasSubstr("32 and 64 octets; the type's are 20 and 64")));
}

TEST_F(UserFolder, AFileNoReaderOrBuilderTakesIsOneFailingLeafNamingThePath) {
    const std::string garbage = write("junk/notes.txt", "just some words\n");
    const std::string missing = (fs::path(garbage).parent_path() / "absent.json").string();
    const std::string lonePrompt = copy("Test/ACVP/SHA2-256-1.0/prompt.json.gz", "alone");
    const std::string renamed =
        copy("Test/ACVP/SHA2-256-1.0/prompt.json.gz", "renamed", "sha-prompt.json.gz");
    const std::string monte = copy("Test/KAT_SHA_MONTE/SHA256Monte.rsp", "rsp");
    const std::string camellia = copy("Test/KAT_CAMELLIA/CBCCamellia-e.rsp", "rsp");
    const std::string otherAlgorithm =
        write("kdf/internalProjection.json",
              R"({"vsId": 1, "algorithm": "KDA", "mode": "HKDF", "revision": "Sp800-56Cr1",
            "testGroups": []})");

    const std::vector<std::pair<std::string, std::string>> cases{
        {garbage, "no reader takes it"},
        {missing, "cannot be read"},
        {lonePrompt, "read with its expectedResults.json (or .json.gz) beside it"},
        {renamed, "named prompt.json (or .json.gz): rename it so"},
        {monte, "CAVP response file of SHA-256 whose records start at Seed"},
        {camellia, "whose header names no algorithm"},
        {otherAlgorithm, "of KDA, which no builder here takes"}};
    for (const auto& [path, why] : cases) {
        SCOPED_TRACE(path);
        EXPECT_THAT(refusal(::Test::makeVectorFileTests<zorvan::openssl::SHA256>(path)),
                    AllOf(HasSubstr(path), HasSubstr(why)));
        EXPECT_THROW((void)VectorFile::inspect(path), VectorFile::MappingError);
    }
}

} // namespace
