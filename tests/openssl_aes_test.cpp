// The libcrypto AES keys: published vectors, their native modes against the generic modes of
// zorvan/block_cipher.hpp, and ESP padding.

#include "backend_test_support.hpp"

#include <zorvan/backends/openssl.hpp>
#include <zorvan/block_cipher.hpp>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::IV;
using zorvan::backend_tests::forEachIvMode;
using zorvan::backend_tests::fromHex;
using zorvan::backend_tests::ivFrom;
using zorvan::backend_tests::keyFrom;
using zorvan::backend_tests::ModeInput;
using zorvan::backend_tests::modeInput;
using zorvan::backend_tests::Random;
using zorvan::openssl::AES128;

// FIPS-197 appendix C: the key 00 01 02 ... of each size and the plaintext 00 11 22 ... ff.
template <class K> constexpr const char* fips197Ciphertext = nullptr;
template <>
constexpr const char* fips197Ciphertext<zorvan::openssl::AES128> =
    "69c4e0d86a7b0430d8cdb78070b4c55a";
template <>
constexpr const char* fips197Ciphertext<zorvan::openssl::AES192> =
    "dda97ca4864cdfe06eaf70a0ec0d7191";
template <>
constexpr const char* fips197Ciphertext<zorvan::openssl::AES256> =
    "8ea2b7ca516745bfeafc49904b496089";

template <class K> class OpensslAesKey : public testing::Test {};
using AesKeys =
    testing::Types<zorvan::openssl::AES128, zorvan::openssl::AES192, zorvan::openssl::AES256>;
TYPED_TEST_SUITE(OpensslAesKey, AesKeys);

Bytes countingOctets(std::size_t length) {
    std::vector<std::uint8_t> octets(length);
    for (std::size_t i = 0; i < length; ++i) {
        octets[i] = static_cast<std::uint8_t>(i);
    }
    return Bytes(octets);
}

TYPED_TEST(OpensslAesKey, EncryptsAndDecryptsTheFips197Block) {
    const auto key = keyFrom<TypeParam>(countingOctets(TypeParam::keyLength() / 8));
    const Bytes plaintext = fromHex("00112233445566778899aabbccddeeff");
    const Bytes ciphertext = fromHex(fips197Ciphertext<TypeParam>);
    EXPECT_EQ(key.encryptBlock(plaintext), ciphertext);
    EXPECT_EQ(key.decryptBlock(ciphertext), plaintext);
    EXPECT_EQ(key.encryptBlock(plaintext.concat(plaintext)), ciphertext.concat(ciphertext));
}

TYPED_TEST(OpensslAesKey, BuildKeyAcceptsExactlyTheKeyLength) {
    const std::size_t octets = TypeParam::keyLength() / 8;
    EXPECT_EQ(TypeParam::blockSize(), 128u);
    EXPECT_TRUE(TypeParam::buildKey(Bytes(std::vector<std::uint8_t>(octets))).has_value());
    for (const std::size_t wrong : {std::size_t{0}, octets - 1, octets + 1, octets + 8}) {
        EXPECT_FALSE(TypeParam::buildKey(Bytes(std::vector<std::uint8_t>(wrong))).has_value())
            << wrong << " octets";
    }
}

// Whole-block modes must refuse a partial block rather than read past the input.
TYPED_TEST(OpensslAesKey, WholeBlockModesRefusePartialBlocks) {
    const auto key =
        keyFrom<TypeParam>(Bytes(std::vector<std::uint8_t>(TypeParam::keyLength() / 8)));
    const auto iv = ivFrom<TypeParam>(Bytes(std::vector<std::uint8_t>(16)));
    const Bytes partial(std::vector<std::uint8_t>(17));
    EXPECT_THROW((void)key.encryptBlock(partial), std::invalid_argument);
    EXPECT_THROW((void)zorvan::ecb(key, partial), std::invalid_argument);
    EXPECT_THROW((void)zorvan::unEcb(key, partial), std::invalid_argument);
    EXPECT_THROW((void)zorvan::cbc(key, iv, partial), std::invalid_argument);
    EXPECT_THROW((void)zorvan::unCbc(key, iv, partial), std::invalid_argument);
}

template <class K>
using StrictOperation = std::pair<Bytes, IV<K>> (*)(const K&, const IV<K>&, const Bytes&);

// SP 800-38A F.2 to F.5, AES-128: each mode's four blocks, and the IV it leaves.
struct Sp80038aCase {
    const char* mode;
    StrictOperation<AES128> encrypt;
    StrictOperation<AES128> decrypt;
    const char* iv;
    const char* ciphertext;
    const char* nextIv;
};

class Sp80038a : public testing::TestWithParam<Sp80038aCase> {};

TEST_P(Sp80038a, EncryptsDecryptsAndLeavesTheNextIv) {
    const Sp80038aCase& vector = GetParam();
    const auto key = keyFrom<AES128>(fromHex("2b7e151628aed2a6abf7158809cf4f3c"));
    const auto iv = ivFrom<AES128>(fromHex(vector.iv));
    const Bytes plaintext =
        fromHex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
    const Bytes ciphertext = fromHex(vector.ciphertext);
    const auto [encrypted, ivAfterEncryption] = vector.encrypt(key, iv, plaintext);
    EXPECT_EQ(encrypted, ciphertext);
    EXPECT_EQ(ivAfterEncryption.encode(), fromHex(vector.nextIv));
    const auto [decrypted, ivAfterDecryption] = vector.decrypt(key, iv, ciphertext);
    EXPECT_EQ(decrypted, plaintext);
    EXPECT_EQ(ivAfterDecryption, ivAfterEncryption);
}

INSTANTIATE_TEST_SUITE_P(
    Aes128, Sp80038a,
    testing::Values(
        Sp80038aCase{"CBC", &zorvan::cbc<AES128>, &zorvan::unCbc<AES128>,
                     "000102030405060708090a0b0c0d0e0f",
                     "7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                     "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7",
                     "3ff1caa1681fac09120eca307586e1a7"},
        Sp80038aCase{"CFB", &zorvan::cfb<AES128>, &zorvan::unCfb<AES128>,
                     "000102030405060708090a0b0c0d0e0f",
                     "3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
                     "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6",
                     "c04b05357c5d1c0eeac4c66f9ff7f2e6"},
        // The OFB keystream's last block is its last ciphertext block XOR plaintext block.
        Sp80038aCase{"OFB", &zorvan::ofb<AES128>, &zorvan::unOfb<AES128>,
                     "000102030405060708090a0b0c0d0e0f",
                     "3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
                     "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e",
                     "c6d3416d29165c6fcb8e51a227ba994e"},
        Sp80038aCase{"CTR", &zorvan::ctr<AES128>, &zorvan::unCtr<AES128>,
                     "f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff",
                     "874d6191b620e3261bef6864990db6ce9806f66b7970fdff8617187bb9fffdff"
                     "5ae4df3edbd5d35e5b4f09020db03eab1e031dda2fbe03d1792170a0f3009cee",
                     "f0f1f2f3f4f5f6f7f8f9fafbfcfdff03"}),
    [](const auto& parameter) { return std::string(parameter.param.mode); });

// A key type with nothing but the block functions, so the free mode functions fall back to
// the generic modes; it runs on libcrypto's AES underneath.
struct BlocksOnly {
    static constexpr std::size_t blockSize() { return AES128::blockSize(); }
    static constexpr std::size_t keyLength() { return AES128::keyLength(); }
    static std::optional<BlocksOnly> buildKey(const Bytes& octets) {
        const auto key = AES128::buildKey(octets);
        return key ? std::optional(BlocksOnly{*key}) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const { return aes.encryptBlock(blocks); }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const { return aes.decryptBlock(blocks); }

    AES128 aes;
};

TEST(NativeAgainstGeneric, IvModesAgreeOnOutputAndNextIvStrictAndLazy) {
    Random random(7);
    forEachIvMode([&](const auto& mode) {
        for (int round = 0; round < 100; ++round) {
            const ModeInput input = modeInput(random, 16, mode.wholeBlocksOnly, round);
            const auto expected = mode.template runStrict<BlocksOnly>(input);
            EXPECT_EQ(mode.template runStrict<AES128>(input), expected) << mode.name;
            EXPECT_EQ(mode.template runLazy<AES128>(input), expected) << mode.name << " lazy";
            EXPECT_EQ(mode.template runLazy<BlocksOnly>(input), expected)
                << mode.name << " generic lazy";
        }
    });
}

TEST(EspPadding, PadsToWholeBlocksAndUnpadsBack) {
    const auto key = keyFrom<AES128>(Bytes(std::vector<std::uint8_t>(16)));
    Random random(3);
    for (std::size_t length = 0; length <= 40; ++length) {
        const Bytes message = random.bytes(length);
        const Bytes padded = zorvan::padESPBlockSize(key, message);
        EXPECT_EQ(padded.size() % 16, 0u) << "length " << length;
        EXPECT_GT(padded.size(), length);
        EXPECT_LE(padded.size(), length + 16);
        EXPECT_EQ(zorvan::unpadESP(padded), message) << "length " << length;
    }
    EXPECT_EQ(zorvan::padESPBlockSize(key, Bytes{0xaa, 0xbb}),
              fromHex("aabb0102030405060708090a0b0c0d0d"));
}

TEST(EspPadding, UnpadRefusesMalformedPadding) {
    const std::vector<std::pair<const char*, Bytes>> malformed = {
        {"no length octet", Bytes{}},
        {"length beyond the message", Bytes{0x01}},
        {"length far beyond the message", Bytes{0xaa, 0xbb, 0x05}},
        {"pad octet 0 where 1 is due", Bytes{0xaa, 0x00, 0x01}},
        {"pad octets out of order", Bytes{0xaa, 0x02, 0x01, 0x02}},
        {"last pad octet wrong", Bytes{0xaa, 0x01, 0x03, 0x02}},
        {"pad octets all equal to the length", Bytes{0x03, 0x03, 0x03, 0x03}},
    };
    for (const auto& [what, padded] : malformed) {
        EXPECT_FALSE(zorvan::unpadESP(padded).has_value()) << what;
    }
    EXPECT_EQ(zorvan::unpadESP(Bytes{0x00}), Bytes{});
    EXPECT_EQ(zorvan::unpadESP(Bytes{0x01, 0x00}), Bytes{0x01});
    EXPECT_EQ(zorvan::unpadESP(Bytes{0x01, 0x02, 0x02}), Bytes{});
}

} // namespace
