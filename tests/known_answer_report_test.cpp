// What a failing known-answer leaf of each suite reports: the values labelled "computed" and
// "known answer", and where the vector stands with its fields.

#include <Test/AES.hpp>
#include <Test/AESCTR.hpp>
#include <Test/HMAC.hpp>
#include <Test/HashSweep.hpp>
#include <Test/MD5.hpp>
#include <Test/Md5Vectors.hpp>
#include <Test/RFCHMAC.hpp>
#include <Test/SHA.hpp>
#include <Test/TwoFish.hpp>

#include "hash_suite_support.hpp"
#include "temporary_data_directory.hpp"

#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using zorvan::testing::LeafStatus;

const std::string zeroBlock(32, '0');

// The report of the unit leaf named `name`, which must fail; its occurrence-th such leaf.
std::string failureReport(const std::vector<zorvan::testing::Test>& tests, const std::string& name,
                          std::size_t occurrence = 1) {
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tests)) {
        if (leaf.name == name && --occurrence == 0) {
            const zorvan::testing::LeafOutcome outcome = zorvan::testing::runLeaf(leaf, {});
            EXPECT_EQ(outcome.status, LeafStatus::failed) << name;
            return outcome.report();
        }
    }
    ADD_FAILURE() << "no leaf " << name;
    return {};
}

TEST(KnownAnswerReport, AesNamesTheFileLineAndFieldsOfItsRecord) {
    TemporaryDataDirectory data;
    data.write("Test/KAT_AES/CBCMMT128-e.rsp", "# CAVS 11.1\r\n# CBCMMT128\r\n\r\n[ENCRYPT]\r\n\r\n"
                                               "COUNT = 0\r\nKEY = " +
                                                   zeroBlock + "\r\nIV = " + zeroBlock +
                                                   "\r\nPLAINTEXT = " + zeroBlock +
                                                   "\r\nCIPHERTEXT = " + zeroBlock + "\r\n");
    const std::string report =
        failureReport(::Test::AES::makeAESTests<zorvan::openssl::AES128>(), "CBCMMT128-e.rsp-0");
    EXPECT_THAT(report, AllOf(HasSubstr("CBCMMT128-e.rsp-0\n"),
                              HasSubstr("\n  computed:     66e94bd4ef8a2c3b884cfa59ca342b2e\n"
                                        "  known answer: " +
                                        zeroBlock + "\n"),
                              HasSubstr("\n  vector: Test/KAT_AES/CBCMMT128-e.rsp:6 (record 1)\n"
                                        "    COUNT = 0\n    KEY = " +
                                        zeroBlock + "\n    IV = " + zeroBlock +
                                        "\n    PLAINTEXT = " + zeroBlock +
                                        "\n    CIPHERTEXT = " + zeroBlock + "\n  at "),
                              Not(HasSubstr("expected:")), Not(HasSubstr("actual:"))));
}

TEST(KnownAnswerReport, ShaCountsRecordsOfTheFileAndShortensLongFields) {
    TemporaryDataDirectory data;
    const std::string longMessage(300, 'a');
    data.write("Test/KAT_SHA/SHA256ShortMsg.rsp",
               "[L = 32]\n\nLen = 8\nMsg = 61\nMD = "
               "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb\n\n"
               "Len = 1200\nMsg = " +
                   longMessage + "\nMD = " + zeroBlock + zeroBlock + "\n");
    const std::string report =
        failureReport(::Test::SHA::makeSHA256Tests<zorvan::openssl::SHA256>(), "NistSHA256-2");
    const std::string shortened =
        std::string(48, 'a') + "..." + std::string(48, 'a') + " (300 characters)";
    EXPECT_THAT(report, AllOf(HasSubstr("\n  computed:     ("),
                              HasSubstr("\n  known answer: (" + zeroBlock + zeroBlock + ", "),
                              HasSubstr("\n  vector: Test/KAT_SHA/SHA256ShortMsg.rsp:7 (record 2)\n"
                                        "    Len = 1200\n    Msg = " +
                                        shortened + "\n    MD = " + zeroBlock + zeroBlock + "\n")));
}

TEST(KnownAnswerReport, HmacNumbersRecordsAcrossTheSectionsOfItsFile) {
    TemporaryDataDirectory data;
    data.write("Test/KAT_HMAC/HMAC.rsp", "[L=20]\n\nCount = 0\nKlen = 1\nTlen = 1\nKey = 00\n"
                                         "Msg = 00\nMac = 00\n\n[L=32]\n\nCount = 5\nKlen = 1\n"
                                         "Tlen = 2\nKey = 00\nMsg = 00\nMac = 0000\n");
    const std::string report = failureReport(
        ::Test::HMAC::makeSHA256HMACTests<zorvan::openssl::SHA256>(), "NistHMACSHA256-\"5\"");
    EXPECT_THAT(report, AllOf(HasSubstr("\n  computed:     ("),
                              HasSubstr("\n  known answer: (0000, 0000)\n"),
                              HasSubstr("\n  vector: Test/KAT_HMAC/HMAC.rsp:12 (record 2)\n"
                                        "    Count = 5\n    Klen = 1\n    Tlen = 2\n"
                                        "    Key = 00\n    Msg = 00\n    Mac = 0000\n")));
}

TEST(KnownAnswerReport, TwofishNamesTheDesignersFile) {
    TemporaryDataDirectory data;
    data.write("Test/KAT_TWOFISH/ECB_TBL.TXT",
               "FILENAME:  \"ecb_tbl.txt\"\n\n==========\n\nKEYSIZE=128\n\nI=1\nKEY=" + zeroBlock +
                   "\nPT=" + zeroBlock + "\nCT=" + zeroBlock + "\n");
    const std::string report =
        failureReport(::Test::TwoFish::makeTwoFishTests<zorvan::nettle::Twofish>(), "ECB-TLB-E-1");
    EXPECT_THAT(report, AllOf(HasSubstr("\n  computed:     9f589f5cf6122c32b6bfec2f2ae8c35a\n"
                                        "  known answer: " +
                                        zeroBlock + "\n"),
                              HasSubstr("\n  vector: Test/KAT_TWOFISH/ECB_TBL.TXT:7 (record 1)\n"
                                        "    I = 1\n    KEY = " +
                                        zeroBlock + "\n    PT = " + zeroBlock +
                                        "\n    CT = " + zeroBlock + "\n")));
}

struct FlipFirstOctet : hash_suites::NoFault {
    static zorvan::Bytes afterHashing(zorvan::Bytes digest, std::size_t /*octetsFed*/) {
        return hash_suites::flipFirstOctet(digest);
    }
};

TEST(KnownAnswerReport, Md5NamesItsRowOfRfc1321) {
    using BrokenMD5 = hash_suites::FaultyDigest<zorvan::openssl::MD5, FlipFirstOctet>;
    const std::string report = failureReport(::Test::MD5::makeMD5Tests<BrokenMD5>(), "md5KAT", 3);
    EXPECT_THAT(report,
                AllOf(HasSubstr("md5KAT3\n  computed:     6f0150983cd24fb0d6963f7d28e17f72\n"
                                "  known answer: 900150983cd24fb0d6963f7d28e17f72\n"),
                      HasSubstr("\n  vector: RFC 1321 A.5, row 3\n"
                                "    MD5 (\"abc\") = 900150983cd24fb0d6963f7d28e17f72\n")));
    EXPECT_THROW(::Test::MD5::md5Origin(8), std::out_of_range);
}

// The vectors beyond the published files: a Camellia key in the AES-CTR suite, SHA-1 in the
// SHA-256 sweep and RFC HMAC suites.
TEST(KnownAnswerReport, CtrSweepAndRfcHmacNameTheirFilesToo) {
    const std::vector<std::pair<std::string, std::string>> failures{
        {failureReport(::Test::AESCTR::makeAESCTRTests<zorvan::openssl::Camellia128>(),
                       "aes-128-ctr.txt-ENCRYPT-0"),
         "\n  vector: Test/KAT_AES_CTR/aes-128-ctr.txt:"},
        {failureReport(::Test::HashSweep::makeSHA256SweepTests<zorvan::openssl::SHA1>(
                           ::Test::HashSweep::LongMessage::skip),
                       "SweepSHA256-0bits"),
         "\n  vector: Test/KAT_HASH_SWEEP/SHA256Sweep.rsp:"},
        {failureReport(::Test::RFCHMAC::makeSHA256RFCHMACTests<zorvan::openssl::SHA1>(),
                       "rfc-4231-sha256-0"),
         "\n  vector: Test/KAT_HMAC_RFC/rfc-4231-sha256.txt:"},
    };
    for (const auto& [report, origin] : failures) {
        EXPECT_THAT(report, AllOf(HasSubstr("\n  computed:     "), HasSubstr("\n  known answer: "),
                                  HasSubstr(origin)));
    }
}

TEST(KnownAnswerReport, AssertionsKeepTheirLabelsAndCarryTheOrigin) {
    const zorvan::testing::VectorOrigin origin{"Test/KAT_X/x.rsp", 4, 2, {{"K", "01"}}};
    try {
        zorvan::testing::assertKnownAnswer("m", zorvan::Bytes{1}, zorvan::Bytes{2}, origin);
        ADD_FAILURE() << "no failure";
    } catch (const zorvan::testing::AssertionFailure& failure) {
        EXPECT_EQ(failure.origin(), origin);
        EXPECT_EQ(failure.comparison().first, "01");
        EXPECT_EQ(failure.comparison().roles.second, "known answer");
    }
    try {
        zorvan::testing::assertEqual("m", zorvan::Bytes{1}, zorvan::Bytes{2});
        ADD_FAILURE() << "no failure";
    } catch (const zorvan::testing::AssertionFailure& failure) {
        EXPECT_FALSE(failure.origin());
        EXPECT_THAT(failure.what(), HasSubstr("m\n  expected: 01\n  actual:   02\n"));
    }
}

} // namespace
