// The hash length sweeps and the long message over the installed digests with the three
// libraries, and with hashes whose padding or length counter is broken.

#include <Test/HashSweep.hpp>
#include <Test/HashSweepFiles.hpp>
#include <Test/KatValues.hpp>

#include "hash_suite_support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace sweep = ::Test::HashSweep;
using hash_suites::failingNames;
using hash_suites::runUnitLeaves;
using ::testing::IsEmpty;
using zorvan::Bytes;

template <class Backend> class HashSweepSuite : public ::testing::Test {};
TYPED_TEST_SUITE(HashSweepSuite, hash_suites::HashBackends, hash_suites::HashBackendNames);

// Every length from 0 to two blocks plus two octets: 131 for 64-octet blocks, 259 for 128.
void expectPassesEveryLength(const std::vector<zorvan::testing::Test>& tests,
                             const std::string& label, std::size_t blockOctets) {
    const auto runs = runUnitLeaves(tests);
    ASSERT_EQ(runs.size(), 2 * blockOctets + 3) << label;
    EXPECT_EQ(runs.front().name, "Sweep" + label + "-0bits");
    EXPECT_EQ(runs.back().name,
              "Sweep" + label + "-" + std::to_string(8 * (2 * blockOctets + 2)) + "bits");
    EXPECT_THAT(failingNames(runs), IsEmpty()) << label;
}

TYPED_TEST(HashSweepSuite, EveryBuilderPassesEveryLength) {
    using B = TypeParam;
    expectPassesEveryLength(
        sweep::makeSHA1SweepTests(zorvan::hashStrict<typename B::SHA1>(Bytes{})), "SHA1", 64);
    expectPassesEveryLength(sweep::makeSHA224SweepTests<typename B::SHA224>(), "SHA224", 64);
    expectPassesEveryLength(sweep::makeSHA256SweepTests<typename B::SHA256>(), "SHA256", 64);
    expectPassesEveryLength(sweep::makeSHA384SweepTests<typename B::SHA384>(), "SHA384", 128);
    expectPassesEveryLength(sweep::makeSHA512SweepTests<typename B::SHA512>(), "SHA512", 128);
}

TEST(HashSweepSuite, MD5PassesEveryLengthWithEachLibrary) {
    expectPassesEveryLength(sweep::makeMD5SweepTests<zorvan::openssl::MD5>(), "MD5", 64);
    expectPassesEveryLength(sweep::makeMD5SweepTests<zorvan::gcrypt::MD5>(), "MD5", 64);
    expectPassesEveryLength(sweep::makeMD5SweepTests<zorvan::nettle::MD5>(), "MD5", 64);
}

// Padding that goes wrong where the length no longer fits beside the 0x80 octet in the
// last block (55 to 59 octets modulo 64).
struct PaddingFault : hash_suites::NoFault {
    static Bytes afterHashing(Bytes digest, std::size_t octetsFed) {
        const std::size_t inBlock = octetsFed % 64;
        return inBlock >= 55 && inBlock <= 59 ? hash_suites::flipFirstOctet(digest) : digest;
    }
};

TEST(HashSweepSuiteFaults, AnMD5PaddingFaultFailsExactlyItsLengths) {
    std::multiset<std::string> expected;
    for (const int octets : {55, 56, 57, 58, 59, 119, 120, 121, 122, 123}) {
        expected.insert("SweepMD5-" + std::to_string(8 * octets) + "bits");
    }
    EXPECT_EQ(failingNames(
                  runUnitLeaves(sweep::makeMD5SweepTests<
                                hash_suites::FaultyDigest<zorvan::openssl::MD5, PaddingFault>>())),
              expected);
}

// A length counter of 32 bits: a message of 2^29 octets or more is padded with a wrapped
// length.
struct LengthCounterFault : hash_suites::NoFault {
    static Bytes afterHashing(Bytes digest, std::size_t octetsFed) {
        return octetsFed >= (std::size_t{1} << 29) ? hash_suites::flipFirstOctet(digest) : digest;
    }
};

TEST(HashSweepSuiteLong, TheLongMessageIsOnRequestOnlyAndCatchesA32BitLengthCounter) {
    const std::string longTest =
        "LongMD5-" + std::to_string(8 * ((std::uint64_t{1} << 29) + 7)) + "bits";
    const auto withoutLong = sweep::makeMD5SweepTests<zorvan::openssl::MD5>();
    const auto withLong =
        sweep::makeMD5SweepTests<zorvan::openssl::MD5>(sweep::LongMessage::include);
    ASSERT_EQ(withLong.size(), withoutLong.size() + 1);
    EXPECT_EQ(withLong.back().name(), longTest);
    const std::vector<zorvan::testing::Test> onlyLong{withLong.back()};
    EXPECT_THAT(failingNames(runUnitLeaves(onlyLong)), IsEmpty());
    const auto faulty = sweep::makeMD5SweepTests<
        hash_suites::FaultyDigest<zorvan::openssl::MD5, LengthCounterFault>>(
        sweep::LongMessage::include);
    EXPECT_EQ(failingNames(runUnitLeaves({faulty.back()})), std::multiset<std::string>{longTest});
}

TEST(HashSweepPattern, PiecesFedMakeThePatternMessage) {
    const std::size_t length = 3 * 251 * 1024 + 5;
    std::vector<std::uint8_t> fed;
    std::size_t pieces = 0;
    sweep::feedPattern(length, [&](std::span<const std::uint8_t> piece) {
        fed.insert(fed.end(), piece.begin(), piece.end());
        ++pieces;
    });
    EXPECT_EQ(pieces, 4u);
    EXPECT_EQ(Bytes(fed), sweep::patternMessage(length));
    const Bytes start = sweep::patternMessage(253);
    EXPECT_EQ(start[0], 0);
    EXPECT_EQ(start[250], 250);
    EXPECT_EQ(start[251], 0);
    EXPECT_EQ(start[252], 1);
}

TEST(HashSweepPattern, LenMustBeAWholeNumberOfOctets) {
    EXPECT_EQ(sweep::messageOctets({"n", "4294967352", "00"}), (std::uint64_t{1} << 29) + 7);
    for (const char* length : {"12", "-8", "eight"}) {
        EXPECT_THROW(sweep::messageOctets({"n", length, "00"}), ::Test::KatValues::KatValueError)
            << length;
    }
}

} // namespace
