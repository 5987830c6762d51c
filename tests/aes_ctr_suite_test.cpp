// makeAESCTRTests over the installed vectors with the three libraries' AES, and with CTR
// counters broken the ways real ones have been.

#include <Test/AESCTR.hpp>

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>

#include "hash_suite_support.hpp"
#include "temporary_data_directory.hpp"

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

// RFC 3686 test vector #1 as a record of a section; the counter after its one block is ...02.
std::string rfc3686Record(int count, const std::string& extra) {
    return "COUNT = " + std::to_string(count) +
           "\nKEY = AE6852F8121067CC4BF7A5765577F39E\nIV = 00000030000000000000000000000001\n"
           "PLAINTEXT = 53696E676C6520626C6F636B206D7367\n"
           "CIPHERTEXT = E4095D4FB7A7B3792D6175A3261311B8\n" +
           extra;
}

TEST(AESCTRVectors, TakesBothSectionsForTheKeyLengthAndFailsWhatCannotBeATest) {
    const TemporaryDataDirectory data;
    const std::string key192 = "KEY = " + std::string(48, '0') + "\n";
    data.write("Test/KAT_AES_CTR/a.txt",
               "[ENCRYPT]\n" + rfc3686Record(0, "NEXTIV = 00000030000000000000000000000002\n") +
                   "COUNT = 1\nKEY = 0011\nIV = 0f\nPLAINTEXT = aa\nCIPHERTEXT = bb\n"
                   "COUNT = 2\nKEY = 00112233\nIV = 0f\nPLAINTEXT = aa\n"
                   "COUNT = 3\n" +
                   key192 + "IV = " + std::string(32, '0') +
                   "\nPLAINTEXT = aa\nCIPHERTEXT = bb\n[DECRYPT]\n" +
                   rfc3686Record(7, "NEXTIV = 00000030000000000000000000000003\n") + "[OTHER]\n" +
                   rfc3686Record(8, ""));
    data.makeFolder("Test/KAT_AES_CTR_CARRY");
    const auto runs = hash_suites::runUnitLeaves(ctr::makeAESCTRTests<zorvan::openssl::AES128>());
    std::vector<std::string> names;
    for (const auto& run : runs) {
        names.push_back(run.name);
    }
    // COUNT 3's 24-octet key is AES-192's; the rest that cannot be a test fail in their place.
    ASSERT_THAT(names, ::testing::ElementsAre("a.txt-ENCRYPT-0", "a.txt:8", "a.txt:13",
                                              "a.txt-DECRYPT-7", "a.txt:30", "KAT_AES_CTR_CARRY"));
    EXPECT_TRUE(runs[0].passed);
    EXPECT_THAT(runs[1].report, ::testing::HasSubstr("a KEY of 2 octets, no AES key size"));
    EXPECT_THAT(runs[2].report, ::testing::HasSubstr("missing field: CIPHERTEXT"));
    // Decryption of the ciphertext gives the plaintext back, but its NEXTIV is one too far.
    EXPECT_THAT(runs[3].report, ::testing::HasSubstr("a.txt-DECRYPT-7: next IV"));
    EXPECT_THAT(runs[4].report, ::testing::HasSubstr("neither [ENCRYPT] nor [DECRYPT]"));
    EXPECT_THAT(runs[5].report, ::testing::HasSubstr("gave this suite no known-answer test"));
}

} // namespace
