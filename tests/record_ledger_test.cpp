// What the record readers of the known-answer suites note in an open ledger: each record that
// became no test with its reason, and each field no test reads.

#include <Test/AES.hpp>
#include <Test/HMAC.hpp>
#include <Test/RecordLedger.hpp>
#include <Test/SHA.hpp>
#include <Test/TwoFish.hpp>

#include "temporary_data_directory.hpp"

#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::Test::RecordLedger::DropReason;
using ::Test::RecordLedger::Ledger;
using ::Test::RecordLedger::Occurrences;
using ::Test::RecordLedger::Recording;

// An ECB encryption file: a usable record, one whose CIPHERTEXT is misspelled, one with a
// 192-bit key.
constexpr std::string_view aesFile = "[ENCRYPT]\n\n"
                                     "COUNT = 0\n"
                                     "KEY = 00000000000000000000000000000000\n"
                                     "PLAINTEXT = f34481ec3cc627bacd5dc3fb08f273e6\n"
                                     "CIPHERTEXT = 0336763e966d92595a567cc9ce537f5e\n\n"
                                     "COUNT = 1\n"
                                     "KEY = 00000000000000000000000000000000\n"
                                     "PLAINTEXT = 9798c4640bad75c7c3227db910174e72\n"
                                     "CIPHERTXT = a9a1631bf4996954ebc093957b234589\n\n"
                                     "COUNT = 2\n"
                                     "KEY = 000000000000000000000000000000000000000000000000\n"
                                     "PLAINTEXT = 1b077a6af4b7f98229de786d7516b639\n"
                                     "CIPHERTEXT = 275cfc0413d8ccb70513c3859b1d0f72\n";

template <class Build> Ledger ledgerOf(Build build) {
    Ledger ledger;
    const Recording recording(ledger);
    static_cast<void>(build());
    return ledger;
}

TEST(RecordLedger, AMisspelledFieldAndARefusedKeyAreNotedWithWhereTheyStand) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_AES/ECBGFSbox128-e.rsp", aesFile);
    const Ledger ledger =
        ledgerOf([] { return ::Test::AES::makeAESTests<zorvan::openssl::AES128>(); });
    EXPECT_EQ(ledger.tests, 1U);
    EXPECT_EQ(ledger.droppedRecords(), 2U);
    EXPECT_EQ(ledger.dropped.at({DropReason::missingField, "CIPHERTEXT"}),
              (Occurrences{1, "Test/KAT_AES/ECBGFSbox128-e.rsp:8"}));
    EXPECT_EQ(ledger.dropped.at({DropReason::refusedKey, "24 octets"}),
              (Occurrences{1, "Test/KAT_AES/ECBGFSbox128-e.rsp:13"}));
    EXPECT_EQ(ledger.unreadFields, (std::map<std::string, Occurrences>{
                                       {"CIPHERTXT", {1, "Test/KAT_AES/ECBGFSbox128-e.rsp:8"}}}));
}

TEST(RecordLedger, ShaAndHmacNoteMissingFieldsExtraFieldsAndSectionsOfNoHash) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_SHA/SHA1ShortMsg.rsp", "[L = 20]\n\nLen = 0\nMsg = 00\n"
                                                "MD = da39a3ee5e6b4b0d3255bfef95601890afd80709\n"
                                                "Note = empty\n\nLen = 8\nMsg = 61\n");
    const Ledger sha = ledgerOf([] { return ::Test::SHA::makeSHA1Tests<zorvan::openssl::SHA1>(); });
    EXPECT_EQ(sha.tests, 1U);
    EXPECT_EQ(sha.dropped.at({DropReason::missingField, "MD"}).records, 1U);
    EXPECT_EQ(sha.unreadFields.at("Note").first, "Test/KAT_SHA/SHA1ShortMsg.rsp:3");

    data.write("Test/KAT_HMAC/HMAC.rsp", "[L=20]\n\nCount = 0\nKlen = 1\nTlen = 20\nKey = 00\n"
                                         "Msg = 00\nMac = 00\n\n[L=99]\n\nCount = 1\n"
                                         "Klen = 1\nTlen = 20\nKey = 00\nMsg = 00\nMac = 00\n");
    const Ledger hmac =
        ledgerOf([] { return ::Test::HMAC::makeSHA1HMACTests<zorvan::openssl::SHA1>(); });
    EXPECT_EQ(hmac.tests, 1U);
    EXPECT_TRUE(hmac.unreadFields.empty());
    EXPECT_EQ(hmac.dropped.at({DropReason::unknownSection, "[L=99]"}),
              (Occurrences{1, "Test/KAT_HMAC/HMAC.rsp:12"}));
}

TEST(RecordLedger, NothingIsNotedWithoutARecordingAndAnInnerOneHidesTheOuter) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_AES/ECBGFSbox128-e.rsp", aesFile);
    Ledger outer;
    const Recording recording(outer);
    const Ledger inner =
        ledgerOf([] { return ::Test::AES::makeAESTests<zorvan::openssl::AES128>(); });
    EXPECT_EQ(inner.droppedRecords(), 2U);
    EXPECT_EQ(outer.tests + outer.droppedRecords(), 0U);
    static_cast<void>(::Test::AES::makeAESTests<zorvan::openssl::AES128>());
    EXPECT_EQ(outer.tests, 1U);
}

TEST(RecordLedger, TwofishLooksForFieldsWhereItsFileKindKeepsThem) {
    const TemporaryDataDirectory data;
    // The variable-key file keeps PT in the section's header; a record lacks its CT.
    data.write("Test/KAT_TWOFISH/ECB_VK.TXT",
               "[KEYSIZE=128]\n[PT=00000000000000000000000000000000]\nI=1\n"
               "KEY=80000000000000000000000000000000\nCT=6BFD32804A1C3206C4BF85EB11241F89\n\n"
               "I=2\nKEY=40000000000000000000000000000000\n");
    const Ledger ledger =
        ledgerOf([] { return ::Test::TwoFish::makeTwoFishTests<zorvan::nettle::Twofish>(); });
    EXPECT_EQ(ledger.tests, 1U);
    EXPECT_EQ(ledger.dropped,
              (std::map<std::pair<DropReason, std::string>, Occurrences>{
                  {{DropReason::missingField, "CT"}, {1, "Test/KAT_TWOFISH/ECB_VK.TXT:7"}}}));
}

// Twofish that takes 128-bit keys only.
class Twofish128 {
public:
    static std::size_t blockSize() { return 128; }
    static std::size_t keyLength() { return 128; }
    static std::optional<Twofish128> buildKey(const zorvan::Bytes& key) {
        if (key.size() != 16) {
            return std::nullopt;
        }
        return Twofish128(zorvan::nettle::Twofish::buildKey(key).value());
    }
    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const {
        return cipher_.encryptBlock(blocks);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const {
        return cipher_.decryptBlock(blocks);
    }

private:
    explicit Twofish128(zorvan::nettle::Twofish cipher) : cipher_(std::move(cipher)) {}
    zorvan::nettle::Twofish cipher_;
};

TEST(RecordLedger, ARefusedTwofishKeyKeepsItsErrorTextAndNamesTheLength) {
    EXPECT_THAT([] { ::Test::TwoFish::refuseKey(24); },
                ::testing::ThrowsMessage<::Test::IncompleteMatch>(
                    ::testing::StrEq(::Test::TwoFish::refusedKeyError)));
    const TemporaryDataDirectory data;
    data.write("Test/KAT_TWOFISH/ECB_TBL.TXT",
               "I=1\nKEY=000000000000000000000000000000000000000000000000\n"
               "PT=00000000000000000000000000000000\nCT=EFA71F788965BD4453F860178FC19101\n");
    const auto tests = ::Test::TwoFish::makeTwoFishTests<Twofish128>();
    EXPECT_EQ(zorvan::testing::runLeaf(zorvan::testing::flatten(tests).front(), {}).report,
              "error: Maybe.fromJust: Nothing\n  because: buildKey refused a key of 24 octets");
}

} // namespace
