// The CMAC suites: the SP 800-38B examples and the MAC laws pass for every library's AES-CMAC and
// for the generic CMAC over AES's block function alone; the generic CMAC over a 64-bit cipher
// agrees with libgcrypt's; and CMACs broken each way a real one has been fail where they should.

#include <Test/CMAC.hpp>
#include <Test/MacVectors.hpp>
#include <Test/RecordTests.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/cmac.hpp>

#include "block_only.hpp"
#include "leaf_runs.hpp"
#include "temporary_data_directory.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <gcrypt.h>

#include <string>

namespace {

namespace cmac = ::Test::CMAC;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::testing::LeafStatus;

template <class K> void expectSuiteAndLawsPass(const std::string& file, bool ownsCmac) {
    const auto known = leaf_runs::runAll(cmac::makeAESCMACTests<K>());
    ASSERT_THAT(known, SizeIs(4)) << file;
    EXPECT_EQ(known.front().path, file + "-0");
    EXPECT_THAT(leaf_runs::pathsWith(known, LeafStatus::failed), IsEmpty()) << file;
    const auto laws = leaf_runs::runAll(cmac::makeMacConformanceTests<K>());
    EXPECT_THAT(leaf_runs::pathsWith(laws, LeafStatus::failed), IsEmpty()) << file;
    const std::vector<std::string> skipped = leaf_runs::pathsWith(laws, LeafStatus::skipped);
    if (ownsCmac) {
        EXPECT_THAT(skipped, IsEmpty()) << file;
    } else {
        EXPECT_THAT(skipped, ElementsAre("CMAC subkey laws/CMACNativeMatchesGeneric")) << file;
    }
}

TEST(CmacSuites, PassForEveryLibraryAndKeySize) {
    const std::string file = "nist-800-38b-aes";
    expectSuiteAndLawsPass<zorvan::openssl::AES128>(file + "128.txt", true);
    expectSuiteAndLawsPass<zorvan::openssl::AES192>(file + "192.txt", true);
    expectSuiteAndLawsPass<zorvan::openssl::AES256>(file + "256.txt", true);
    expectSuiteAndLawsPass<zorvan::gcrypt::AES128>(file + "128.txt", true);
    expectSuiteAndLawsPass<zorvan::gcrypt::AES192>(file + "192.txt", true);
    expectSuiteAndLawsPass<zorvan::gcrypt::AES256>(file + "256.txt", true);
    expectSuiteAndLawsPass<zorvan::nettle::AES128>(file + "128.txt", true);
    expectSuiteAndLawsPass<zorvan::nettle::AES192>(file + "192.txt", true);
    expectSuiteAndLawsPass<zorvan::nettle::AES256>(file + "256.txt", true);
}

TEST(CmacSuites, PassForTheGenericCmacOverAesBlocksAlone) {
    const std::string file = "nist-800-38b-aes";
    expectSuiteAndLawsPass<BlockOnly<zorvan::openssl::AES128>>(file + "128.txt", false);
    expectSuiteAndLawsPass<BlockOnly<zorvan::nettle::AES256>>(file + "256.txt", false);
}

// Three-key TDEA from libgcrypt, 64-bit blocks: the generic CMAC's other reduction constant.
class Tdea {
public:
    static std::size_t blockSize() { return 64; }
    static std::size_t keyLength() { return 192; }
    static std::optional<Tdea> buildKey(const Bytes& octets) {
        return octets.size() == 24 ? std::optional(Tdea(octets)) : std::nullopt;
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const { return run(blocks, true); }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const { return run(blocks, false); }

private:
    explicit Tdea(Bytes key) : key_(std::move(key)) {}
    [[nodiscard]] Bytes run(const Bytes& blocks, bool encrypt) const {
        gcry_cipher_hd_t handle = nullptr;
        gcry_cipher_open(&handle, GCRY_CIPHER_3DES, GCRY_CIPHER_MODE_ECB, 0);
        gcry_cipher_setkey(handle, key_.data(), key_.size());
        Bytes out = Bytes::create(blocks.size(), [&](std::span<std::uint8_t> octets) {
            (encrypt ? gcry_cipher_encrypt : gcry_cipher_decrypt)(
                handle, octets.data(), octets.size(), blocks.data(), blocks.size());
        });
        gcry_cipher_close(handle);
        return out;
    }
    Bytes key_;
};

Bytes gcryptCmac3des(const Bytes& key, const Bytes& message) {
    gcry_mac_hd_t handle = nullptr;
    gcry_mac_open(&handle, GCRY_MAC_CMAC_3DES, 0, nullptr);
    gcry_mac_setkey(handle, key.data(), key.size());
    gcry_mac_write(handle, message.data(), message.size());
    std::size_t length = 8;
    Bytes tag = Bytes::create(
        8, [&](std::span<std::uint8_t> out) { gcry_mac_read(handle, out.data(), &length); });
    gcry_mac_close(handle);
    return tag;
}

TEST(GenericCmac, AgreesWithLibgcryptOverSixtyFourBitBlocksAtEveryLengthToFourBlocks) {
    zorvan::gcrypt::detail::initialiseLibgcrypt();
    const Bytes keyOctets = Bytes::create(24, [](std::span<std::uint8_t> out) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<std::uint8_t>(0x8a + 37 * i);
        }
    });
    const Tdea key = *Tdea::buildKey(keyOctets);
    for (std::size_t length = 0; length <= 33; ++length) {
        const Bytes message = Bytes::create(length, [](std::span<std::uint8_t> out) {
            for (std::size_t i = 0; i < out.size(); ++i) {
                out[i] = static_cast<std::uint8_t>(i * 13 + 5);
            }
        });
        EXPECT_EQ(zorvan::cmac(key, LazyBytes::chunksOf(message, 5)),
                  gcryptCmac3des(keyOctets, message))
            << length << " octets";
    }
    EXPECT_THAT(leaf_runs::runAll(cmac::makeMacConformanceTests<Tdea>()),
                ::testing::Each(::testing::Field(&leaf_runs::LeafRun::status,
                                                 ::testing::Ne(LeafStatus::failed))));
}

// ---- broken CMACs, each an AES key whose own cmac is wrong one way.

enum class CmacFault {
    doublingWithoutReduction, // K1 and K2 are shifted but 0x87 is never XORed in
    oneBlockPadded,           // a message of exactly one block is padded and masked with K2
};

template <CmacFault fault>
class FaultyCmacKey : public BlockFunctionsOf<zorvan::openssl::AES128, FaultyCmacKey<fault>> {
public:
    using Aes = zorvan::openssl::AES128;
    explicit FaultyCmacKey(Aes key) : BlockFunctionsOf<Aes, FaultyCmacKey>(std::move(key)) {}

    [[nodiscard]] Bytes cmac(const LazyBytes& chunks) const {
        const Bytes message = chunks.toStrict();
        const Bytes k1 = twice(this->encryptBlock(Bytes(std::vector<std::uint8_t>(16))));
        const Bytes k2 = twice(k1);
        const bool whole = !message.empty() && message.size() % 16 == 0 &&
                           !(fault == CmacFault::oneBlockPadded && message.size() == 16);
        const std::size_t lastStart = whole ? message.size() - 16 : message.size() / 16 * 16;
        std::array<std::uint8_t, 16> last{};
        std::ranges::copy(message.drop(lastStart).take(16).view(), last.begin());
        if (!whole) {
            last[message.size() - lastStart < 16 ? message.size() - lastStart : 0] ^= 0x80;
        }
        zorvan::detail::xorOctets(last, last, (whole ? k1 : k2).view());
        const Bytes chaining =
            lastStart == 0
                ? Bytes(std::vector<std::uint8_t>(16))
                : zorvan::cbc(this->cipher(),
                              *zorvan::IV<Aes>::get(Bytes(std::vector<std::uint8_t>(16))),
                              message.take(lastStart))
                      .second.encode();
        zorvan::detail::xorOctets(last, last, chaining.view());
        return this->encryptBlock(Bytes(last));
    }

private:
    static Bytes twice(const Bytes& block) {
        const Bytes doubled = zorvan::detail::doubleSubkey(block);
        if (fault != CmacFault::doublingWithoutReduction || (block[0] & 0x80) == 0) {
            return doubled;
        }
        return Bytes::create(16, [&](std::span<std::uint8_t> out) {
            std::ranges::copy(doubled.view(), out.begin());
            out[15] ^= 0x87;
        });
    }
};

TEST(BrokenCmacs, DoublingWithoutTheReductionConstantFailsTheKnownAnswersAndTheSubkeyLaws) {
    using Key = FaultyCmacKey<CmacFault::doublingWithoutReduction>;
    // The examples' key has L's top bit clear and K1's set: K1 is right, K2 wrong.
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(cmac::makeAESCMACTests<Key>())),
                ElementsAre("nist-800-38b-aes128.txt-0", "nist-800-38b-aes128.txt-2"));
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(cmac::makeMacConformanceTests<Key>())),
                ElementsAre("CMACEmptyMessageUsesK2", "CMACNativeMatchesGeneric",
                            "CMACPartialBlocksUseK2", "CMACWholeBlocksUseK1"));
}

TEST(BrokenCmacs, PaddingAWholeSingleBlockFailsItsKnownAnswerAndTheKOneLaw) {
    using Key = FaultyCmacKey<CmacFault::oneBlockPadded>;
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(cmac::makeAESCMACTests<Key>())),
                ElementsAre("nist-800-38b-aes128.txt-1"));
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(cmac::makeMacConformanceTests<Key>())),
                ElementsAre("CMACNativeMatchesGeneric", "CMACWholeBlocksUseK1"));
}

// ---- MACs whose verification or keys are wrong.

enum class MacFault {
    verifyTakesTheTagsLength, // compares as many octets as the tag it is handed: an empty one
                              // passes
    shortKeysPadded,          // zero-pads a short key instead of refusing it
};

template <MacFault fault> class FaultyMac {
public:
    using Aes = zorvan::openssl::AES128;
    static std::size_t keyLength() { return 128; }
    static std::size_t tagLength() { return 128; }
    static std::optional<FaultyMac> buildKey(const Bytes& octets) {
        const Bytes key = fault == MacFault::shortKeysPadded && octets.size() < 16
                              ? octets.concat(Bytes(std::vector<std::uint8_t>(16 - octets.size())))
                              : octets;
        std::optional<Aes> aes = Aes::buildKey(key);
        return aes ? std::optional(FaultyMac(std::move(*aes))) : std::nullopt;
    }
    [[nodiscard]] Bytes tag(const LazyBytes& message) const { return zorvan::cmac(key_, message); }
    [[nodiscard]] bool verifyTag(const LazyBytes& message, const Bytes& tag) const {
        const Bytes full = this->tag(message);
        if (fault == MacFault::verifyTakesTheTagsLength) {
            return tag.size() <= full.size() && full.take(tag.size()) == tag;
        }
        return zorvan::detail::tagMatches(full, tag);
    }

private:
    explicit FaultyMac(Aes key) : key_(std::move(key)) {}
    Aes key_;
};

TEST(BrokenMacs, EachFailsItsLawAlone) {
    EXPECT_THAT(
        leaf_runs::failedLeafNames(leaf_runs::runAll(
            cmac::makeMacConformanceTests<FaultyMac<MacFault::verifyTakesTheTagsLength>>())),
        ElementsAre("TruncatedTagsVerify"));
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(
                    cmac::makeMacConformanceTests<FaultyMac<MacFault::shortKeysPadded>>())),
                ElementsAre("KeySizesAsClaimed"));
}

TEST(VerifyTag, TakesTruncationsToSixtyFourBitsAndRefusesShorterOnes) {
    const Bytes full = Bytes::create(16, [](std::span<std::uint8_t> out) {
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = static_cast<std::uint8_t>(i + 1);
        }
    });
    for (std::size_t kept = 0; kept <= 16; ++kept) {
        EXPECT_EQ(zorvan::detail::tagMatches(full, full.take(kept)), kept >= 8) << kept;
    }
    EXPECT_FALSE(zorvan::detail::tagMatches(full, full.concat(Bytes{0})));
    // A 64-bit cipher's whole tag is the shortest it takes.
    EXPECT_TRUE(zorvan::detail::tagMatches(full.take(8), full.take(8)));
    EXPECT_FALSE(zorvan::detail::tagMatches(full.take(8), full.take(7)));
}

// A record the suite cannot use fails where it stands; another AES size is left to it; an invalid
// vector's key of no AES size must be refused, and its tag too.
TEST(MacVectors, EveryRecordIsATestAnotherSizeOrAFailure) {
    const TemporaryDataDirectory data;
    data.write("Test/KAT_CMAC/a.txt",
               "COUNT = 0\nKEY = 2b7e151628aed2a6abf7158809cf4f3c\nMESSAGE =\n"
               "OUTPUT = bb1d6929e95937287fa37d129b756746\n\n"
               "COUNT = 1\nKEY = 0011\nMESSAGE =\nOUTPUT = 00\n\n"
               "COUNT = 2\nKEY = " +
                   std::string(48, '0') +
                   "\nMESSAGE =\nOUTPUT = 00\n\n"
                   "COUNT = 3\nKEY = 2b7e151628aed2a6abf7158809cf4f3c\nMESSAGE =\n");
    const auto known = leaf_runs::runAll(cmac::makeAESCMACTests<zorvan::nettle::AES128>());
    std::vector<std::string> paths;
    for (const auto& run : known) {
        paths.push_back(run.path);
    }
    ASSERT_THAT(paths, ElementsAre("a.txt-0", "a.txt:6", "a.txt:16"));
    EXPECT_EQ(known[0].status, LeafStatus::passed);
    EXPECT_THAT(known[1].report, ::testing::HasSubstr("a valid vector with a key of 2 octets"));
    EXPECT_THAT(known[2].report, ::testing::HasSubstr("missing field: OUTPUT"));

    ::Test::RecordTests records{::Test::DataSource()};
    const auto mac = ::Test::Crypto::macView<zorvan::Cmac<zorvan::nettle::AES128>>();
    const std::array<std::size_t, 3> sizes{16, 24, 32};
    cmac::bindMacVector(records, mac, sizes,
                        {"shortKey", "0011223344556677", "", "00", cmac::MacResult::invalid, {}});
    cmac::bindMacVector(records, mac, sizes,
                        {"changedTag",
                         "2b7e151628aed2a6abf7158809cf4f3c",
                         "",
                         "bb1d6929e95937287fa37d129b756747",
                         cmac::MacResult::invalid,
                         {}});
    const auto invalid = leaf_runs::runAll(std::move(records).take());
    ASSERT_THAT(invalid, SizeIs(2));
    EXPECT_THAT(leaf_runs::pathsWith(invalid, LeafStatus::passed),
                ElementsAre("shortKey", "changedTag"));
}

} // namespace
