// makeCamelliaTests and makeMD5HMACTests over the installed vectors with the three libraries,
// and Camellia-192 built on the 256-bit key schedule, right and wrong.

#include <Test/Camellia.hpp>
#include <Test/HMACMD5.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>

#include "hash_suite_support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

using hash_suites::failingNames;
using hash_suites::runUnitLeaves;
using ::testing::IsEmpty;
using zorvan::Bytes;

// The records of Test/KAT_CAMELLIA with a key of that many bits whose hex `keyHex` accepts,
// counted by their KEY lines (the parser is not trusted to count them).
std::size_t installedRecordsFor(
    std::size_t keyBits, const std::function<bool(std::string_view keyHex)>& keyHex =
                             [](std::string_view) { return true; }) {
    const std::string prefix = "KEY = ";
    return hash_suites::countLines(
        ::Test::Camellia::katDirectory, [](const std::string&) { return true; },
        [&](const std::string& line, const std::string&) {
            return line.starts_with(prefix) && line.size() - prefix.size() == keyBits / 4 &&
                   keyHex(std::string_view(line).substr(prefix.size()));
        });
}

template <class K> class CamelliaSuite : public ::testing::Test {};
using Libraries = ::testing::Types<
    zorvan::openssl::Camellia128, zorvan::openssl::Camellia192, zorvan::openssl::Camellia256,
    zorvan::gcrypt::Camellia128, zorvan::gcrypt::Camellia192, zorvan::gcrypt::Camellia256,
    zorvan::nettle::Camellia128, zorvan::nettle::Camellia192, zorvan::nettle::Camellia256>;
TYPED_TEST_SUITE(CamelliaSuite, Libraries);

TYPED_TEST(CamelliaSuite, PassesEveryRecordOfItsKeySizeThenTheProperties) {
    const auto tests = ::Test::Camellia::makeCamelliaTests<TypeParam>();
    const auto runs = runUnitLeaves(tests);
    // NTT's 1280 pairs per key size, both ways, and 4 records per mode file.
    EXPECT_EQ(runs.size(), 2 * 1280 + 2 * 3 * 4);
    EXPECT_EQ(runs.size(), installedRecordsFor(TypeParam::keyLength()));
    EXPECT_THAT(failingNames(runs), IsEmpty());
    ASSERT_GE(tests.size(), 2u);
    EXPECT_EQ(tests.back().name(), ::Test::Crypto::names::agreementGroup);
}

// Camellia-192 is Camellia-256's schedule with the key's last 64 bits made from its third
// quarter complemented (RFC 3713, 2.1); taking the 192-bit key as a 256-bit one with those bits
// zero is the slip this wraps.
template <bool ComplementRightHalf> class Camellia192OnThe256Path {
public:
    static constexpr std::size_t blockSize() { return 128; }
    static constexpr std::size_t keyLength() { return 192; }

    static std::optional<Camellia192OnThe256Path> buildKey(const Bytes& key) {
        if (key.size() != 24) {
            return std::nullopt;
        }
        std::vector<std::uint8_t> octets(key.begin(), key.end());
        for (std::size_t index = 16; index < 24; ++index) {
            octets.push_back(ComplementRightHalf ? static_cast<std::uint8_t>(~key[index]) : 0);
        }
        return Camellia192OnThe256Path(*zorvan::nettle::Camellia256::buildKey(Bytes(octets)));
    }
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return inner_.encryptBlock(blocks);
    }
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return inner_.decryptBlock(blocks);
    }

private:
    explicit Camellia192OnThe256Path(zorvan::nettle::Camellia256 inner)
        : inner_(std::move(inner)) {}
    zorvan::nettle::Camellia256 inner_;
};

// Where the key's last 64 bits are all ones, their complement is zero and the slip changes
// nothing: NTT's table has one such key.
TEST(CamelliaSuiteFaults, A192BitKeyOnThe256BitPathFailsEveryKnownAnswerItChanges) {
    const auto right =
        runUnitLeaves(::Test::Camellia::makeCamelliaTests<Camellia192OnThe256Path<true>>());
    EXPECT_EQ(right.size(), installedRecordsFor(192));
    EXPECT_THAT(failingNames(right), IsEmpty());
    const auto wrong =
        runUnitLeaves(::Test::Camellia::makeCamelliaTests<Camellia192OnThe256Path<false>>());
    EXPECT_EQ(wrong.size(), right.size());
    const std::size_t unchanged = installedRecordsFor(
        192, [](std::string_view keyHex) { return keyHex.ends_with("FFFFFFFFFFFFFFFF"); });
    EXPECT_EQ(unchanged, 2u * 128);
    EXPECT_EQ(failingNames(wrong).size(), wrong.size() - unchanged);
    const auto failed = std::find_if(wrong.begin(), wrong.end(),
                                     [](const hash_suites::LeafRun& run) { return !run.passed; });
    ASSERT_NE(failed, wrong.end());
    EXPECT_THAT(failed->report, ::testing::HasSubstr("\n  vector: Test/KAT_CAMELLIA/"));
}

template <class D> class HmacMd5Suite : public ::testing::Test {};
using Md5Libraries =
    ::testing::Types<zorvan::openssl::MD5, zorvan::gcrypt::MD5, zorvan::nettle::MD5>;
TYPED_TEST_SUITE(HmacMd5Suite, Md5Libraries);

TYPED_TEST(HmacMd5Suite, PassesTheSevenCasesOfRfc2202InOrder) {
    const auto runs = runUnitLeaves(::Test::HMACMD5::makeMD5HMACTests<TypeParam>());
    ASSERT_EQ(runs.size(), 7u);
    for (std::size_t index = 0; index < runs.size(); ++index) {
        EXPECT_EQ(runs[index].name, "RfcHMACMD5-" + std::to_string(index + 1));
    }
    EXPECT_THAT(failingNames(runs), IsEmpty());
}

// A MAC that is right but for its last octet fails every case: the whole MAC is compared.
struct LastOctetFlipped {
    static Bytes afterHashing(Bytes digest, std::size_t /*octetsFed*/) { return digest; }
    static std::vector<Bytes> chunksFed(const zorvan::LazyBytes& message) {
        return message.toChunks();
    }
    static Bytes afterMac(Bytes mac) {
        std::vector<std::uint8_t> octets(mac.begin(), mac.end());
        octets.back() ^= 1;
        return Bytes(octets);
    }
};

TEST(HmacMd5SuiteFaults, AWrongLastOctetFailsEveryCase) {
    using Faulty = hash_suites::FaultyDigest<zorvan::openssl::MD5, LastOctetFlipped>;
    EXPECT_EQ(failingNames(runUnitLeaves(::Test::HMACMD5::makeMD5HMACTests<Faulty>())).size(), 7u);
}

} // namespace
