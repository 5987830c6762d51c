// The libgcrypt and nettle Twofish keys: published vectors, the key lengths each takes, and
// every mode against each other.

#include "backend_test_support.hpp"

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/block_cipher.hpp>

#include <gtest/gtest.h>

#include <span>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::backend_tests::forEachIvMode;
using zorvan::backend_tests::fromHex;
using zorvan::backend_tests::ivFrom;
using zorvan::backend_tests::keyFrom;
using zorvan::backend_tests::ModeInput;
using zorvan::backend_tests::modeInput;
using zorvan::backend_tests::Random;
using GcryptTwofish = zorvan::gcrypt::Twofish;
using NettleTwofish = zorvan::nettle::Twofish;

Bytes zeros(std::size_t length) {
    return Bytes(std::vector<std::uint8_t>(length));
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

// CFB, OFB and CTR are generic for both keys, over each library's own Twofish blocks.
TEST(TwofishAgreement, EveryIvModeAgreesStrictAndLazyWithNextIvs) {
    Random random(505);
    forEachIvMode([&](const auto& mode) {
        for (int round = 0; round < 30; ++round) {
            const std::size_t keyOctets = round % 2 == 0 ? 16 : 32;
            const ModeInput input = modeInput(random, keyOctets, mode.wholeBlocksOnly, round);
            const auto expected = mode.template runStrict<GcryptTwofish>(input);
            EXPECT_EQ(mode.template runStrict<NettleTwofish>(input), expected) << mode.name;
            EXPECT_EQ(mode.template runLazy<NettleTwofish>(input), expected) << mode.name;
            EXPECT_EQ(mode.template runLazy<GcryptTwofish>(input), expected) << mode.name;
        }
    });
}

TEST(TwofishAgreement, EcbAgreesStrictAndLazy) {
    Random random(606);
    for (int round = 0; round < 30; ++round) {
        const Bytes keyOctets = random.bytes(round % 2 == 0 ? 16 : 32);
        const auto gcrypt = keyFrom<GcryptTwofish>(keyOctets);
        const auto nettle = keyFrom<NettleTwofish>(keyOctets);
        const Bytes data = random.bytes(16 * random.below(6));
        const LazyBytes chunked = random.chunked(data);
        EXPECT_EQ(zorvan::ecb(nettle, data), zorvan::ecb(gcrypt, data));
        EXPECT_EQ(zorvan::unEcb(nettle, data), zorvan::unEcb(gcrypt, data));
        EXPECT_EQ(zorvan::ecbLazy(nettle, chunked).toStrict(), zorvan::ecb(gcrypt, data));
        EXPECT_EQ(zorvan::unEcbLazy(gcrypt, chunked).toStrict(), zorvan::unEcb(nettle, data));
    }
}

// nettle's Twofish schedule without its block call, so that the key runs single blocks
// through the library's mode call, as a schedule without one does.
struct ModeCallsOnly {
    zorvan::nettle::detail::NettleCipherKey schedule;
    ModeCallsOnly(const nettle_cipher* cipher, std::span<const std::uint8_t> key)
        : schedule(cipher, key) {}
    [[nodiscard]] zorvan::backends::ModeOutput run(zorvan::backends::Mode mode,
                                                   zorvan::backends::Direction direction,
                                                   std::span<const std::uint8_t> iv,
                                                   std::span<const std::uint8_t> input) const {
        return schedule.run(mode, direction, iv, input);
    }
};
struct TwofishByModeCalls : zorvan::nettle::detail::TwofishCipher {
    using Schedule = ModeCallsOnly;
};
using ModeCallTwofish = zorvan::backends::CipherKey<TwofishByModeCalls>;
static_assert(zorvan::backends::BlockSchedule<zorvan::nettle::detail::NettleCipherKey>);
static_assert(!zorvan::backends::BlockSchedule<ModeCallsOnly>);

// Single ECB and CBC blocks take the library's block call with the CBC XOR beside it; they
// must give what the library's mode calls give, next IVs included.
TEST(TwofishSingleBlocks, TheBlockCallAgreesWithTheModeCalls) {
    Random random(707);
    for (int round = 0; round < 40; ++round) {
        const Bytes keyOctets = random.bytes(16 + 8 * random.below(3));
        const auto byBlock = keyFrom<NettleTwofish>(keyOctets);
        const auto byMode = keyFrom<ModeCallTwofish>(keyOctets);
        const Bytes block = random.bytes(16);
        const Bytes iv = random.bytes(16);
        EXPECT_EQ(zorvan::ecb(byBlock, block), zorvan::ecb(byMode, block));
        EXPECT_EQ(zorvan::unEcb(byBlock, block), zorvan::unEcb(byMode, block));
        const auto encrypted = zorvan::cbc(byBlock, ivFrom<NettleTwofish>(iv), block);
        const auto expectedEncrypted = zorvan::cbc(byMode, ivFrom<ModeCallTwofish>(iv), block);
        EXPECT_EQ(encrypted.first, expectedEncrypted.first);
        EXPECT_EQ(encrypted.second.encode(), expectedEncrypted.second.encode());
        const auto decrypted = zorvan::unCbc(byBlock, ivFrom<NettleTwofish>(iv), block);
        const auto expectedDecrypted = zorvan::unCbc(byMode, ivFrom<ModeCallTwofish>(iv), block);
        EXPECT_EQ(decrypted.first, expectedDecrypted.first);
        EXPECT_EQ(decrypted.second.encode(), expectedDecrypted.second.encode());
    }
}

} // namespace
