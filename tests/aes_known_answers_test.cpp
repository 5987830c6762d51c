// The non-generic half of the AES suite: which files and records yield vectors, and how.

#include <Test/AesFiles.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

namespace aes = ::Test::AES;
using ::Test::KatFiles::KatFile;
using ::testing::ElementsAre;
using ::testing::Field;

KatFile file(std::string name, std::string_view text) {
    return {.path = "/kat/" + name,
            .name = name,
            .categories = ::Test::ParseNistKATs::parseCategories("COUNT", text)};
}

// The known answers the files give, leaving out the records that give none.
std::vector<aes::KnownAnswer> knownAnswers(std::vector<KatFile> files) {
    std::vector<aes::KnownAnswer> vectors;
    for (aes::AesRecord& record : aes::knownAnswers({"Test/KAT_AES", std::move(files), {}})) {
        if (record.vector) {
            vectors.push_back(std::move(*record.vector));
        }
    }
    return vectors;
}

std::vector<std::string> namesOf(const std::vector<aes::KnownAnswer>& vectors) {
    std::vector<std::string> names;
    for (const aes::KnownAnswer& vector : vectors) {
        names.push_back(vector.name);
    }
    return names;
}

constexpr std::string_view cbcRecord = "[ENCRYPT]\n"
                                       "COUNT = 0\nKEY = 00\nIV = 0102\n"
                                       "PLAINTEXT = aa\nCIPHERTEXT = bb\n";

TEST(AESModeCode, TakesTheNamesFirstThreeCharactersAndItsStemsLast) {
    EXPECT_EQ(aes::modeCode("ECBGFSbox128-e.rsp"), "ECBe");
    EXPECT_EQ(aes::modeCode("CFB128MMT256-d.rsp"), "CFBd");
    EXPECT_EQ(aes::modeCode("CB"), "CBB");
    // Only full-block CFB is served; CFB1 and CFB8 files must not run as CFB128.
    EXPECT_EQ(aes::modeCode("CFB8MMT128-e.rsp"), "THIS IS NOT A SUPPORTED CIPHER");
    EXPECT_EQ(aes::modeCode(".rsp"), std::nullopt);
    EXPECT_EQ(aes::operationFor("CBCd"), aes::Operation::unCbc);
    EXPECT_EQ(aes::operationFor("THIS IS NOT A SUPPORTED CIPHER"), std::nullopt);
    EXPECT_EQ(aes::operationFor("ecbe"), std::nullopt);
}

TEST(AESKnownAnswers, EachFileKeepsItsOwnRecordsWhateverSectionsTheOthersHold) {
    const std::vector<KatFile> files{
        file("ECBempty-d.rsp", "# only a comment\n"),
        file("CBCsample-e.rsp", cbcRecord),
        file("OFBtwo-d.rsp", "[ENCRYPT]\nCOUNT = 1\nKEY = 00\nIV = 00\nPLAINTEXT = 01\n"
                             "CIPHERTEXT = 02\n[DECRYPT]\nCOUNT = 2\nKEY = 00\nIV = 00\n"
                             "CIPHERTEXT = 03\nPLAINTEXT = 04\n"),
        file("ECBlast-e.rsp", "[ENCRYPT]\nCOUNT = 3\nKEY = 00\nPLAINTEXT = 05\nCIPHERTEXT = 06\n"),
    };
    const auto vectors = knownAnswers(files);
    EXPECT_THAT(namesOf(vectors), ElementsAre("CBCsample-e.rsp-0", "OFBtwo-d.rsp-1",
                                              "OFBtwo-d.rsp-2", "ECBlast-e.rsp-3"));
    ASSERT_EQ(vectors.size(), 4u);
    EXPECT_EQ(vectors[0].operation, aes::Operation::cbc);
    EXPECT_EQ(vectors[0].ivHex, "0102");
    EXPECT_EQ(vectors[0].inputHex, "aa");
    EXPECT_EQ(vectors[0].answerHex, "bb");
    EXPECT_EQ(vectors[2].operation, aes::Operation::unOfb);
    EXPECT_EQ(vectors[2].inputHex, "03");
    EXPECT_EQ(vectors[2].answerHex, "04");
    EXPECT_EQ(vectors[3].operation, aes::Operation::encryptBlock);
}

TEST(AESKnownAnswers, SaysWhyEachRecordThatCannotYieldATestGivesNone) {
    const std::vector<KatFile> files{
        file("CBCnoiv-e.rsp", "COUNT = 0\nKEY = 00\nPLAINTEXT = 01\nCIPHERTEXT = 02\n"
                              "COUNT = 1\nKEY = 00\nIV = 00\nPLAINTEXT = 01\n"),
        file("CFB8MMT128-e.rsp", cbcRecord),
        file(".rsp", cbcRecord),
        file("README", cbcRecord),
        file("CFB128same-e.rsp", "COUNT = 5\nKEY = 00\nIV = 00\nPLAINTEXT = 01\nCIPHERTEXT = 02\n"
                                 "COUNT = 5\nKEY = 01\nIV = 00\nPLAINTEXT = 03\nCIPHERTEXT = 04\n"),
        file("ECBiv-d.rsp", cbcRecord),
    };
    std::vector<std::string> fates;
    for (const aes::AesRecord& record : aes::knownAnswers({"Test/KAT_AES", files, {}})) {
        fates.push_back(
            record.fileName + ":" + std::to_string(record.line) + " " +
            (record.vector ? record.vector->name : record.damage + record.otherVariant));
    }
    const std::string noMode = "the file name names no mode and direction (ECB, CBC, CFB128 or "
                               "OFB, then -e or -d before the extension)";
    EXPECT_THAT(
        fates, ElementsAre("CBCnoiv-e.rsp:1 missing field: IV",
                           "CBCnoiv-e.rsp:5 missing field: CIPHERTEXT",
                           "CFB8MMT128-e.rsp:2 a CFB mode other than CFB128", ".rsp:2 " + noMode,
                           "README:2 " + noMode, "CFB128same-e.rsp:1 CFB128same-e.rsp-5",
                           "CFB128same-e.rsp:6 CFB128same-e.rsp-5", "ECBiv-d.rsp:2 ECBiv-d.rsp-0"));
}

TEST(AESKnownAnswers, KeepsKeyIVInputAndAnswerAsTextForTheCipherAndTheTest) {
    const auto vectors = knownAnswers({file("CBCx-e.rsp", "COUNT = 0\nKEY = g0\nIV = 0\n"
                                                          "PLAINTEXT = zz\nCIPHERTEXT = 0\n")});
    ASSERT_EQ(vectors.size(), 1u);
    EXPECT_EQ(vectors[0].keyHex, "g0");
    EXPECT_EQ(vectors[0].ivHex, "0");
    EXPECT_EQ(vectors[0].inputHex, "zz");
}

// Each file meets its own records in every listing order. Pairing the files, in order, with
// the sections of all files taken together gives other tests in every one of these orders,
// as one file has no section and another two.
TEST(AESKnownAnswers, EachFileKeepsItsOwnRecordsInEveryListingOrder) {
    std::vector<std::pair<std::string, std::vector<std::string>>> listing{
        {"CBCone-e.rsp", {"CBCone-e.rsp-0"}},
        {"ECBnone-d.rsp", {}},
        {"OFBtwo-d.rsp", {"OFBtwo-d.rsp-1", "OFBtwo-d.rsp-2"}},
        {"ECBone-e.rsp", {"ECBone-e.rsp-3"}},
    };
    const std::map<std::string, std::string, std::less<>> texts{
        {"CBCone-e.rsp", std::string(cbcRecord)},
        {"ECBnone-d.rsp", "# only a comment\n"},
        {"OFBtwo-d.rsp", "[ENCRYPT]\nCOUNT = 1\nKEY = 00\nIV = 00\nPLAINTEXT = 01\n"
                         "CIPHERTEXT = 02\n[DECRYPT]\nCOUNT = 2\nKEY = 00\nIV = 00\n"
                         "CIPHERTEXT = 03\nPLAINTEXT = 04\n"},
        {"ECBone-e.rsp", "[ENCRYPT]\nCOUNT = 3\nKEY = 00\nPLAINTEXT = 05\nCIPHERTEXT = 06\n"},
    };
    std::ranges::sort(listing);
    int orders = 0;
    do {
        std::vector<KatFile> files;
        std::vector<std::string> expected;
        for (const auto& [name, names] : listing) {
            files.push_back(file(name, texts.find(name)->second));
            expected.insert(expected.end(), names.begin(), names.end());
        }
        EXPECT_EQ(namesOf(knownAnswers(files)), expected) << "listing starting " << files[0].name;
        ++orders;
    } while (std::ranges::next_permutation(listing).found);
    EXPECT_EQ(orders, 24);
}

} // namespace
