// The ACVP reader on small hand-written sets: prompts and answers paired, large messages kept
// as descriptions, and every test accounted for whatever is wrong with either file.

#include <Test/AcvpFiles.hpp>
#include <Test/DataSource.hpp>
#include <Test/sha256.hpp>

#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

using ::testing::HasSubstr;
namespace Acvp = ::Test::AcvpFiles;

constexpr std::string_view promptText = R"({"vsId": 42, "algorithm": "ACVP-AES-GCM",
 "revision": "1.0", "isSample": false, "testGroups": [
  {"tgId": 1, "testType": "AFT", "direction": "encrypt", "keyLen": 128, "tests": [
    {"tcId": 1, "pt": "00", "key": "01"},
    {"tcId": 2, "pt": "02", "key": "03"},
    {"tcId": 3, "pt": "04", "key": "05"}]},
  {"tgId": 2, "testType": "LDT", "tests": [
    {"tcId": 4, "largeMsg": {"content": "DE", "contentLength": 8, "fullLength": 8589934592,
     "expansionTechnique": "repeating"}}]}]})";

constexpr std::string_view answersText = R"({"vsId": 42, "algorithm": "ACVP-AES-GCM",
 "revision": "1.0", "testGroups": [
  {"tgId": 1, "tests": [{"tcId": 1, "ct": "AA"}, {"tcId": 3, "ct": "CC"},
                        {"tcId": 9, "ct": "FF"}]},
  {"tgId": 2, "tests": [{"tcId": 4, "md": "EE"}]}]})";

TEST(AcvpFiles, PromptsAndAnswersPairByGroupAndTestAndNeitherIsDroppedAlone) {
    const Acvp::SetRead set = Acvp::readPair("prompt.json", std::string(promptText),
                                             "expectedResults.json", std::string(answersText));
    ASSERT_NE(set.set, nullptr);
    EXPECT_EQ(set.set->vsId, 42);
    EXPECT_EQ(set.set->algorithm, "ACVP-AES-GCM");
    EXPECT_EQ(set.set->mode, "");
    EXPECT_EQ(set.promptTests, 4u);
    EXPECT_EQ(set.answerTests, 4u);
    ASSERT_EQ(set.records.size(), 5u);

    const Acvp::Test& first = *set.records[0].vector;
    EXPECT_EQ(set.records[0].test, "tgId=1,tcId=1");
    EXPECT_EQ(first.group->testType, "AFT");
    EXPECT_EQ(first.group->direction, "encrypt");
    EXPECT_EQ(first.input("key"), "01");
    EXPECT_EQ(first.expected("ct"), "AA");
    EXPECT_EQ(first.answerLine, 3u);

    EXPECT_EQ(set.records[1].damage, "a prompt with no answer");
    EXPECT_EQ(set.records[1].test, "tgId=1,tcId=2");
    EXPECT_TRUE(set.records[2].vector);
    EXPECT_EQ(set.records[4].damage, "an answer with no prompt");
    EXPECT_EQ(set.records[4].fileName, "expectedResults.json");
    EXPECT_EQ(set.records[4].test, "tgId=1,tcId=9");
}

TEST(AcvpFiles, ALargeDataTestStaysTheDescriptionOfItsMessage) {
    const Acvp::SetRead set =
        Acvp::readPair("p", std::string(promptText), "e", std::string(answersText));
    const Acvp::Test& large = *set.records[3].vector;
    EXPECT_EQ(large.group->testType, "LDT");
    ASSERT_TRUE(large.largeMessage);
    EXPECT_EQ(large.largeMessage->content, "DE");
    EXPECT_EQ(large.largeMessage->contentLength, 8u);
    EXPECT_EQ(large.largeMessage->fullLength, std::uint64_t{1} << 33);
    EXPECT_EQ(large.largeMessage->expansionTechnique, "repeating");

    std::string damaged(promptText);
    damaged.replace(damaged.find("\"fullLength\""), 12, "\"fullLen\"");
    EXPECT_EQ(Acvp::readPair("p", damaged, "e", std::string(answersText)).records[3].damage,
              "largeMsg: missing field: fullLength");
}

TEST(AcvpFiles, AnswersOfAnotherSetDamageEveryTest) {
    std::string other(answersText);
    other.replace(other.find("42"), 2, "43");
    const Acvp::SetRead set = Acvp::readPair("p", std::string(promptText), "e", other);
    for (const auto& record : set.records) {
        if (record.fileName == "p") {
            EXPECT_THAT(record.damage,
                        HasSubstr("the prompt is vsId 42, the expected results vsId 43"));
        }
    }
}

TEST(AcvpFiles, AProjectionIsReadAloneAndAnExchangeArrayIsUnwrapped) {
    const std::string projection =
        R"([{"acvVersion": "1.0"}, {"vsId": 0, "algorithm": "SHA2-256", "revision": "1.0",
            "testGroups": [{"tgId": 1, "testType": "AFT", "tests": [
              {"tcId": 1, "msg": "", "len": 0, "md": "E3B0"}]}]}])";
    const Acvp::SetRead set = Acvp::readProjection("internalProjection.json", projection);
    ASSERT_EQ(set.records.size(), 1u);
    ASSERT_TRUE(set.records[0].vector);
    EXPECT_EQ(set.records[0].vector->input("msg"), "");
    EXPECT_EQ(set.records[0].vector->expected("md"), "E3B0");
    EXPECT_EQ(set.records[0].line, 3u);

    const Acvp::SetRead broken = Acvp::readProjection("x.json", projection.substr(0, 160));
    ASSERT_FALSE(broken.records.empty());
    EXPECT_THAT(broken.records.back().damage, HasSubstr("stops reading as JSON"));
}

// A set's folder: the pair when both files are there, the projection alone when neither is, and
// a damaged record naming the file that is missing otherwise.
TEST(AcvpFiles, AFolderReadsItsPairOrItsProjectionAndNamesAMissingFile) {
    const TemporaryDataDirectory data;
    const auto source = ::Test::DataSource::ignoringManifest(data.root().string());
    data.write("Test/ACVP_PAIR/prompt.json", promptText);
    data.write("Test/ACVP_PAIR/expectedResults.json", answersText);
    data.write("Test/ACVP_PAIR/internalProjection.json", "not read when the pair is there");
    const Acvp::Folder pair = Acvp::readFolder(source, "Test/ACVP_PAIR");
    EXPECT_EQ(pair.check.files, 2u);
    EXPECT_EQ(pair.set.records.size(), 5u);

    data.write("Test/ACVP_ALONE/internalProjection.json", promptText);
    const Acvp::Folder alone = Acvp::readFolder(source, "Test/ACVP_ALONE");
    EXPECT_EQ(alone.check.files, 1u);
    ASSERT_EQ(alone.set.records.size(), 4u);
    EXPECT_EQ(alone.set.records[0].vector->expected("key"), "01");

    data.write("Test/ACVP_HALF/prompt.json", promptText);
    const Acvp::Folder half = Acvp::readFolder(source, "Test/ACVP_HALF");
    ASSERT_EQ(half.set.records.size(), 1u);
    EXPECT_EQ(half.set.records[0].fileName, "expectedResults.json");
    EXPECT_EQ(half.set.records[0].damage, "a prompt without its expectedResults file");

    data.makeFolder("Test/ACVP_NONE");
    EXPECT_THAT(Acvp::readFolder(source, "Test/ACVP_NONE").set.records.at(0).damage,
                HasSubstr("neither a prompt and its expectedResults nor an internalProjection"));
}

TEST(AcvpFiles, AFileTheManifestDoesNotListIsOneProblemOfAProjectionFolder) {
    const TemporaryDataDirectory data;
    const std::string projection = std::string(promptText);
    data.write("Test/ACVP_X/internalProjection.json", projection);
    data.write("Test/ACVP_X/stray.json", "{}");
    data.write("Test/manifest.tsv",
               "Test/ACVP_X/internalProjection.json\t" + std::to_string(projection.size()) + "\t" +
                   ::Test::Sha256::toHex(::Test::Sha256::digest(projection)) + "\t4\n");
    const Acvp::Folder folder = Acvp::readFolder(::Test::DataSource(), "Test/ACVP_X");
    ASSERT_EQ(folder.check.problems.size(), 1u);
    EXPECT_EQ(folder.check.problems[0].fileName, "stray.json");
    EXPECT_EQ(folder.set.records.size(), 4u);
}

} // namespace
