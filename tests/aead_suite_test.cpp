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

#include <gtest/gtest.h>

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

} // namespace
