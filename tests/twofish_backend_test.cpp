// The libgcrypt and nettle Twofish keys: published vectors, the key lengths each takes, and
// their ECB and CBC against each other.

#include "backend_test_support.hpp"

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/block_cipher.hpp>

#include <gtest/gtest.h>

#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::IV;
using zorvan::LazyBytes;
using zorvan::backend_tests::fromHex;
using zorvan::backend_tests::Random;
using GcryptTwofish = zorvan::gcrypt::Twofish;
using NettleTwofish = zorvan::nettle::Twofish;

Bytes zeros(std::size_t length) {
    return Bytes(std::vector<std::uint8_t>(length));
}

template <class K> K keyFrom(const Bytes& octets) {
    return *K::buildKey(octets);
}

template <class K> class TwofishKey : public testing::Test {};
using TwofishKeys = testing::Types<GcryptTwofish, NettleTwofish>;
TYPED_TEST_SUITE(TwofishKey, TwofishKeys);

// The first record of each key size in the Twofish authors' ECB_TBL: zero key, zero block.
TYPED_TEST(TwofishKey, EncryptsTheZeroBlockAsPublished) {
    const Bytes expected128 = fromHex("9f589f5cf6122c32b6bfec2f2ae8c35a");
    const Bytes expected256 = fromHex("57ff739d4dc92c1bd7fc01700cc8216f");
    EXPECT_EQ(zorvan::ecb(keyFrom<TypeParam>(zeros(16)), zeros(16)), expected128);
    EXPECT_EQ(zorvan::unEcb(keyFrom<TypeParam>(zeros(16)), expected128), zeros(16));
    EXPECT_EQ(zorvan::ecb(keyFrom<TypeParam>(zeros(32)), zeros(16)), expected256);
    EXPECT_EQ(TypeParam::blockSize(), 128u);
    EXPECT_EQ(TypeParam::keyLength(), 256u);
}

TEST(TwofishKeyLengths, LibgcryptTakes16And32OctetsNettleAlso24) {
    for (std::size_t length = 0; length <= 40; ++length) {
        const bool both = length == 16 || length == 32;
        EXPECT_EQ(GcryptTwofish::buildKey(zeros(length)).has_value(), both) << length;
        EXPECT_EQ(NettleTwofish::buildKey(zeros(length)).has_value(), both || length == 24)
            << length;
    }
    EXPECT_EQ(zorvan::ecb(keyFrom<NettleTwofish>(zeros(24)), zeros(16)),
              fromHex("efa71f788965bd4453f860178fc19101"));
}

TEST(TwofishAgreement, EcbAndCbcAgreeStrictAndLazyWithNextIvs) {
    Random random(505);
    for (int round = 0; round < 60; ++round) {
        const Bytes keyOctets = random.bytes(round % 2 == 0 ? 16 : 32);
        const auto gcrypt = keyFrom<GcryptTwofish>(keyOctets);
        const auto nettle = keyFrom<NettleTwofish>(keyOctets);
        const Bytes ivOctets = random.bytes(16);
        const auto gcryptIv = *IV<GcryptTwofish>::get(ivOctets);
        const auto nettleIv = *IV<NettleTwofish>::get(ivOctets);
        const Bytes data = random.bytes(16 * random.below(6));
        const LazyBytes chunked = random.chunked(data);

        EXPECT_EQ(zorvan::ecb(nettle, data), zorvan::ecb(gcrypt, data));
        EXPECT_EQ(zorvan::unEcb(nettle, data), zorvan::unEcb(gcrypt, data));
        EXPECT_EQ(zorvan::ecbLazy(nettle, chunked).toStrict(), zorvan::ecb(gcrypt, data));

        const auto [encrypted, ivAfterEncryption] = zorvan::cbc(gcrypt, gcryptIv, data);
        const auto [nettleEncrypted, nettleIvAfterEncryption] = zorvan::cbc(nettle, nettleIv, data);
        EXPECT_EQ(nettleEncrypted, encrypted);
        EXPECT_EQ(nettleIvAfterEncryption.encode(), ivAfterEncryption.encode());
        const auto [lazyEncrypted, lazyIv] = zorvan::cbcLazy(nettle, nettleIv, chunked);
        EXPECT_EQ(lazyEncrypted.toStrict(), encrypted);
        EXPECT_EQ(lazyIv.encode(), ivAfterEncryption.encode());

        const auto [decrypted, ivAfterDecryption] = zorvan::unCbc(gcrypt, gcryptIv, encrypted);
        const auto [nettleDecrypted, nettleIvAfterDecryption] =
            zorvan::unCbc(nettle, nettleIv, encrypted);
        EXPECT_EQ(decrypted, data);
        EXPECT_EQ(nettleDecrypted, data);
        EXPECT_EQ(ivAfterDecryption, ivAfterEncryption);
        EXPECT_EQ(nettleIvAfterDecryption.encode(), ivAfterEncryption.encode());
    }
}

} // namespace
