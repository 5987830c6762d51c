// What the record readers of the known-answer suites note in an open ledger: each record that
// became no test with its reason, and each field no test reads.

#include <Test/AES.hpp>
#include <Test/DataSource.hpp>
#include <Test/HMAC.hpp>
#include <Test/IncompleteMatch.hpp>
#include <Test/RecordLedger.hpp>
#include <Test/SHA.hpp>
#include <Test/TwoFish.hpp>
#include <Test/TwoFishFiles.hpp>

#include "temporary_data_directory.hpp"

#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

using ::Test::RecordLedger::Ledger;
using ::Test::RecordLedger::Occurrences;
using ::Test::RecordLedger::Recording;
using Notes = std::map<std::string, Occurrences>;

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
    static_cast<void>(build(::Test::DataSource(::Test::DataSource().root(), &ledger)));
    return ledger;
}

TEST(RecordLedger, EveryRecordIsATestAnotherVariantOrAFailureNotedWhereItStands) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_AES/ECBGFSbox128-e.rsp", aesFile);
    const Ledger ledger = ledgerOf([](const ::Test::DataSource& source) {
        return ::Test::AES::makeAESTests<zorvan::openssl::AES128>(source);
    });
    EXPECT_EQ(ledger.files, 1U);
    EXPECT_EQ(ledger.tests, 1U);
    EXPECT_EQ(ledger.records(), 3U);
    EXPECT_EQ(ledger.failed, (Notes{{"missing field: CIPHERTEXT; unknown field: CIPHERTXT",
                                     {1, "Test/KAT_AES/ECBGFSbox128-e.rsp:8"}}}));
    EXPECT_EQ(ledger.otherVariants,
              (Notes{{"refused key: 24 octets", {1, "Test/KAT_AES/ECBGFSbox128-e.rsp:13"}}}));
}

TEST(RecordLedger, ShaAndHmacNoteDamageAndTheSectionsOfOtherHashes) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_SHA/SHA1ShortMsg.rsp", "[L = 20]\n\nLen = 0\nMsg = 00\n"
                                                "MD = da39a3ee5e6b4b0d3255bfef95601890afd80709\n"
                                                "Note = empty\n\nLen = 8\nMsg = 61\n");
    const Ledger sha = ledgerOf([](const ::Test::DataSource& source) {
        return ::Test::SHA::makeSHA1Tests<zorvan::openssl::SHA1>(source);
    });
    EXPECT_EQ(sha.tests, 0U);
    EXPECT_EQ(sha.failed, (Notes{{"unknown field: Note", {1, "Test/KAT_SHA/SHA1ShortMsg.rsp:3"}},
                                 {"missing field: MD", {1, "Test/KAT_SHA/SHA1ShortMsg.rsp:8"}}}));

    data.write("Test/KAT_HMAC/HMAC.rsp", "[L=20]\n\nCount = 0\nKlen = 1\nTlen = 20\nKey = 00\n"
                                         "Msg = 00\nMac = 00\n\n[L=28]\n\nCount = 1\n"
                                         "Klen = 1\nTlen = 20\nKey = 00\nMsg = 00\nMac = 00\n");
    const Ledger hmac = ledgerOf([](const ::Test::DataSource& source) {
        return ::Test::HMAC::makeSHA1HMACTests<zorvan::openssl::SHA1>(source);
    });
    EXPECT_EQ(hmac.tests, 1U);
    EXPECT_TRUE(hmac.failed.empty());
    EXPECT_EQ(hmac.otherVariants, (Notes{{"section [L=28]", {1, "Test/KAT_HMAC/HMAC.rsp:12"}}}));
}

TEST(RecordLedger, ADefaultSourceNotesInTheRecordingOpenOnItsThreadAndAnInnerOneHidesTheOuter) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_AES/ECBGFSbox128-e.rsp", aesFile);
    Ledger outer;
    const Recording recording(outer);
    Ledger inner;
    {
        const Recording innerRecording(inner);
        static_cast<void>(::Test::AES::makeAESTests<zorvan::openssl::AES128>());
    }
    EXPECT_EQ(inner.records(), 3U);
    EXPECT_EQ(outer.records(), 0U);
    static_cast<void>(::Test::AES::makeAESTests<zorvan::openssl::AES128>());
    EXPECT_EQ(outer.tests, 1U);
    // A source given a ledger of its own keeps to it.
    Ledger own;
    static_cast<void>(::Test::AES::makeAESTests<zorvan::openssl::AES128>(
        ::Test::DataSource(data.root().string(), &own)));
    EXPECT_EQ(outer.tests, 1U);
    EXPECT_EQ(own.tests, 1U);
}

TEST(RecordLedger, TwofishLooksForFieldsWhereItsFileKindKeepsThem) {
    const TemporaryDataDirectory data;
    // The variable-key file keeps PT in the section's header; a record lacks its CT.
    data.write("Test/KAT_TWOFISH/ECB_VK.TXT",
               "[KEYSIZE=128]\n[PT=00000000000000000000000000000000]\nI=1\n"
               "KEY=80000000000000000000000000000000\nCT=6BFD32804A1C3206C4BF85EB11241F89\n\n"
               "I=2\nKEY=40000000000000000000000000000000\n");
    const Ledger ledger = ledgerOf([](const ::Test::DataSource& source) {
        return ::Test::TwoFish::makeTwoFishTests<zorvan::nettle::Twofish>(source);
    });
    EXPECT_EQ(ledger.tests, 1U);
    EXPECT_EQ(ledger.failed, (Notes{{"missing field: CT", {1, "Test/KAT_TWOFISH/ECB_VK.TXT:7"}}}));
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
    EXPECT_EQ(zorvan::testing::runLeaf(zorvan::testing::flatten(tests).front(), {}).report(),
              "error: Maybe.fromJust: Nothing\n  because: buildKey refused a key of 24 octets");
}

} // namespace
