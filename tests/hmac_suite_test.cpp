#include <Test/DataSource.hpp>
#include <Test/HMAC.hpp>
#include <Test/HmacVectors.hpp>
#include <Test/KatFiles.hpp>

#include "hash_suite_support.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace hmac = ::Test::HMAC;
namespace openssl = zorvan::openssl;
using hash_suites::failingNames;
using hash_suites::namesOf;
using hash_suites::runUnitLeaves;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zorvan::Bytes;

// Every unit test of a builder's list passes, and there is one per "Count" line of the
// installed sections [L=<length>] (the parser is not trusted to count them).
void expectPassesWithOneTestPerRecord(const std::vector<zorvan::testing::Test>& tests,
                                      const std::string& label, const std::string& length) {
    const std::size_t records = hash_suites::countLines(
        "Test/KAT_HMAC", [](const std::string&) { return true; },
        [&](const std::string& line, const std::string& header) {
            return header == "[L=" + length + "]" && line.starts_with("Count =");
        });
    ::testing::Test::RecordProperty(label, std::to_string(records));
    ASSERT_GT(records, 0u) << label;
    const auto runs = runUnitLeaves(tests);
    EXPECT_EQ(tests.size(), records) << label;
    ASSERT_EQ(runs.size(), records) << label;
    EXPECT_EQ(runs.front().name, "NistHMAC" + label + "-\"0\"");
    EXPECT_THAT(failingNames(runs), IsEmpty()) << label;
}

template <class Backend> class HmacSuite : public ::testing::Test {};
TYPED_TEST_SUITE(HmacSuite, hash_suites::HashBackends, hash_suites::HashBackendNames);

TYPED_TEST(HmacSuite, EveryBuilderPassesWithOneTestPerInstalledRecord) {
    using B = TypeParam;
    const auto witness = zorvan::hashStrict<typename B::SHA1>(Bytes{});
    expectPassesWithOneTestPerRecord(hmac::makeSHA1HMACTests(witness), "SHA1", "20");
    expectPassesWithOneTestPerRecord(hmac::makeSHA224HMACTests<typename B::SHA224>(), "SHA224",
                                     "28");
    expectPassesWithOneTestPerRecord(hmac::makeSHA256HMACTests<typename B::SHA256>(), "SHA256",
                                     "32");
    expectPassesWithOneTestPerRecord(hmac::makeSHA384HMACTests<typename B::SHA384>(), "SHA384",
                                     "48");
    expectPassesWithOneTestPerRecord(hmac::makeSHA512HMACTests<typename B::SHA512>(), "SHA512",
                                     "64");
}

// Truncation: only the first Tlen octets of a MAC are compared, so octets after them may be
// anything, and the octets within them may not.
template <std::size_t goodOctets> struct GarbageAfterFault : hash_suites::NoFault {
    static Bytes afterMac(Bytes mac) {
        return mac.take(goodOctets)
            .concat(Bytes(std::vector<std::uint8_t>(mac.size() - goodOctets, 0xa5)));
    }
};
struct FirstOctetFault : hash_suites::NoFault {
    static Bytes afterMac(Bytes mac) { return hash_suites::flipFirstOctet(std::move(mac)); }
};

TEST(HmacSuiteFaults, OctetsBeyondTlenAreNotComparedAndThoseWithinAre) {
    std::multiset<std::string> tlenOver12;
    std::multiset<std::string> all;
    const auto folder =
        ::Test::KatFiles::readFolder(::Test::DataSource(), "Test/KAT_HMAC", "Count");
    for (const auto& file : folder.files) {
        for (const auto& section : file.categories) {
            for (const auto& record : section.records) {
                if (section.property("L") != "20") {
                    continue;
                }
                const std::string name = "NistHMACSHA1-" + hmac::quoteCount(*record.field("Count"));
                all.insert(name);
                if (std::stoi(std::string(*record.field("Tlen"))) > 12) {
                    tlenOver12.insert(name);
                }
            }
        }
    }
    ASSERT_FALSE(tlenOver12.empty());
    ASSERT_NE(tlenOver12.size(), all.size());

    using GarbageAfter12 = hash_suites::FaultyDigest<openssl::SHA1, GarbageAfterFault<12>>;
    EXPECT_EQ(failingNames(runUnitLeaves(hmac::makeSHA1HMACTests<GarbageAfter12>())), tlenOver12);
    using FirstOctetWrong = hash_suites::FaultyDigest<openssl::SHA1, FirstOctetFault>;
    EXPECT_EQ(failingNames(runUnitLeaves(hmac::makeSHA1HMACTests<FirstOctetWrong>())), all);
}

TEST(HmacSuiteFiles, ReadsEveryFileAndKeepsTheSectionsWhoseLMatches) {
    const TemporaryDataDirectory data;
    const std::string record = "Tlen = 1\nKey = 00\nMsg = 00\nMac = 00\n";
    data.write("Test/KAT_HMAC/HMAC.rsp",
               "[L=20]\nCount = 0\n" + record + "Count = 1\n" + record +
                   "Count = 8\nKey = 00\nMsg = 00\nMac = 00\n" + "[L = 28]\nCount = 2\n" + record +
                   "[L=32]\nCount = 3\n" + record + "[Other = 20]\nCount = 4\n" + record +
                   "[L=99]\nCount = 5\n" + record);
    data.write("Test/KAT_HMAC/more.txt", "[L=20]\nCount = 0\n" + record);
    data.write("Test/KAT_HMAC/inner/HMAC.rsp", "[L=20]\nCount = 9\n" + record);

    const auto namesIn = [](const std::vector<zorvan::testing::Test>& tests) {
        std::multiset<std::string> names;
        for (const auto& leaf : zorvan::testing::flatten(tests)) {
            names.insert(leaf.name);
        }
        return names;
    };
    // The records of the other hashes' sections are theirs, the damaged one among them too;
    // those of a section of no hash's length, or without one, fail every suite.
    EXPECT_EQ(namesIn(hmac::makeSHA1HMACTests<openssl::SHA1>()),
              (std::multiset<std::string>{"NistHMACSHA1-\"0\"", "NistHMACSHA1-\"0\"",
                                          "NistHMACSHA1-\"1\"", "HMAC.rsp:12", "HMAC.rsp:29",
                                          "HMAC.rsp:35"}));
    EXPECT_EQ(namesIn(hmac::makeSHA224HMACTests<openssl::SHA224>()),
              (std::multiset<std::string>{"NistHMACSHA224-\"2\"", "HMAC.rsp:29", "HMAC.rsp:35"}));
    const auto sha384 = runUnitLeaves(hmac::makeSHA384HMACTests<openssl::SHA384>());
    EXPECT_EQ(failingNames(sha384),
              (std::multiset<std::string>{"HMAC.rsp:29", "HMAC.rsp:35", "KAT_HMAC"}));
    EXPECT_THAT(sha384[0].report, ::testing::HasSubstr("HMAC.rsp:29: a section without [L=...]"));
    EXPECT_THAT(sha384[1].report,
                ::testing::HasSubstr("HMAC.rsp:35: a section of no hash's digest length: [L=99]"));
    EXPECT_THROW(hmac::getTests<openssl::SHA1>("MD5"), std::invalid_argument);
}

TEST(HmacSuiteFiles, AnEmptyDirectoryFailsTheSuiteAndAMissingOneFailsTheCall) {
    const TemporaryDataDirectory data;
    EXPECT_THROW(hmac::makeSHA1HMACTests<openssl::SHA1>(), ::Test::KatFiles::KatDirectoryError);
    data.makeFolder("Test/KAT_HMAC");
    EXPECT_THAT(failingNames(runUnitLeaves(hmac::makeSHA1HMACTests<openssl::SHA1>())),
                ElementsAre("KAT_HMAC"));
}

TEST(HmacSuiteRuns, ComparesTheFirstTlenOctetsOfBothMacsWithMac) {
    const TemporaryDataDirectory data;
    // RFC 2202, HMAC-SHA-1 test case 1.
    const std::string vector = "Key = 0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b\n"
                               "Msg = 4869205468657265\n";
    const std::string mac = "b617318655057264e28bc0b6fb378c8ef146be00";
    data.write("Test/KAT_HMAC/HMAC.rsp",
               "[L=20]\n"
               "Count = whole\nTlen = 20\n" +
                   vector + "Mac = " + mac + "\nCount = cut\nTlen = 10\n" + vector +
                   "Mac = " + mac.substr(0, 20) + "\nCount = uncut\nTlen = 10\n" + vector +
                   "Mac = " + mac + "\nCount = none\nTlen = 0\n" + vector +
                   "Mac =" + "\nCount = beyond\nTlen = 100\n" + vector + "Mac = " + mac +
                   "\nCount = unread\nTlen = 1O\n" + vector + "Mac = " + mac.substr(0, 20) + "\n");
    const auto runs = runUnitLeaves(hmac::makeSHA1HMACTests<openssl::SHA1>());
    ASSERT_EQ(runs.size(), 6u);
    // A Tlen that is not the length of the Mac it cuts is damage, not a longer comparison.
    EXPECT_THAT(failingNames(runs), ElementsAre("NistHMACSHA1-\"beyond\"", "NistHMACSHA1-\"uncut\"",
                                                "NistHMACSHA1-\"unread\""));
    EXPECT_THAT(runs[2].report, ::testing::HasSubstr("HMAC.rsp:12: Tlen = 10, but Mac holds 20 "
                                                     "octets"));
    EXPECT_THAT(runs[4].report, ::testing::HasSubstr("Tlen = 100, but Mac holds 20 octets"));
    EXPECT_THAT(runs[5].report, ::testing::HasSubstr("\"1O\""));
}

TEST(HmacSuiteNames, QuotesTheCountWithEscapes) {
    EXPECT_EQ(hmac::quoteCount("17"), "\"17\"");
    EXPECT_EQ(hmac::quoteCount(""), "\"\"");
    EXPECT_EQ(hmac::quoteCount("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(hmac::quoteCount("\xc3\xa9"), "\"\\233\"");
    EXPECT_EQ(hmac::quoteCount("\x01"
                               "2\x7f"
                               "x"),
              "\"\\1\\&2\\127x\"");
}

// The library's own suites name a vector so that a shell takes the name as one plain word.
TEST(HmacSuiteNames, APlainCountHoldsNothingAShellWouldSplitOrQuote) {
    EXPECT_EQ(hmac::plainCount("17"), "17");
    EXPECT_EQ(hmac::plainCount("a-1.b_2"), "a-1.b_2");
    EXPECT_EQ(hmac::plainCount("a \"b'c*\xc3\xa9"), "a__b_c___");
}

} // namespace
