// The AEAD suites against the libraries' AEADs and the library's generic GCM and CCM: every
// leaf passes, and the known answers are as many as the files hold for the type's key size and
// lengths.

#include <Test/AeadConformance.hpp>
#include <Test/CCM.hpp>
#include <Test/ChaCha20Poly1305.hpp>
#include <Test/GCM.hpp>

#include <zorvan/aead_modes.hpp>
#include <zorvan/backends/gcrypt_aead.hpp>
#include <zorvan/backends/nettle_aead.hpp>
#include <zorvan/backends/openssl_aead.hpp>
#include <zorvan/backends/sodium.hpp>
#include <zorvan/testing/runner.hpp>

#include "hash_suite_support.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

struct Counts {
    std::size_t knownAnswers = 0;
    std::size_t passed = 0;
    std::size_t skipped = 0;
    std::vector<std::string> failures;
};

Counts run(const std::vector<zorvan::testing::Test>& tree) {
    Counts counts;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tree)) {
        counts.knownAnswers += leaf.path.find(" laws/") == std::string::npos ? 1U : 0U;
        const zorvan::testing::LeafOutcome outcome =
            zorvan::testing::runLeaf(leaf, {.seed = 11, .cases = 25});
        switch (outcome.status) {
        case zorvan::testing::LeafStatus::passed:
            ++counts.passed;
            break;
        case zorvan::testing::LeafStatus::skipped:
            ++counts.skipped;
            break;
        default:
            counts.failures.push_back(leaf.path + ": " + outcome.message);
        }
    }
    return counts;
}

// The laws' leaves: 4 + 3 + 1 + 3.
constexpr std::size_t lawLeaves = 11;

TEST(AeadSuites, GenericGcmOverABlockCipherPassesEveryNistRecordOfItsKeySize) {
    const Counts counts = run(::Test::GCM::makeGCMTests<zorvan::GCM<zorvan::nettle::AES128>>());
    EXPECT_TRUE(counts.failures.empty()) << counts.failures.front();
    // gcmEncryptExtIV128.rsp and gcmDecrypt128.rsp: 7875 records each.
    EXPECT_EQ(counts.knownAnswers, 7875U + 7875U);
    // No chunked members, no own mode to compare with the generic one, and no CCM.
    EXPECT_EQ(counts.skipped, 3U);
}

TEST(AeadSuites, GenericCcmOverABlockCipherPassesEveryNistRecordOfItsKeySize) {
    const Counts counts = run(::Test::CCM::makeCCMTests<zorvan::CCM<zorvan::openssl::AES192>>());
    EXPECT_TRUE(counts.failures.empty()) << counts.failures.front();
    // VADT 330, VNT 70, VPT 250, VTT 70 and DVPT 240 records of 192-bit keys.
    EXPECT_EQ(counts.knownAnswers, 330U + 70U + 250U + 70U + 240U);
}

void passesEverything(const std::vector<zorvan::testing::Test>& tree) {
    const Counts counts = run(tree);
    EXPECT_TRUE(counts.failures.empty())
        << counts.failures.size() << " failures, the first " << counts.failures.front();
    EXPECT_GT(counts.knownAnswers, 0U);
    EXPECT_EQ(counts.passed + counts.skipped, counts.knownAnswers + lawLeaves);
}

TEST(AeadSuites, LibrariesOwnGcmAndCcmPass) {
    passesEverything(::Test::GCM::makeGCMTests<zorvan::openssl::AES256GCM>());
    passesEverything(::Test::GCM::makeGCMTests<zorvan::gcrypt::AES192GCM>());
    passesEverything(::Test::GCM::makeGCMTests<zorvan::nettle::AES128GCM>());
    passesEverything(::Test::CCM::makeCCMTests<zorvan::openssl::AES128CCM>());
    passesEverything(::Test::CCM::makeCCMTests<zorvan::gcrypt::AES256CCM>());
    passesEverything(::Test::CCM::makeCCMTests<zorvan::nettle::AES192CCM>());
}

TEST(AeadSuites, LibrariesChaCha20Poly1305Pass) {
    using namespace ::Test::ChaCha20Poly1305;
    passesEverything(makeChaCha20Poly1305Tests<zorvan::openssl::ChaCha20Poly1305>());
    passesEverything(makeChaCha20Poly1305Tests<zorvan::gcrypt::ChaCha20Poly1305>());
    passesEverything(makeChaCha20Poly1305Tests<zorvan::nettle::ChaCha20Poly1305>());
    passesEverything(makeChaCha20Poly1305Tests<zorvan::sodium::ChaCha20Poly1305>());
    passesEverything(makeXChaCha20Poly1305Tests<zorvan::sodium::XChaCha20Poly1305>());
}

// libsodium's AES-256-GCM takes 96-bit nonces and 128-bit tags only: the other records are
// left to other types, and only the sections of those lengths become tests.
TEST(AeadSuites, AnAeadTakingFewerLengthsGetsOnlyThoseRecords) {
    const Counts counts =
        run(::Test::GCM::gcmKnownAnswers(::Test::Crypto::aeadView<zorvan::sodium::AES256GCM>()));
    EXPECT_TRUE(counts.failures.empty()) << counts.failures.front();
    // gcmEncryptExtIV256.rsp and gcmDecrypt256.rsp hold 375 records each with IVlen = 96 and
    // Taglen = 128.
    EXPECT_EQ(counts.knownAnswers, 375U + 375U);
}

// Each unit leaf's name and whether it passed ("a.rsp-1 passed").
std::vector<std::string> outcomes(const std::vector<hash_suites::LeafRun>& runs) {
    std::vector<std::string> names;
    for (const auto& leaf : runs) {
        names.push_back(leaf.name + (leaf.passed ? " passed" : " failed"));
    }
    return names;
}

// The report of each leaf named in reasons says its reason.
void expectReasons(const std::vector<hash_suites::LeafRun>& runs,
                   const std::map<std::string, std::string>& reasons) {
    for (const auto& leaf : runs) {
        if (reasons.contains(leaf.name)) {
            EXPECT_THAT(leaf.report, ::testing::HasSubstr(reasons.at(leaf.name))) << leaf.name;
        }
    }
}

// NIST's first 128-bit GCM record (96-bit nonce, nothing to encrypt) under its section.
std::string gcmRecord(const std::string& tag, const std::string& last) {
    return "[Keylen = 128]\n[IVlen = 96]\n[PTlen = 0]\n[AADlen = 0]\n[Taglen = 128]\n\n"
           "Count = 0\nKey = 11754cd72aec309bf52f7687212e8957\nIV = 3c819d9a9bed087615030b65\n"
           "CT = \nAAD = \nTag = " +
           tag + "\n" + last + "\n";
}

constexpr const char* rightTag = "250327c674aaf477aef2675748cf6971";
constexpr const char* wrongTag = "250327c674aaf477aef2675748cf6970";

// A FAIL record whose tag is right fails the type that opens it; a damaged record or file fails
// in its place; a record of another key size is left to that type.
TEST(AeadSuites, GcmFilesFailWhatTheTypeMustRefuseAndWhatCannotBeATest) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_GCM/gcmDecrypt128.rsp",
               gcmRecord(rightTag, "PT = ") + gcmRecord(wrongTag, "FAIL") +
                   gcmRecord(rightTag, "FAIL") + gcmRecord(rightTag, ""));
    data.write("Test/KAT_GCM/gcmEncryptExtIV128.rsp",
               "[Keylen = 128]\n[IVlen = 64]\n\nCount = 0\nKey = 11754cd72aec309bf52f7687212e8957"
               "\nIV = 3c819d9a9bed087615030b65\nPT = \nAAD = \nCT = \nTag = " +
                   std::string(rightTag) + "\n\n[Keylen = 192]\n\nCount = 1\nKey = " +
                   std::string(48, '0') + "\nIV = 00\nPT = \nAAD = \nCT = \nTag = 00000000\n");
    data.write("Test/KAT_GCM/gcmOther128.rsp", gcmRecord(rightTag, "PT = "));
    const auto runs = hash_suites::runUnitLeaves(
        ::Test::GCM::gcmKnownAnswers(::Test::Crypto::aeadView<zorvan::openssl::AES128GCM>()));
    EXPECT_THAT(outcomes(runs), ::testing::UnorderedElementsAre(
                                    "gcmDecrypt128.rsp-1 passed", "gcmDecrypt128.rsp-2 passed",
                                    "gcmDecrypt128.rsp-3 failed", "gcmDecrypt128.rsp:46 failed",
                                    "gcmEncryptExtIV128.rsp:4 failed", "gcmOther128.rsp:7 failed"));
    expectReasons(runs, {{"gcmDecrypt128.rsp-3", "refuse"},
                         {"gcmDecrypt128.rsp:46", "either PT or FAIL"},
                         {"gcmEncryptExtIV128.rsp:4", "IVlen = 64"},
                         {"gcmOther128.rsp:7", "neither Encrypt nor Decrypt"}});
}

// A key that does not decode fails its record alone; the suite's other records still run.
TEST(AeadSuites, AnUndecodableKeyFailsItsRecordAlone) {
    const TemporaryDataDirectory data;
    std::string undecodable = gcmRecord(rightTag, "PT = ");
    undecodable.replace(undecodable.find("Key = 11"), 8, "Key = zz");
    data.write("Test/KAT_GCM/gcmDecrypt128.rsp", gcmRecord(rightTag, "PT = ") + undecodable);
    const auto runs = hash_suites::runUnitLeaves(
        ::Test::GCM::gcmKnownAnswers(::Test::Crypto::aeadView<zorvan::openssl::AES128GCM>()));
    EXPECT_THAT(outcomes(runs), ::testing::UnorderedElementsAre("gcmDecrypt128.rsp-1 passed",
                                                                "gcmDecrypt128.rsp:20 failed"));
    expectReasons(runs, {{"gcmDecrypt128.rsp:20", "key: No hex digit starts the pair \"zz\""}});
}

// NIST's first DVPT record: "Count = n", then its nonce, CT and Result, and more lines.
std::string dvptRecord(int count, const std::string& ciphertext, const std::string& rest) {
    return "Count = " + std::to_string(count) +
           "\nNonce = 5a8aa485c316e9\nAdata = 00\nCT = " + ciphertext + "\n" + rest + "\n";
}

// A Pass record the type refuses, and a Fail record it opens, fail; a damaged record or file
// fails in its place with its reason.
TEST(AeadSuites, CcmFilesFailWhatTheTypeGetsWrongAndWhatCannotBeATest) {
    const TemporaryDataDirectory data;
    data.write(
        "Test/KAT_CCM/DVPT128.rsp",
        "[Alen = 0, Plen = 0, Nlen = 7, Tlen = 4]\n\nKey = 4ae701103c63deca5b5a3939d7d05992\n\n" +
            dvptRecord(0, "02209f55", "Result = Pass\nPayload = 00") +
            dvptRecord(1, "02209f56", "Result = Fail") +
            dvptRecord(2, "02209f56", "Result = Pass\nPayload = 00") +
            dvptRecord(3, "02209f55", "Result = Fail") +
            dvptRecord(4, "02209f55", "Result = Maybe") +
            dvptRecord(5, "02209f56", "Result = Fail\nPayload = 00"));
    data.write("Test/KAT_CCM/XYZ128.rsp",
               "[Alen = 0, Plen = 0, Nlen = 7, Tlen = 4]\n\nKey = " + std::string(32, '0') +
                   "\n\n" + dvptRecord(0, "02209f55", "Result = Pass"));
    const auto runs = hash_suites::runUnitLeaves(
        ::Test::CCM::ccmKnownAnswers(::Test::Crypto::aeadView<zorvan::openssl::AES128CCM>()));
    EXPECT_THAT(outcomes(runs),
                ::testing::UnorderedElementsAre("DVPT128.rsp-1 passed", "DVPT128.rsp-2 passed",
                                                "DVPT128.rsp-3 failed", "DVPT128.rsp-4 failed",
                                                "DVPT128.rsp:27 failed", "DVPT128.rsp:32 failed",
                                                "XYZ128.rsp:5 failed"));
    expectReasons(runs, {{"DVPT128.rsp:27", "Result = Pass or Fail"},
                         {"DVPT128.rsp:32", "Payload in a record that must fail"},
                         {"XYZ128.rsp:5", "starts with none of"}});
}

} // namespace
