// The XTS suites: NIST's XTSGen files and the XTS laws pass for every library's XTS-AES and for the
// generic XTS over AES's block function alone, every record being a test or counted as another
// variant with its reason; XTS broken each way a real one has been fails where it should.

#include <Test/RecordLedger.hpp>
#include <Test/XTS.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/xts.hpp>

#include "block_only.hpp"
#include "hash_suite_support.hpp"
#include "leaf_runs.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace {

namespace xts = ::Test::XTS;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using zorvan::Bytes;
using zorvan::testing::LeafStatus;

// The records of a key size's files in both folders whose data unit is one of the lengths.
std::size_t recordsOfLengths(const std::string& file, std::initializer_list<int> bits) {
    std::size_t count = 0;
    for (const char* folder : {xts::katDirectory, xts::sequenceNumberDirectory}) {
        count += hash_suites::countLines(
            folder, [&](const std::string& name) { return name == file; },
            [&](const std::string& line, const std::string&) {
                return std::ranges::any_of(bits, [&](int each) {
                    return line == "DataUnitLen = " + std::to_string(each);
                });
            });
    }
    return count;
}

template <class K> void expectSuiteAndLawsPass(const std::string& file, bool ownsXts) {
    const auto known = leaf_runs::runAll(xts::makeAESXTSTests<K>());
    // Every record whose data unit is whole octets; the 130-, 140- and 250-bit ones are not.
    EXPECT_THAT(known, SizeIs(recordsOfLengths(file, {128, 200, 256, 384}))) << file;
    EXPECT_THAT(leaf_runs::pathsWith(known, LeafStatus::failed), IsEmpty()) << file;
    const auto laws = leaf_runs::runAll(xts::makeXtsConformanceTests<K>());
    EXPECT_THAT(leaf_runs::pathsWith(laws, LeafStatus::failed), IsEmpty()) << file;
    EXPECT_THAT(leaf_runs::pathsWith(laws, LeafStatus::skipped),
                ownsXts ? std::vector<std::string>{}
                        : std::vector<std::string>{"XTS laws/XTSNativeMatchesGeneric"})
        << file;
}

TEST(XtsSuites, PassForEveryLibraryAndTheGenericXts) {
    expectSuiteAndLawsPass<zorvan::openssl::AES128>("XTSGenAES128.rsp", true);
    expectSuiteAndLawsPass<zorvan::openssl::AES256>("XTSGenAES256.rsp", true);
    expectSuiteAndLawsPass<zorvan::gcrypt::AES128>("XTSGenAES128.rsp", true);
    expectSuiteAndLawsPass<zorvan::gcrypt::AES256>("XTSGenAES256.rsp", true);
    expectSuiteAndLawsPass<zorvan::nettle::AES128>("XTSGenAES128.rsp", true);
    expectSuiteAndLawsPass<zorvan::nettle::AES256>("XTSGenAES256.rsp", true);
    expectSuiteAndLawsPass<BlockOnly<zorvan::openssl::AES128>>("XTSGenAES128.rsp", false);
    expectSuiteAndLawsPass<BlockOnly<zorvan::gcrypt::AES256>>("XTSGenAES256.rsp", false);
}

TEST(XtsSuites, RecordsThatCannotBeTestsAreCountedWithTheirReason) {
    ::Test::RecordLedger::Ledger ledger;
    {
        const ::Test::RecordLedger::Recording recording(ledger);
        (void)xts::makeAESXTSTests<zorvan::nettle::AES128>();
    }
    EXPECT_EQ(ledger.tests, recordsOfLengths("XTSGenAES128.rsp", {128, 200, 256}));
    EXPECT_THAT(ledger.failed, IsEmpty());
    EXPECT_EQ(
        ledger.otherVariants.at("a data unit of 130 bits, not a whole number of octets").records,
        recordsOfLengths("XTSGenAES128.rsp", {130}));
    EXPECT_EQ(ledger.otherVariants.at("keys of 32 octets").records,
              recordsOfLengths("XTSGenAES256.rsp", {128, 256, 384}));
    EXPECT_EQ(ledger.records(), 4000u);
}

TEST(XtsSuites, AKeyLengthWithoutPublishedVectorsIsOneSkippedLeaf) {
    const auto runs = leaf_runs::runAll(xts::makeAESXTSTests<zorvan::gcrypt::AES192>());
    ASSERT_THAT(runs, SizeIs(1));
    EXPECT_EQ(runs[0].status, LeafStatus::skipped);
    EXPECT_THAT(runs[0].report, ::testing::HasSubstr("AES-128 and AES-256 keys only"));
}

TEST(XtsKey, TakesTwoKeysOfTheCipherAndNothingElse) {
    using Key = zorvan::Xts<zorvan::nettle::AES128>;
    EXPECT_EQ(Key::keyLength(), 256u);
    for (const std::size_t octets : {0u, 16u, 31u, 33u, 48u, 64u}) {
        EXPECT_FALSE(Key::buildKey(Bytes(std::vector<std::uint8_t>(octets)))) << octets;
    }
    EXPECT_TRUE(Key::buildKey(Bytes(std::vector<std::uint8_t>(32))));
}

// ---- broken XTS, each an AES key whose own xts (encryption) is wrong one way.

enum class XtsFault {
    stealsFromFirstBlock, // a short last block is filled up from the first block's ciphertext
    tweakBigEndian,       // the tweak is multiplied by alpha as a big-endian number
    padsShortUnits,       // a data unit under a block is zero-padded instead of refused
};

using Block = std::array<std::uint8_t, 16>;

template <XtsFault fault> void nextTweak(Block& tweak) {
    if (fault != XtsFault::tweakBigEndian) {
        zorvan::detail::multiplyByAlpha(tweak);
        return;
    }
    const bool carry = (tweak[0] & 0x80) != 0;
    for (std::size_t i = 0; i < tweak.size(); ++i) {
        const int next = i + 1 < tweak.size() ? tweak[i + 1] >> 7 : 0;
        tweak[i] = static_cast<std::uint8_t>(tweak[i] << 1 | next);
    }
    if (carry) {
        tweak[15] ^= 0x87;
    }
}

template <XtsFault fault>
class FaultyXtsKey : public BlockFunctionsOf<zorvan::openssl::AES128, FaultyXtsKey<fault>> {
public:
    using Aes = zorvan::openssl::AES128;
    explicit FaultyXtsKey(Aes key) : BlockFunctionsOf<Aes, FaultyXtsKey>(std::move(key)) {}

    [[nodiscard]] Bytes xts(const FaultyXtsKey& tweakKey, const zorvan::IV<FaultyXtsKey>& tweak,
                            const Bytes& dataUnit) const {
        if (dataUnit.size() < 16 && fault != XtsFault::padsShortUnits) {
            throw std::invalid_argument("a data unit under a block");
        }
        const Bytes data =
            dataUnit.size() < 16
                ? dataUnit.concat(Bytes(std::vector<std::uint8_t>(16 - dataUnit.size())))
                : dataUnit;
        Block t{};
        std::ranges::copy(tweakKey.encryptBlock(tweak.encode()).view(), t.begin());
        const std::size_t tail = data.size() % 16;
        const std::size_t run = data.size() / 16 - (tail == 0 ? 0 : 1);
        std::vector<std::uint8_t> out(data.size());
        const auto block = [&](const Bytes& in, const Block& with) {
            Block whitened{};
            zorvan::detail::xorOctets(whitened, in.view(), with);
            Block result{};
            std::ranges::copy(this->encryptBlock(Bytes(whitened)).view(), result.begin());
            zorvan::detail::xorOctets(result, result, with);
            return result;
        };
        for (std::size_t j = 0; j < run; ++j) {
            std::ranges::copy(block(data.slice(16 * j, 16), t), out.data() + 16 * j);
            nextTweak<fault>(t);
        }
        if (tail != 0) {
            const Block stolen = block(data.slice(16 * run, 16), t);
            nextTweak<fault>(t);
            const bool fromFirst = fault == XtsFault::stealsFromFirstBlock && run > 0;
            Block filled{};
            std::copy_n(fromFirst ? out.data() : stolen.data(), 16, filled.begin());
            std::ranges::copy(data.drop(16 * run + 16).view(), filled.begin());
            std::copy_n(stolen.begin(), tail, out.data() + 16 * run + 16);
            std::ranges::copy(block(Bytes(filled), t), out.data() + 16 * run);
        }
        return Bytes(out);
    }
};

TEST(BrokenXts, StealingFromTheFirstBlockPassesTheFilesAndFailsTheStealingLaws) {
    using Key = FaultyXtsKey<XtsFault::stealsFromFirstBlock>;
    // NIST's short last blocks follow a single whole block, which is the first.
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(xts::makeAESXTSTests<Key>())),
                IsEmpty());
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(xts::makeXtsConformanceTests<Key>())),
                ElementsAre("XTSCiphertextStealing", "XTSDecryptionUndoesEncryption",
                            "XTSNativeMatchesGeneric"));
}

TEST(BrokenXts, ABigEndianTweakFailsEveryDataUnitOfMoreThanOneBlock) {
    using Key = FaultyXtsKey<XtsFault::tweakBigEndian>;
    const auto known = leaf_runs::runAll(xts::makeAESXTSTests<Key>());
    EXPECT_EQ(leaf_runs::pathsWith(known, LeafStatus::failed).size(),
              recordsOfLengths("XTSGenAES128.rsp", {200, 256}));
    EXPECT_EQ(leaf_runs::pathsWith(known, LeafStatus::passed).size(),
              recordsOfLengths("XTSGenAES128.rsp", {128}));
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(xts::makeXtsConformanceTests<Key>())),
                ElementsAre("XTSCiphertextStealing", "XTSDecryptionUndoesEncryption",
                            "XTSNativeMatchesGeneric", "XTSTweakLittleEndian"));
}

TEST(BrokenXts, PaddingAShortDataUnitFailsTheRefusalLawAlone) {
    using Key = FaultyXtsKey<XtsFault::padsShortUnits>;
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(xts::makeAESXTSTests<Key>())),
                IsEmpty());
    EXPECT_THAT(leaf_runs::failedLeafNames(leaf_runs::runAll(xts::makeXtsConformanceTests<Key>())),
                ElementsAre("XTSRefusesShortDataUnit"));
}

} // namespace
