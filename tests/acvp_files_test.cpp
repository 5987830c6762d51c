// The ACVP reader on small hand-written sets: prompts and answers paired, large messages kept
// as descriptions, and every test accounted for whatever is wrong with either file.

#include <Test/AcvpFiles.hpp>

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

} // namespace
