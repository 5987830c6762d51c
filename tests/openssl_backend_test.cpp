// The libcrypto digests: published vectors, and the generic HMAC of zorvan/hash.hpp checked
// against libcrypto's own HMAC.

#include "backend_test_support.hpp"

#include <zorvan/backends/openssl.hpp>
#include <zorvan/hash.hpp>

#include <gtest/gtest.h>

#include <string>

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::backend_tests::fromHex;
using zorvan::backend_tests::Random;
namespace openssl = zorvan::openssl;

// A digest's name in libcrypto's HMAC, its lengths and its FIPS 180 / RFC 1321 answers.
struct DigestVectors {
    const char* name;
    std::size_t outputBits;
    std::size_t blockBits;
    const char* empty;
    const char* abc;
};

template <class D> constexpr DigestVectors vectorsOf{};
template <>
constexpr DigestVectors vectorsOf<openssl::MD5>{"MD5", 128, 512, "d41d8cd98f00b204e9800998ecf8427e",
                                                "900150983cd24fb0d6963f7d28e17f72"};
template <>
constexpr DigestVectors vectorsOf<openssl::SHA1>{"SHA1", 160, 512,
                                                 "da39a3ee5e6b4b0d3255bfef95601890afd80709",
                                                 "a9993e364706816aba3e25717850c26c9cd0d89d"};
template <>
constexpr DigestVectors vectorsOf<openssl::SHA224>{
    "SHA224", 224, 512, "d14a028c2a3a2bc9476102bb288234c415a2b01f828ea62ac5b3e42f",
    "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"};
template <>
constexpr DigestVectors vectorsOf<openssl::SHA256>{
    "SHA256", 256, 512, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
    "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"};
template <>
constexpr DigestVectors vectorsOf<openssl::SHA384>{
    "SHA384", 384, 1024,
    "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f14898b9"
    "5b",
    "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825"
    "a7"};
template <>
constexpr DigestVectors vectorsOf<openssl::SHA512>{
    "SHA512", 512, 1024,
    "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce"
    "47d0d13c5d85f2b0ff8318d2877eec2f63b931bd47417a81a538327af927da3e",
    "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
    "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f"};

template <class D> class OpensslDigest : public testing::Test {};
using Digests = testing::Types<openssl::MD5, openssl::SHA1, openssl::SHA224, openssl::SHA256,
                               openssl::SHA384, openssl::SHA512>;
TYPED_TEST_SUITE(OpensslDigest, Digests);

TYPED_TEST(OpensslDigest, GivesThePublishedDigestsOfTheEmptyMessageAndAbc) {
    constexpr DigestVectors v = vectorsOf<TypeParam>;
    EXPECT_EQ(TypeParam::outputLength(), v.outputBits);
    EXPECT_EQ(TypeParam::blockLength(), v.blockBits);
    EXPECT_EQ(zorvan::hashStrict<TypeParam>(Bytes{}).encode(), fromHex(v.empty));
    EXPECT_EQ(zorvan::hashStrict<TypeParam>(Bytes::fromText("abc")).encode(), fromHex(v.abc));
    EXPECT_EQ(zorvan::hash<TypeParam>(LazyBytes::fromChunks({Bytes{'a'}, Bytes{'b', 'c'}})),
              zorvan::hashStrict<TypeParam>(Bytes::fromText("abc")));
}

// finalize must leave the context as new: a second message may not carry the first one's state.
TYPED_TEST(OpensslDigest, ContextStartsAfreshAfterFinalize) {
    typename TypeParam::Context context;
    context.update(Bytes::fromText("xyz").view());
    (void)context.finalize();
    context.update(Bytes::fromText("abc").view());
    EXPECT_EQ(context.finalize().encode(), fromHex(vectorsOf<TypeParam>.abc));
    EXPECT_EQ(context.finalize().encode(), fromHex(vectorsOf<TypeParam>.empty))
        << "finalize straight after finalize digests the empty message";
}

TYPED_TEST(OpensslDigest, GetReadsExactlyTheDigestLengthAndRefusesFewerOctets) {
    const Bytes encoded = fromHex(vectorsOf<TypeParam>.abc);
    const auto withExtra = TypeParam::get(encoded.concat(Bytes{1, 2, 3}));
    ASSERT_TRUE(withExtra.has_value());
    EXPECT_EQ(withExtra->encode(), encoded);
    EXPECT_EQ(*withExtra, zorvan::hashStrict<TypeParam>(Bytes::fromText("abc")));
    EXPECT_FALSE(TypeParam::get(encoded.take(encoded.size() - 1)).has_value());
    EXPECT_FALSE(TypeParam::get(Bytes{}).has_value());
}

// Keys from 0 to 200 octets cross the block length of every digest, where the generic HMAC
// hashes the key first.
TYPED_TEST(OpensslDigest, GenericHmacAgreesWithLibcryptoHmac) {
    Random random(20240501);
    for (std::size_t keyLength = 0; keyLength <= 200; ++keyLength) {
        const Bytes key = random.bytes(keyLength);
        const Bytes message = random.bytes(random.below(300));
        const Bytes expected = openssl::nativeHmac(vectorsOf<TypeParam>.name, key, message);
        EXPECT_EQ(zorvan::hmacStrict<TypeParam>(key, message).encode(), expected)
            << "key length " << keyLength;
        EXPECT_EQ(zorvan::hmac<TypeParam>(key, random.chunked(message)).encode(), expected)
            << "key length " << keyLength;
    }
}

} // namespace
