// The JSON readers on small hand-written files: what each kind of damage becomes, and that no
// test of a file goes unaccounted for.

#include <Test/Json.hpp>
#include <Test/JsonVectors.hpp>
#include <Test/RecordTests.hpp>
#include <Test/WycheproofFiles.hpp>

#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ::Test::ReadRecord;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace Json = ::Test::Json;
namespace Wycheproof = ::Test::WycheproofFiles;

TEST(Json, ValuesViewTheTextWithEscapesResolvedAndKnowWhereTheyStart) {
    const Json::Document document =
        Json::parse("{\n  \"a\\u0041\": [1.50, \"x\\ny\", true, null],\n"
                    "  \"b\": {\"c\": -7}\n}\n");
    ASSERT_FALSE(document.error);
    const Json::Value& root = document.root;
    ASSERT_EQ(root.members.size(), 2u);
    EXPECT_EQ(root.members[0].name, "aA");
    const Json::Value& list = root.members[0].value;
    ASSERT_EQ(list.members.size(), 4u);
    EXPECT_EQ(list.members[0].value.text, "1.50");
    EXPECT_EQ(list.members[1].value.text, "x\ny");
    EXPECT_EQ(list.members[2].value.text, "true");
    EXPECT_EQ(list.members[3].value.kind, Json::Kind::null);
    const std::string_view text = Json::storedText(*document.storage);
    EXPECT_EQ(Json::placeAt(text, root.find("b")->offset).line, 3u);
    EXPECT_EQ(Json::placeAt(text, root.find("b")->offset).column, 8u);
    EXPECT_EQ(Json::integerOf(*root.find("b")->find("c")), -7);
    EXPECT_FALSE(Json::integerOf(list.members[0].value));

    // A string ends at its last unescaped quote, whatever white space follows it.
    const Json::Document quoted = Json::parse(R"(["", "a\"" , "b\\",
                                                 "c\"d"   ,"e"])");
    ASSERT_FALSE(quoted.error);
    ASSERT_EQ(quoted.root.members.size(), 5u);
    for (const auto& [item, content] : {std::pair{0, ""}, std::pair{1, "a\""}, std::pair{2, "b\\"},
                                        std::pair{3, "c\"d"}, std::pair{4, "e"}}) {
        EXPECT_EQ(quoted.root.members[static_cast<std::size_t>(item)].value.text, content) << item;
    }

    // A number past 64 bits is JSON all the same; only its reader can refuse it.
    const Json::Document large = Json::parse("{\"tcId\": 123456789012345678901234}");
    ASSERT_FALSE(large.error);
    EXPECT_FALSE(Json::integerOf(*large.root.find("tcId")));
}

TEST(Json, TextThatIsNotWholeJsonKeepsWhatReadAndSaysWhereItStopped) {
    const Json::Document broken = Json::parse("{\"a\": [1, 2],\n \"b\": [3 4]}");
    ASSERT_TRUE(broken.error);
    EXPECT_EQ(broken.error->place.line, 2u);
    ASSERT_NE(broken.root.find("a"), nullptr);
    EXPECT_TRUE(broken.root.find("a")->complete);
    EXPECT_FALSE(broken.root.complete);

    for (const std::string_view text :
         {"", "  ", "{\"a\": 1} {}", "[1, 2", "{\"a\": tru}", "\"\xff\"", "{\"a\": \"\x01\"}",
          "{\"a\" 1}", "[01]", "[1.]", "[-]", "[1e]", "[.5]", "[1e+]"}) {
        EXPECT_TRUE(Json::parse(std::string(text)).error) << text;
    }
    std::string deep(Json::maximumDepth + 1, '[');
    deep += std::string(Json::maximumDepth + 1, ']');
    const Json::Document tooDeep = Json::parse(deep);
    ASSERT_TRUE(tooDeep.error);
    EXPECT_THAT(tooDeep.error->what, HasSubstr("nested deeper than 64 levels"));
    EXPECT_FALSE(Json::parse(deep.substr(1, deep.size() - 2)).error);
}

// A Wycheproof file of two groups: the first well-formed, the second with one test of each
// kind of damage.
constexpr std::string_view wycheproofText = R"({
  "algorithm": "AES-GCM",
  "schema": "aead_test_schema_v1.json",
  "numberOfTests": 6,
  "notes": {"Ktv": {"bugType": "BASIC"}},
  "testGroups": [
    {
      "type": "AeadTest", "keySize": 128, "ivSize": 96, "tagSize": 128,
      "tests": [
        {"tcId": 1, "comment": "", "flags": ["Ktv"], "key": "00", "iv": "01", "aad": "",
         "msg": "", "ct": "", "tag": "02", "result": "valid"},
        {"tcId": 2, "comment": "bad tag", "flags": [], "key": "00", "iv": "01", "aad": "",
         "msg": "", "ct": "", "tag": "03", "result": "invalid"}
      ]
    },
    {
      "type": "AeadTest", "keySize": 128,
      "tests": [
        {"tcId": 3, "comment": "", "flags": [], "key": "00"},
        {"tcId": "4", "comment": "", "flags": [], "key": "00", "result": "valid"},
        {"tcId": 5, "comment": "", "flags": [], "key": 7, "result": "maybe"},
        {"tcId": 6, "comment": "", "flags": [], "key": "00", "result": "acceptable"}
      ]
    }
  ]
})";

TEST(WycheproofFiles, EachTestIsARecordWithItsGroupOrItsDamage) {
    const Wycheproof::File file =
        Wycheproof::readFile("aes_gcm_test.json", std::string(wycheproofText));
    EXPECT_EQ(file.algorithm, "AES-GCM");
    EXPECT_EQ(file.schema, "aead_test_schema_v1.json");
    EXPECT_EQ(file.tests, 6u);
    ASSERT_EQ(file.records.size(), 6u);

    const Wycheproof::Test& first = *file.records[0].vector;
    EXPECT_EQ(file.records[0].line, 10u);
    EXPECT_EQ(file.records[0].test, "group=1,tcId=1");
    EXPECT_EQ(first.tcId, 1);
    EXPECT_THAT(first.flags, ElementsAre("Ktv"));
    EXPECT_EQ(first.result, Wycheproof::Result::valid);
    EXPECT_EQ(first.text("tag"), "02");
    EXPECT_EQ(first.group->type, "AeadTest");
    EXPECT_EQ(first.group->fields.find("ivSize")->text, "96");
    EXPECT_EQ(file.records[1].vector->result, Wycheproof::Result::invalid);
    EXPECT_EQ(file.records[5].vector->result, Wycheproof::Result::acceptable);

    EXPECT_EQ(file.records[2].damage, "missing field: result");
    EXPECT_EQ(file.records[3].damage, "tcId is a string, not an integer");
    EXPECT_EQ(file.records[3].test, "group=2");
    EXPECT_EQ(file.records[4].damage,
              "result is not \"valid\", \"invalid\" or \"acceptable\"; key is a number, not a "
              "string");
    EXPECT_EQ(file.records[4].test, "group=2,tcId=5");
}

TEST(WycheproofFiles, AFileWhoseTestsDoNotMakeItsCountOrThatBreaksOffSaysSo) {
    std::string shorter(wycheproofText);
    shorter.replace(shorter.find("\"numberOfTests\": 6"), 18, "\"numberOfTests\": 7");
    const Wycheproof::File counted = Wycheproof::readFile("a.json", shorter);
    EXPECT_EQ(counted.records.back().damage, "numberOfTests is 7, but the file holds 6 tests");

    // Cut inside test 2: test 1 stays a test, and the break is one record after it.
    const std::string cut(wycheproofText.substr(0, wycheproofText.find("\"bad tag\"")));
    const Wycheproof::File broken = Wycheproof::readFile("a.json", cut);
    ASSERT_EQ(broken.records.size(), 2u);
    EXPECT_TRUE(broken.records[0].vector);
    EXPECT_EQ(broken.records[1].test, "after group=1,tcId=1");
    EXPECT_EQ(broken.records[1].line, 12u);
    EXPECT_THAT(broken.records[1].damage,
                HasSubstr("the text stops reading as JSON at line 12, column "));

    const Wycheproof::File notJson = Wycheproof::readFile("a.json", "AES-GCM vectors\n");
    ASSERT_EQ(notJson.records.size(), 1u);
    EXPECT_THAT(notJson.records[0].damage, HasSubstr("stops reading as JSON at line 1"));
    const Wycheproof::File noGroups = Wycheproof::readFile("a.json", "{\"algorithm\": \"X\"}");
    ASSERT_EQ(noGroups.records.size(), 1u);
    EXPECT_EQ(noGroups.records[0].damage, "the file has no \"testGroups\" array");
}

// The damage of a record reaches a failing leaf that names the file, the line and the test.
TEST(WycheproofFiles, ADamagedTestBecomesAFailingLeafNamingFileLineAndTest) {
    Wycheproof::File file = Wycheproof::readFile("aes_gcm_test.json", std::string(wycheproofText));
    ::Test::RecordLedger::Ledger ledger;
    ::Test::RecordTests records(::Test::DataSource("/nowhere", &ledger));
    records.beginFolder(::Test::KatFiles::FolderCheck{"Test/KAT_GCM", 1, {}});
    records.addRecords("Test/KAT_GCM", std::move(file.records),
                       [](::Test::RecordTests& tests, const Wycheproof::Test& test) {
                           tests.add(zorvan::testing::testCase(std::to_string(test.tcId), [] {}));
                       });
    records.endFolder();
    const std::vector<zorvan::testing::Test> tests = std::move(records).take();
    ASSERT_EQ(tests.size(), 6u);
    EXPECT_EQ(ledger.tests, 3u);
    EXPECT_EQ(ledger.failed.size(), 3u);
    EXPECT_EQ(tests[2].name(), "aes_gcm_test.json:19:group=2,tcId=3");
    EXPECT_EQ(ledger.failed.at("missing field: result").first,
              "Test/KAT_GCM/aes_gcm_test.json:19 (group=2,tcId=3)");
}

TEST(Json, LinesAreCountedAcrossLongRunsOfText) {
    // Line feeds in runs far longer than a counting block, then sparse ones between long lines.
    std::string text(1000, '\n');
    for (int line = 0; line < 50; ++line) {
        text.append(std::string(static_cast<std::size_t>(37 * line), 'x')).append("\n");
    }
    Json::LineCounter lines(text);
    EXPECT_EQ(lines.lineAt(0), 1u);
    EXPECT_EQ(lines.lineAt(255), 256u);
    EXPECT_EQ(lines.lineAt(999), 1000u);
    EXPECT_EQ(lines.lineAt(1000), 1001u);
    EXPECT_EQ(lines.lineAt(text.size() - 1), 1050u);
    EXPECT_EQ(lines.lineAt(text.size() + 10), 1051u);
    EXPECT_EQ(Json::placeAt(text, text.size()).line, 1051u);
}

TEST(JsonVectors, AGroupKeepsItsOtherFieldsInOrderAndSaysWhatItsTestsAre) {
    const ::Test::JsonVectors::VectorFile file = ::Test::JsonVectors::readVectorFile(R"({
        "testGroups": [
            {"tgId": 1, "tests": [{"tcId": 1}, {"tcId": 2}], "keyLen": 128, "tests": 7},
            {"tgId": 2, "tests": null},
            {"tgId": 3}
        ],
        "vsId": 5
    })");
    EXPECT_EQ(file.header.find("testGroups"), nullptr);
    EXPECT_EQ(file.header.string("vsId"), std::nullopt);
    ASSERT_EQ(file.groups.size(), 3u);
    const ::Test::JsonVectors::GroupObject& first = file.groups[0];
    ASSERT_EQ(first.fields.members.size(), 2u);
    EXPECT_EQ(first.fields.members[0].name, "tgId");
    EXPECT_EQ(first.fields.members[1].name, "keyLen");
    ASSERT_EQ(first.tests.size(), 2u);
    EXPECT_EQ(first.tests[1].fields.find("tcId")->text, "2");
    EXPECT_EQ(first.tests[1].line, 3u);
    EXPECT_EQ(file.groups[1].damage, "the group's \"tests\" is null, not an array");
    EXPECT_EQ(file.groups[2].damage, "the group has no \"tests\" array");
}

TEST(JsonVectors, FieldDamageNamesWhatIsMissingMistypedAndUnknown) {
    const Json::Document document = Json::parse(R"({"iv": 1, "tga": "00", "key": "00"})");
    constexpr std::string_view needed[] = {"key", "iv", "tag"};
    constexpr std::string_view known[] = {"key", "iv", "tag", "tcId"};
    EXPECT_EQ(::Test::JsonVectors::fieldDamage(document.root, needed, known),
              "missing field: tag; not a string: iv (a number); unknown field: tga");
    EXPECT_EQ(::Test::JsonVectors::fieldDamage(document.root, {}, needed), "unknown field: tga");
}

} // namespace
