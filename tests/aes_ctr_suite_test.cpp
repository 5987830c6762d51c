// makeAESCTRTests over the installed vectors with the three libraries' AES, and with CTR
// counters broken the ways real ones have been.

#include <Test/AESCTR.hpp>
#include <Test/ParseNistKATs.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>

#include "hash_suite_support.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace {

namespace ctr = ::Test::AESCTR;
using ::testing::IsEmpty;
using zorvan::Bytes;
using zorvan::IV;

template <class K> class AESCTRSuite : public ::testing::Test {};

using Backends =
    ::testing::Types<zorvan::openssl::AES128, zorvan::openssl::AES192, zorvan::openssl::AES256,
                     zorvan::gcrypt::AES128, zorvan::gcrypt::AES192, zorvan::gcrypt::AES256,
                     zorvan::nettle::AES128, zorvan::nettle::AES192, zorvan::nettle::AES256>;
TYPED_TEST_SUITE(AESCTRSuite, Backends);

// Per key size: 3 RFC 3686 vectors, and 3 carry IVs x 2 lengths x 2 directions.
constexpr std::size_t vectorsPerKeySize = 3 + 12;

TYPED_TEST(AESCTRSuite, PassesEveryVectorOfItsKeySize) {
    const auto witness =
        TypeParam::buildKey(Bytes(std::vector<std::uint8_t>(TypeParam::keyLength() / 8)));
    const auto runs = hash_suites::runUnitLeaves(ctr::makeAESCTRTests(*witness));
    EXPECT_EQ(runs.size(), vectorsPerKeySize);
    EXPECT_THAT(hash_suites::failingNames(runs), IsEmpty());
}

enum class CounterFault {
    wrapsAt32Bits,       // the counter is only the block's low 32 bits, as in GCM's inc32
    carriesWithin64Bits, // the counter is a 64-bit integer beside a fixed nonce
    littleEndian,        // the block read as a little-endian integer
    nextIVSkipsPartial,  // a short last block consumes no counter value
};

// Adds one to the counter's octets [lowest, 16) big-endian, or to the whole block
// little-endian.
void increment(std::span<std::uint8_t> counter, CounterFault fault) {
    if (fault == CounterFault::littleEndian) {
        for (std::size_t i = 0; i < counter.size() && ++counter[i] == 0; ++i) {
        }
        return;
    }
    const std::size_t lowest = fault == CounterFault::wrapsAt32Bits         ? 12
                               : fault == CounterFault::carriesWithin64Bits ? 8
                                                                            : 0;
    for (std::size_t i = counter.size(); i > lowest && ++counter[i - 1] == 0; --i) {
    }
}

// OpenSSL's AES-128 with its own CTR, counting the faulty way.
template <CounterFault fault> class CounterFaultAES128 {
public:
    using Correct = zorvan::openssl::AES128;
    using Iv = IV<CounterFaultAES128>;

    static std::size_t blockSize() { return Correct::blockSize(); }
    static std::size_t keyLength() { return Correct::keyLength(); }
    static std::optional<CounterFaultAES128> buildKey(const Bytes& material) {
        std::optional<Correct> key = Correct::buildKey(material);
        return key ? std::optional(CounterFaultAES128(std::move(*key))) : std::nullopt;
    }
    Bytes encryptBlock(const Bytes& blocks) const { return correct_.encryptBlock(blocks); }
    Bytes decryptBlock(const Bytes& blocks) const { return correct_.decryptBlock(blocks); }

    std::pair<Bytes, Iv> ctr(const Iv& iv, const Bytes& data) const {
        std::vector<std::uint8_t> counter(iv.encode().begin(), iv.encode().end());
        std::vector<std::uint8_t> output(data.begin(), data.end());
        for (std::size_t start = 0; start < output.size(); start += 16) {
            const Bytes keystream = correct_.encryptBlock(Bytes(counter));
            const std::size_t end = std::min(output.size(), start + 16);
            for (std::size_t i = start; i < end; ++i) {
                output[i] ^= keystream[i - start];
            }
            if (end - start == 16 || fault != CounterFault::nextIVSkipsPartial) {
                increment(counter, fault);
            }
        }
        return {Bytes(output), *Iv::get(Bytes(counter))};
    }
    std::pair<Bytes, Iv> unCtr(const Iv& iv, const Bytes& data) const { return ctr(iv, data); }

private:
    explicit CounterFaultAES128(Correct correct) : correct_(std::move(correct)) {}
    Correct correct_;
};

template <CounterFault fault> std::multiset<std::string> failuresOf() {
    return hash_suites::failingNames(
        hash_suites::runUnitLeaves(ctr::makeAESCTRTests<CounterFaultAES128<fault>>()));
}

// The carry file's vectors at the IVs whose low 32 bits, low 64 bits, all 128 bits are ones.
std::multiset<std::string> carryVectorsAt(std::initializer_list<int> ivs) {
    std::multiset<std::string> names;
    for (const char* section : {"ENCRYPT", "DECRYPT"}) {
        for (const int iv : ivs) {
            for (const int length : {0, 1}) {
                names.insert("aes-128-ctr-carry.txt-" + std::string(section) + "-" +
                             std::to_string(2 * iv + length));
            }
        }
    }
    return names;
}

TEST(AESCTRSuiteFaults, ACounterThatWrapsEarlyFailsTheCarriesPastItsWidth) {
    EXPECT_EQ(failuresOf<CounterFault::wrapsAt32Bits>(), carryVectorsAt({0, 1, 2}));
    EXPECT_EQ(failuresOf<CounterFault::carriesWithin64Bits>(), carryVectorsAt({1, 2}));
}

TEST(AESCTRSuiteFaults, ALittleEndianCounterFailsEveryVectorOfMoreThanOneBlock) {
    std::multiset<std::string> expected = carryVectorsAt({0, 1, 2});
    expected.insert({"aes-128-ctr.txt-ENCRYPT-1", "aes-128-ctr.txt-ENCRYPT-2"});
    EXPECT_EQ(failuresOf<CounterFault::littleEndian>(), expected);
}

TEST(AESCTRSuiteFaults, ANextIVThatSkipsTheShortBlockFailsTheVectorsEndingInOne) {
    std::multiset<std::string> expected;
    for (const char* section : {"ENCRYPT", "DECRYPT"}) {
        for (const int count : {1, 3, 5}) {
            expected.insert("aes-128-ctr-carry.txt-" + std::string(section) + "-" +
                            std::to_string(count));
        }
    }
    EXPECT_EQ(failuresOf<CounterFault::nextIVSkipsPartial>(), expected);
}

::Test::KatFiles::KatFile katFile(std::string name, std::string_view text) {
    return {name, name, ::Test::ParseNistKATs::parseCategories("COUNT", text)};
}

TEST(AESCTRVectors, TakesBothSectionsForTheKeyLengthAndSkipsIncompleteRecords) {
    const std::vector<::Test::KatFiles::KatFile> files{
        katFile("a.txt", "[ENCRYPT]\nCOUNT = 0\nKEY = 00112233\nIV = 0f\nPLAINTEXT = aa\n"
                         "CIPHERTEXT = bb\nNEXTIV = 10\nCOUNT = 1\nKEY = 0011\nIV = 0f\n"
                         "PLAINTEXT = aa\nCIPHERTEXT = bb\nCOUNT = 2\nKEY = 00112233\nIV = 0f\n"
                         "PLAINTEXT = aa\n[DECRYPT]\nCOUNT = 7\nKEY = 44556677\nIV = 01\n"
                         "PLAINTEXT = cc\nCIPHERTEXT = dd\n[OTHER]\nCOUNT = 8\nKEY = 00112233\n"
                         "IV = 0f\nPLAINTEXT = aa\nCIPHERTEXT = bb\n")};
    const std::vector<ctr::CtrVector> vectors = ctr::ctrVectors(files, 4, "Test/KAT_AES_CTR");
    ASSERT_EQ(vectors.size(), 2u);
    EXPECT_EQ(vectors[0].name, "a.txt-ENCRYPT-0");
    EXPECT_FALSE(vectors[0].decrypt);
    EXPECT_EQ(vectors[0].inputHex, "aa");
    EXPECT_EQ(vectors[0].answerHex, "bb");
    EXPECT_EQ(vectors[0].nextIVHex, "10");
    EXPECT_EQ(vectors[1].name, "a.txt-DECRYPT-7");
    EXPECT_TRUE(vectors[1].decrypt);
    EXPECT_EQ(vectors[1].inputHex, "dd");
    EXPECT_EQ(vectors[1].nextIVHex, std::nullopt);
}

TEST(AESCTRVectors, AssertsTheNextIVOnlyWhereTheVectorGivesOne) {
    ctr::CtrVector vector{"v", false, Bytes(), Bytes(), "", "aabb", std::nullopt};
    const Bytes output = Bytes(std::vector<std::uint8_t>{0xaa, 0xbb});
    EXPECT_NO_THROW(ctr::assertCtrResult(vector, output, Bytes()));
    vector.nextIVHex = "01";
    EXPECT_THROW(ctr::assertCtrResult(vector, output, Bytes()), zorvan::testing::AssertionFailure);
    EXPECT_NO_THROW(ctr::assertCtrResult(vector, output, Bytes(std::vector<std::uint8_t>{1})));
}

} // namespace
