// The conformance laws: their non-generic half (lengths, cut points, carry IVs) and every law
// over the three real backends, where none may fail.

#include <Test/Conformance.hpp>
#include <Test/LawInputs.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/testing/runner.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

namespace conformance = ::Test::Conformance;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// The report of every leaf that did not pass, by path.
std::map<std::string, std::string> unpassed(const std::vector<zorvan::testing::Test>& tree,
                                            bool skipsAllowed = false) {
    std::map<std::string, std::string> reports;
    for (const zorvan::testing::Leaf& leaf : zorvan::testing::flatten(tree)) {
        const auto outcome = zorvan::testing::runLeaf(leaf, {.seed = 12, .cases = 25});
        if (outcome.status == zorvan::testing::LeafStatus::failed ||
            (outcome.status == zorvan::testing::LeafStatus::skipped && !skipsAllowed)) {
            reports[leaf.path] = outcome.report();
        }
    }
    return reports;
}

TEST(BoundaryLengths, EachBlockBoundaryWithNeighboursAndThePaddingEdges) {
    EXPECT_THAT(conformance::boundaryLengths(64),
                ElementsAre(0, 1, 47, 48, 55, 56, 63, 64, 65, 111, 112, 119, 120, 127, 128, 129,
                            175, 176, 183, 184, 191, 192, 193));
}

TEST(BoundaryLengths, OneOctetBlocksStayInRange) {
    EXPECT_THAT(conformance::boundaryLengths(1), ElementsAre(0, 1, 2, 3, 4));
}

TEST(CutPoints, BothEndsAndEveryBoundaryWithNeighbours) {
    EXPECT_THAT(conformance::cutPoints(20, 8), ElementsAre(0, 1, 7, 8, 9, 15, 16, 17, 20));
    EXPECT_THAT(conformance::cutPoints(0, 8), ElementsAre(0));
}

TEST(CarryIvs, LowThirtyTwoSixtyFourAndAllBitsSet) {
    const auto ivs = conformance::carryIvs(16);
    ASSERT_EQ(ivs.size(), 3u);
    EXPECT_EQ(ivs[0].drop(12), zorvan::Bytes({0xff, 0xff, 0xff, 0xff}));
    EXPECT_NE(ivs[0][11], 0xff);
    EXPECT_EQ(ivs[1].drop(8), zorvan::Bytes({0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
    EXPECT_NE(ivs[1][7], 0xff);
    EXPECT_EQ(ivs[2], zorvan::Bytes(std::vector<std::uint8_t>(16, 0xff)));
    EXPECT_EQ(conformance::carryIvs(4).size(), 2u);
}

TEST(ConformanceTree, LeavesNamedAfterTheirLaws) {
    std::vector<std::string> paths;
    const auto tree = conformance::makeBlockCipherConformanceTests<zorvan::openssl::AES128>();
    for (const auto& leaf : zorvan::testing::flatten(tree)) {
        paths.push_back(leaf.path);
    }
    EXPECT_THAT(paths, ::testing::Contains("Stream mode laws/CFBShortLastBlock"));
    EXPECT_THAT(paths, ::testing::Contains("Whole-block mode laws/ECBRefusesPartialBlock"));
    EXPECT_THAT(paths, ::testing::Contains("Native mode laws/CTRCounterCarries"));
    EXPECT_THAT(paths, ::testing::Contains("IV continuation laws/CBCContinuationFromReturnedIV"));
    EXPECT_EQ(paths.size(), 9u + 2u + 6u + 4u);
}

template <class Backend> class LawsOfRealBackends : public ::testing::Test {};
struct OpenSSL {
    using MD5 = zorvan::openssl::MD5;
    using SHA1 = zorvan::openssl::SHA1;
    using SHA224 = zorvan::openssl::SHA224;
    using SHA256 = zorvan::openssl::SHA256;
    using SHA384 = zorvan::openssl::SHA384;
    using SHA512 = zorvan::openssl::SHA512;
    using AES128 = zorvan::openssl::AES128;
    using AES192 = zorvan::openssl::AES192;
    using AES256 = zorvan::openssl::AES256;
    using Twofish = zorvan::nettle::Twofish; // OpenSSL has no Twofish
};
struct Gcrypt {
    using MD5 = zorvan::gcrypt::MD5;
    using SHA1 = zorvan::gcrypt::SHA1;
    using SHA224 = zorvan::gcrypt::SHA224;
    using SHA256 = zorvan::gcrypt::SHA256;
    using SHA384 = zorvan::gcrypt::SHA384;
    using SHA512 = zorvan::gcrypt::SHA512;
    using AES128 = zorvan::gcrypt::AES128;
    using AES192 = zorvan::gcrypt::AES192;
    using AES256 = zorvan::gcrypt::AES256;
    using Twofish = zorvan::gcrypt::Twofish;
};
struct Nettle {
    using MD5 = zorvan::nettle::MD5;
    using SHA1 = zorvan::nettle::SHA1;
    using SHA224 = zorvan::nettle::SHA224;
    using SHA256 = zorvan::nettle::SHA256;
    using SHA384 = zorvan::nettle::SHA384;
    using SHA512 = zorvan::nettle::SHA512;
    using AES128 = zorvan::nettle::AES128;
    using AES192 = zorvan::nettle::AES192;
    using AES256 = zorvan::nettle::AES256;
    using Twofish = zorvan::nettle::Twofish;
};
using Backends = ::testing::Types<OpenSSL, Gcrypt, Nettle>;
TYPED_TEST_SUITE(LawsOfRealBackends, Backends);

template <class D> void expectHashLawsHold() {
    // Contexts that cannot be copied (OpenSSL's, libgcrypt's) skip the copy law, and a backend
    // without its own HMAC the comparison with it.
    EXPECT_THAT(unpassed(conformance::makeHashConformanceTests<D>(), true), IsEmpty());
    EXPECT_THAT(unpassed(conformance::makeHMACConformanceTests<D>(), true), IsEmpty());
}

TYPED_TEST(LawsOfRealBackends, EveryHashAndHMACLawHolds) {
    expectHashLawsHold<typename TypeParam::MD5>();
    expectHashLawsHold<typename TypeParam::SHA1>();
    expectHashLawsHold<typename TypeParam::SHA224>();
    expectHashLawsHold<typename TypeParam::SHA256>();
    expectHashLawsHold<typename TypeParam::SHA384>();
    expectHashLawsHold<typename TypeParam::SHA512>();
}

TYPED_TEST(LawsOfRealBackends, EveryBlockCipherLawHolds) {
    EXPECT_THAT(
        unpassed(conformance::makeBlockCipherConformanceTests<typename TypeParam::AES128>()),
        IsEmpty());
    EXPECT_THAT(
        unpassed(conformance::makeBlockCipherConformanceTests<typename TypeParam::AES192>()),
        IsEmpty());
    EXPECT_THAT(unpassed(conformance::makeBlockCipherConformanceTests(
                    *TypeParam::AES256::buildKey(zorvan::Bytes(std::vector<std::uint8_t>(32, 1))))),
                IsEmpty());
    EXPECT_THAT(
        unpassed(conformance::makeBlockCipherConformanceTests<typename TypeParam::Twofish>()),
        IsEmpty());
}

} // namespace
