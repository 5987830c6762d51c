// The ACVP suites of GCM, CCM, CMAC and XTS over NIST's sets with OpenSSL's types, with an AEAD
// and a MAC that accept what they must refuse, and with key sizes a set does not cover.

#include <Test/ACVPAEAD.hpp>
#include <Test/ACVPCMAC.hpp>
#include <Test/ACVPXTS.hpp>

#include <zorvan/backends/openssl.hpp>
#include <zorvan/backends/openssl_aead.hpp>
#include <zorvan/cmac.hpp>
#include <zorvan/mac.hpp>

#include "hash_suite_support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using ::testing::IsEmpty;
using zorvan::Bytes;
using zorvan::LazyBytes;

std::vector<hash_suites::LeafRun> runAll(const std::vector<zorvan::testing::Test>& tests) {
    return hash_suites::runUnitLeaves(tests);
}

TEST(ACVPSuites, OpenSSLPassesEveryTestOfItsKeySize) {
    // Counted from the sets: GCM and CCM hold 128-bit keys only, CMAC 72 gen and 180 ver tests
    // per key size, XTS 45 (128) and 31 (256) tests whose payload is one data unit of octets.
    const auto gcm = runAll(::Test::ACVPAEAD::makeACVPGCMTests<zorvan::openssl::AES128GCM>());
    const auto ccm = runAll(::Test::ACVPAEAD::makeACVPCCMTests<zorvan::openssl::AES128CCM>());
    const auto cmac =
        runAll(::Test::ACVPCMAC::makeACVPCMACTests<zorvan::Cmac<zorvan::openssl::AES192>>());
    const auto xts128 = runAll(::Test::ACVPXTS::makeACVPXTSTests<zorvan::openssl::AES128>());
    const auto xts256 = runAll(::Test::ACVPXTS::makeACVPXTSTests<zorvan::openssl::AES256>());
    EXPECT_EQ(gcm.size(), 60u);
    EXPECT_EQ(ccm.size(), 2770u);
    EXPECT_EQ(cmac.size(), 252u);
    EXPECT_EQ(xts128.size(), 45u);
    EXPECT_EQ(xts256.size(), 31u);
    for (const auto* runs : {&gcm, &ccm, &cmac, &xts128, &xts256}) {
        EXPECT_THAT(hash_suites::failingNames(*runs), IsEmpty());
    }
}

TEST(ACVPSuites, ASetWithoutTheTypesKeySizeIsOneSkippedLeaf) {
    const auto gcm = runAll(::Test::ACVPAEAD::makeACVPGCMTests<zorvan::openssl::AES256GCM>());
    ASSERT_EQ(gcm.size(), 1u);
    EXPECT_EQ(gcm[0].name, "ACVP-AES-GCM/KeyLength256");
    EXPECT_FALSE(gcm[0].passed);
    EXPECT_THAT(gcm[0].report, ::testing::HasSubstr("keyLen 128 only"));
}

// An AEAD that releases the plaintext whatever the tag: GCM's and CCM's encryption is a counter
// stream, so sealing the ciphertext gives the plaintext back.
template <class Inner> class TagBlind {
public:
    static std::size_t keyLength() { return Inner::keyLength(); }
    static bool acceptsNonceLength(std::size_t octets) { return Inner::acceptsNonceLength(octets); }
    static bool acceptsTagLength(std::size_t octets) { return Inner::acceptsTagLength(octets); }
    static std::optional<TagBlind> buildKey(const Bytes& octets) {
        std::optional<Inner> inner = Inner::buildKey(octets);
        return inner ? std::optional(TagBlind(std::move(*inner))) : std::nullopt;
    }
    [[nodiscard]] zorvan::Sealed seal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                                      std::size_t tagOctets) const {
        return inner_.seal(nonce, aad, plaintext, tagOctets);
    }
    [[nodiscard]] bool open(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                            const Bytes& /*tag*/, std::size_t tagOctets,
                            std::span<std::uint8_t> plaintext) const {
        const Bytes released = inner_.seal(nonce, aad, ciphertext, tagOctets).ciphertext;
        std::ranges::copy(released, plaintext.begin());
        return true;
    }

private:
    explicit TagBlind(Inner inner) : inner_(std::move(inner)) {}
    Inner inner_;
};

TEST(ACVPSuites, AGCMThatIgnoresTheTagFailsEveryDecryptionThatMustFail) {
    const std::multiset<std::string> failures = hash_suites::failingNames(
        runAll(::Test::ACVPAEAD::makeACVPGCMTests<TagBlind<zorvan::openssl::AES128GCM>>()));
    std::multiset<std::string> expected;
    for (const int tc : {33, 34, 43}) {
        expected.insert("ACVP-AES-GCM/tg3/tc" + std::to_string(tc));
    }
    for (const int tc : {47, 49, 50, 55, 56, 57, 58}) {
        expected.insert("ACVP-AES-GCM/tg4/tc" + std::to_string(tc));
    }
    EXPECT_EQ(failures, expected);
}

TEST(ACVPSuites, ACCMThatIgnoresTheTagFailsEveryDecryptionThatMustFail) {
    const std::multiset<std::string> failures = hash_suites::failingNames(
        runAll(::Test::ACVPAEAD::makeACVPCCMTests<TagBlind<zorvan::openssl::AES128CCM>>()));
    // Of the set's 1451 decryptions that must fail, 478 have 128-bit keys.
    EXPECT_EQ(failures.size(), 478u);
    EXPECT_TRUE(std::ranges::all_of(
        failures, [](const std::string& name) { return name.starts_with("ACVP-AES-CCM/tg"); }));
}

// CMAC over OpenSSL's AES-128 whose verifyTag takes any tag.
class AcceptingMac {
public:
    using Aes = zorvan::openssl::AES128;
    static std::size_t keyLength() { return 128; }
    static std::size_t tagLength() { return 128; }
    static std::optional<AcceptingMac> buildKey(const Bytes& octets) {
        std::optional<Aes> aes = Aes::buildKey(octets);
        return aes ? std::optional(AcceptingMac(std::move(*aes))) : std::nullopt;
    }
    [[nodiscard]] Bytes tag(const LazyBytes& message) const { return zorvan::cmac(key_, message); }
    [[nodiscard]] bool verifyTag(const LazyBytes& /*message*/, const Bytes& /*tag*/) const {
        return true;
    }

private:
    explicit AcceptingMac(Aes key) : key_(std::move(key)) {}
    Aes key_;
};

TEST(ACVPSuites, AMacThatVerifiesAnyTagFailsTheVerificationsThatMustFail) {
    const auto runs = runAll(::Test::ACVPCMAC::makeACVPCMACTests<AcceptingMac>());
    EXPECT_EQ(runs.size(), 252u);
    // The set's 128-bit verifications with testPassed false: 42.
    EXPECT_EQ(hash_suites::failingNames(runs).size(), 42u);
}

} // namespace
