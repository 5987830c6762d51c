#include <Test/ParseNistKATs.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

namespace Test::ParseNistKATs {

// Readable failure reports for the parser's types.
void PrintTo(const KatField& field, std::ostream* out) {
    *out << "(" << field.name << ", " << field.value << ")";
}

} // namespace Test::ParseNistKATs

namespace {

using namespace Test::ParseNistKATs;

using Fields = std::vector<KatField>;

std::vector<KatCategory> parse(std::string_view text, std::string_view startName = "COUNT") {
    return parseCategories(startName, text);
}

// The one field or property a single-line text gives.
KatField onlyFieldOf(std::string_view line) {
    const std::vector<KatCategory> categories = parse(std::string("COUNT = 0\n").append(line));
    EXPECT_EQ(categories.size(), 1u);
    const Fields& fields = categories.at(0).records.at(0).fields;
    EXPECT_EQ(fields.size(), 2u) << line;
    return fields.at(1);
}

KatField onlyPropertyOf(std::string_view line) {
    const std::vector<KatCategory> categories = parse(line);
    EXPECT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories.at(0).properties.size(), 1u) << line;
    return categories.at(0).properties.at(0);
}

TEST(SplitLines, CutsAtLineFeedsOnlyAndAddsNoLineAfterTheLastOne) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("a"), Lines{"a"});
    EXPECT_EQ(splitLines("a\n"), Lines{"a"});
    EXPECT_EQ(splitLines("\n"), Lines{""});
    EXPECT_EQ(splitLines("a\r\n\nb"), (Lines{"a\r", "", "b"}));
}

TEST(FilterLines, DropsCommentsAndBlankLinesAndRemovesCarriageReturns) {
    const std::vector<std::string_view> lines{
        "# comment", " # not a comment", "", " \t ", "\r", "\u3000\u00a0", "K\r=\rV\r", "\u2028"};
    EXPECT_EQ(filterLines(lines), (std::vector<std::string>{" # not a comment", "K=V", "\u2028"}));
}

TEST(ParseCategories, TextsWithoutUsableLinesGiveNoCategories) {
    EXPECT_TRUE(parse("").empty());
    EXPECT_TRUE(parse("# CAVS 11.1\n\n  \t\n\r\n#[ENCRYPT]\n").empty());
}

TEST(ParseCategories, GroupsHeaderRunAndRecordsOfASection) {
    const std::vector<KatCategory> categories =
        parse("[ENCRYPT]\nCOUNT = 0\nKEY = 00 11\nCOUNT = 1\nKEY = 22\n");
    ASSERT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories[0].properties, (Fields{{"ENCRYPT", ""}}));
    ASSERT_EQ(categories[0].records.size(), 2u);
    EXPECT_EQ(categories[0].records[0].fields, (Fields{{"COUNT", "0"}, {"KEY", "0011"}}));
    EXPECT_EQ(categories[0].records[1].fields, (Fields{{"COUNT", "1"}, {"KEY", "22"}}));
}

TEST(ParseCategories, HeaderLinesLoseEveryBracketAndAreTrimmedAtBothEnds) {
    EXPECT_EQ(onlyPropertyOf("[L=20]"), (KatField{"L", "20"}));
    EXPECT_EQ(onlyPropertyOf("[ Key Length = 128 ]"), (KatField{"Key Length", "128"}));
    EXPECT_EQ(onlyPropertyOf("[A]B[=C]"), (KatField{"AB", "C"}));
    EXPECT_EQ(onlyPropertyOf("[ENCRYPT]"), (KatField{"ENCRYPT", ""}));
    EXPECT_EQ(onlyPropertyOf("[\u00a0L\u2000=\t20\u3000]"), (KatField{"L", "20"}));
    EXPECT_EQ(onlyPropertyOf("[\u0085L=20\u2028]"), (KatField{"\u0085L", "20\u2028"}))
        << "U+0085 and U+2028 are no white space";
}

TEST(ParseCategories, BodyLinesLoseAllWhiteSpaceAndSplitAtTheFirstEqualsSign) {
    EXPECT_EQ(onlyFieldOf("Msg ="), (KatField{"Msg", ""}));
    EXPECT_EQ(onlyFieldOf("CIPHERTEXT"), (KatField{"CIPHERTEXT", ""}));
    EXPECT_EQ(onlyFieldOf("A=B=C"), (KatField{"A", "B=C"}));
    EXPECT_EQ(onlyFieldOf("  # note"), (KatField{"#note", ""}));
    EXPECT_EQ(onlyFieldOf(" [X]"), (KatField{"[X]", ""}));
    EXPECT_EQ(onlyFieldOf("K E Y\t=\v00\f11\u00a022\u1680 33\u202f44\u205f55"),
              (KatField{"KEY", "001122334455"}));
    EXPECT_EQ(onlyFieldOf("KEY = 00\u008511\u2029"), (KatField{"KEY", "00\u008511\u2029"}));
}

TEST(ParseCategories, StrayBytesAreKeptAsTheyAreAndAreNoWhiteSpace) {
    // 0xC2 0xA0 is U+00A0; split by a space, each byte is a character of its own.
    EXPECT_EQ(onlyFieldOf("KEY = 00\xc2\xa0"
                          "11"),
              (KatField{"KEY", "0011"}));
    EXPECT_EQ(onlyFieldOf("KEY = \xc2 \xa0\xff\xe2\x80"),
              (KatField{"KEY", "\xc2\xa0\xff\xe2\x80"}));
    EXPECT_EQ(onlyPropertyOf("[ \xe3\x80 ]"), (KatField{"\xe3\x80", ""}));
    // Overlong forms of U+0020 and U+00A0 are stray bytes too, not white space.
    EXPECT_EQ(onlyFieldOf("KEY = \xc0\xa0\xe0\x80\xa0\xe0\x82\xa0"),
              (KatField{"KEY", "\xc0\xa0\xe0\x80\xa0\xe0\x82\xa0"}));
}

TEST(ParseCategories, HeaderRunsOpenCategoriesThatRecordsNeverCross) {
    const std::vector<KatCategory> categories = parse("COUNT = 9\n"
                                                      "[ENCRYPT]\n[KEYSIZE = 128]\n"
                                                      "KEY = 01\nCOUNT = 0\nKEY = 02\n"
                                                      "[DECRYPT]\nKEY = 03\n"
                                                      "[L=20]\n[L=28]\n");
    ASSERT_EQ(categories.size(), 4u);
    EXPECT_TRUE(categories[0].properties.empty());
    EXPECT_EQ(categories[0].records, (std::vector<KatRecord>{{{{"COUNT", "9"}}}}));
    EXPECT_EQ(categories[1].properties, (Fields{{"ENCRYPT", ""}, {"KEYSIZE", "128"}}));
    EXPECT_EQ(categories[1].records, (std::vector<KatRecord>{{{{"COUNT", "0"}, {"KEY", "02"}}}}))
        << "the stray KEY before the first COUNT is discarded";
    EXPECT_EQ(categories[2].properties, (Fields{{"DECRYPT", ""}}));
    EXPECT_TRUE(categories[2].records.empty()) << "KEY = 03 does not join the record above";
    EXPECT_EQ(categories[3].properties, (Fields{{"L", "20"}, {"L", "28"}}));
    EXPECT_TRUE(categories[3].records.empty());
}

TEST(ParseCategories, OnlyTheExactStartNameOpensARecord) {
    const std::vector<KatCategory> categories =
        parse("COUNT = 0\ncount = 1\nCount = 2\nCOUNTER = 3\n");
    ASSERT_EQ(categories.size(), 1u);
    ASSERT_EQ(categories[0].records.size(), 1u);
    EXPECT_EQ(categories[0].records[0].fields.size(), 4u);
    EXPECT_EQ(categories[0].records[0].field("Count"), "2");
    EXPECT_EQ(categories[0].records[0].field("COUNT"), "0");
    EXPECT_EQ(categories[0].records[0].field("KEY"), std::nullopt);
}

TEST(ParseCategories, FirstFieldOfANameCountsWhenNamesRepeat) {
    const std::vector<KatCategory> categories = parse("[L=20]\n[L=28]\nCOUNT=0\nK=1\nK=2\n");
    ASSERT_EQ(categories.size(), 1u);
    EXPECT_EQ(categories[0].property("L"), "20");
    EXPECT_EQ(categories[0].records.at(0).field("K"), "1");
}

constexpr std::string_view lineFeedFile = "# CAVS 11.1\n"
                                          "# Key Length : 128\n"
                                          "\n"
                                          "[ENCRYPT]\n"
                                          "\n"
                                          "COUNT = 0\n"
                                          "KEY = 1f8e4973953f3fb0bd6b16662e9a3c17\n"
                                          "IV = 2fe2b333ceda8f98f4a99b40d2cd34a8\n"
                                          "PLAINTEXT = 45cf12964fc824ab76616ae2f4bf0822\n"
                                          "\n"
                                          "[DECRYPT]\n"
                                          "\n"
                                          "COUNT = 0\n"
                                          "CIPHERTEXT =\n";

std::string withCarriageReturnsBeforeLineFeeds(std::string_view text) {
    std::string converted;
    for (const char character : text) {
        if (character == '\n') {
            converted += '\r';
        }
        converted += character;
    }
    return converted;
}

TEST(ParseCategories, CrlfFileParsesExactlyLikeItsLineFeedTwin) {
    const std::vector<KatCategory> categories = parse(lineFeedFile);
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].records.at(0).fields.size(), 4u);
    EXPECT_EQ(parse(withCarriageReturnsBeforeLineFeeds(lineFeedFile)), categories);
}

// parseCategories skips carriage returns where it stands instead of copying each line
// without them; the result must be the same wherever they stand.
TEST(ParseCategories, AgreesWithTheLineFunctionsWhereverCarriageReturnsStand) {
    const std::string_view text = "\r[A\rB = 1\r]\r\n"
                                  "\r# not a comment\n"
                                  "[ENCRYPT]\r\r\n"
                                  "\r[KEYSIZE\r=\r128]\n"
                                  "\r\rCOUNT\r=\r0\r\n"
                                  "\r\n"
                                  "KEY = 0\r1\n"
                                  "\r";
    const std::vector<KatCategory> categories = parse(text);
    EXPECT_EQ(categories, getCategories("COUNT", filterLines(splitLines(text))));
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].properties, (Fields{{"AB", "1"}}));
    EXPECT_TRUE(categories[0].records.empty()) << "#notacomment precedes any COUNT";
    EXPECT_EQ(categories[1].properties, (Fields{{"ENCRYPT", ""}, {"KEYSIZE", "128"}}));
    EXPECT_EQ(categories[1].records.at(0).fields, (Fields{{"COUNT", "0"}, {"KEY", "01"}}));
}

TEST(GetCategories, TreatsUnfilteredLinesAsBodyLines) {
    const std::vector<std::string_view> lines{"COUNT = 1", "", "# c", "[X\r]", "K\r= 1"};
    const std::vector<KatCategory> categories = getCategories("COUNT", lines);
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].records.at(0).fields, (Fields{{"COUNT", "1"}, {"", ""}, {"#c", ""}}));
    EXPECT_EQ(categories[1].properties, (Fields{{"X", ""}}));
    EXPECT_TRUE(categories[1].records.empty());
}

// Where a field stood: lines count from 1 at line feeds, comments, blank lines and a
// carriage-return line ending included, and skipped lines still take their numbers.
TEST(ParseCategories, FieldsAndRecordsKnowTheLineTheyStandOn) {
    const std::vector<KatCategory> categories =
        parse("# comment\r\n\r\n[L=20]\r\n[X]\nFIELD = before any record\nCOUNT = 0\n"
              "  \nKEY = 00\n\n[L=32]\nCOUNT = 1\n");
    ASSERT_EQ(categories.size(), 2u);
    EXPECT_EQ(categories[0].properties.at(0).line, 3u);
    EXPECT_EQ(categories[0].properties.at(1).line, 4u);
    const KatRecord& first = categories[0].records.at(0);
    EXPECT_EQ(first.line(), 6u);
    EXPECT_EQ(first.fields.at(1).line, 8u);
    EXPECT_EQ(categories[1].properties.at(0).line, 10u);
    EXPECT_EQ(categories[1].records.at(0).line(), 11u);
}

// Lines given already filtered have lost their places; the results still compare equal, as
// where a field stood is not part of what it says.
TEST(GetCategories, FieldsOfFilteredLinesKnowNoLineAndCompareEqualToParsedOnes) {
    const std::string_view text = "# c\nCOUNT = 0\nKEY = 11\n";
    const std::vector<std::string_view> lines = splitLines(text);
    const std::vector<KatCategory> grouped = getCategories("COUNT", filterLines(lines));
    EXPECT_EQ(grouped.at(0).records.at(0).line(), 0u);
    EXPECT_EQ(grouped, parse(text));
    EXPECT_NE((KatField{"KEY", "11", 3}), (KatField{"KEY", "12", 3}));
}

#ifdef ZORVAN_SHARED_VECTORS_DIR

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

// Records a file should hold: one per line that starts with the record-start name.
std::size_t countRecordStartLines(std::string_view text, std::string_view startName) {
    std::size_t count = 0;
    for (const std::string_view line : splitLines(text)) {
        const std::string_view rest = line.substr(std::min(line.size(), startName.size()));
        count += line.starts_with(startName) && rest.find_first_not_of(' ') != std::string::npos &&
                 rest[rest.find_first_not_of(' ')] == '=';
    }
    return count;
}

struct VectorFolder {
    std::string_view name;
    std::string_view startName;
    std::vector<std::string_view> neededFields;
};

TEST(ParseCategories, PublishedNistFilesParseIntoWholeRecordsOfHexValues) {
    const std::vector<VectorFolder> folders{
        {"nist-sha", "Len", {"Len", "Msg", "MD"}},
        {"nist-aes", "COUNT", {"COUNT", "KEY", "PLAINTEXT", "CIPHERTEXT"}},
        {"hmac", "Count", {"Count", "Klen", "Tlen", "Key", "Msg", "Mac"}},
    };
    std::size_t recordsSeen = 0;
    for (const VectorFolder& folder : folders) {
        const std::filesystem::path directory =
            std::filesystem::path(ZORVAN_SHARED_VECTORS_DIR) / folder.name;
        for (const auto& entry : std::filesystem::directory_iterator(directory)) {
            const std::string text = readFile(entry.path());
            const std::vector<KatCategory> categories = parse(text, folder.startName);
            SCOPED_TRACE(entry.path().string());
            ASSERT_FALSE(categories.empty());
            std::size_t records = 0;
            for (const KatCategory& category : categories) {
                EXPECT_FALSE(category.properties.empty());
                for (const KatRecord& record : category.records) {
                    for (const std::string_view name : folder.neededFields) {
                        EXPECT_TRUE(record.field(name).has_value()) << name;
                    }
                    for (const KatField& field : record.fields) {
                        EXPECT_EQ(field.value.find_first_not_of("0123456789abcdefABCDEF"),
                                  std::string::npos)
                            << field.name << " = " << field.value;
                    }
                }
                records += category.records.size();
            }
            EXPECT_EQ(records, countRecordStartLines(text, folder.startName));
            recordsSeen += records;
        }
    }
    EXPECT_GT(recordsSeen, 10000u);
}

#endif

} // namespace
