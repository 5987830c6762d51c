// OpenSSL, libgcrypt and nettle against each other on random inputs: digests, HMAC (generic
// on OpenSSL, native on the others) and every AES mode, strict and lazy, with next IVs.

#include "backend_test_support.hpp"

#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/hash.hpp>

#include <gtest/gtest.h>

#include <vector>

namespace {

using zorvan::Bytes;
using zorvan::LazyBytes;
using zorvan::backend_tests::forEachIvMode;
using zorvan::backend_tests::keyFrom;
using zorvan::backend_tests::ModeInput;
using zorvan::backend_tests::modeInput;
using zorvan::backend_tests::Random;
namespace openssl = zorvan::openssl;
namespace gcrypt = zorvan::gcrypt;
namespace nettle = zorvan::nettle;

template <class O, class G, class N> struct Libraries {
    using Openssl = O;
    using Gcrypt = G;
    using Nettle = N;
};

template <class D>
constexpr bool hasOwnHmac = requires(const Bytes& key, const LazyBytes& message) {
    D::hmac(key, message);
    D::hmacStrict(key, Bytes{});
};

template <class T> class DigestAgreement : public testing::Test {};
using DigestLibraries = testing::Types<Libraries<openssl::MD5, gcrypt::MD5, nettle::MD5>,
                                       Libraries<openssl::SHA1, gcrypt::SHA1, nettle::SHA1>,
                                       Libraries<openssl::SHA224, gcrypt::SHA224, nettle::SHA224>,
                                       Libraries<openssl::SHA256, gcrypt::SHA256, nettle::SHA256>,
                                       Libraries<openssl::SHA384, gcrypt::SHA384, nettle::SHA384>,
                                       Libraries<openssl::SHA512, gcrypt::SHA512, nettle::SHA512>>;
TYPED_TEST_SUITE(DigestAgreement, DigestLibraries);

// If the libgcrypt or nettle members went missing, hmac would silently fall back to the generic
// construction and the comparison below would check it against itself.
TYPED_TEST(DigestAgreement, OnlyOpensslUsesTheGenericHmac) {
    static_assert(!hasOwnHmac<typename TypeParam::Openssl>);
    static_assert(hasOwnHmac<typename TypeParam::Gcrypt>);
    static_assert(hasOwnHmac<typename TypeParam::Nettle>);
}

TYPED_TEST(DigestAgreement, LengthsAgree) {
    using O = typename TypeParam::Openssl;
    EXPECT_EQ(TypeParam::Gcrypt::outputLength(), O::outputLength());
    EXPECT_EQ(TypeParam::Nettle::outputLength(), O::outputLength());
    EXPECT_EQ(TypeParam::Gcrypt::blockLength(), O::blockLength());
    EXPECT_EQ(TypeParam::Nettle::blockLength(), O::blockLength());
}

TYPED_TEST(DigestAgreement, DigestsAgreeStrictAndChunked) {
    using O = typename TypeParam::Openssl;
    using G = typename TypeParam::Gcrypt;
    using N = typename TypeParam::Nettle;
    Random random(101);
    for (std::size_t length = 0; length <= 300; length += 7) {
        const Bytes message = random.bytes(length);
        const LazyBytes chunked = random.chunked(message);
        const Bytes expected = zorvan::hashStrict<O>(message).encode();
        EXPECT_EQ(zorvan::hashStrict<G>(message).encode(), expected) << "length " << length;
        EXPECT_EQ(zorvan::hashStrict<N>(message).encode(), expected) << "length " << length;
        EXPECT_EQ(zorvan::hash<G>(chunked).encode(), expected) << "length " << length;
        EXPECT_EQ(zorvan::hash<N>(chunked).encode(), expected) << "length " << length;
    }
}

// A context, or an HMAC state, reused after finalize must not carry the first message over.
TYPED_TEST(DigestAgreement, ContextsStartAfreshAfterFinalize) {
    const Bytes first = Bytes::fromText("first message");
    const Bytes second = Bytes::fromText("second");
    const auto reused = [&]<class D>() {
        typename D::Context context;
        context.update(first.view());
        (void)context.finalize();
        context.update(second.view());
        return context.finalize().encode();
    };
    const Bytes expected = zorvan::hashStrict<typename TypeParam::Openssl>(second).encode();
    EXPECT_EQ(reused.template operator()<typename TypeParam::Gcrypt>(), expected);
    EXPECT_EQ(reused.template operator()<typename TypeParam::Nettle>(), expected);
}

// Keys of 0 to 200 octets cross every block length, where HMAC hashes the key first.
TYPED_TEST(DigestAgreement, HmacAgreesStrictAndChunked) {
    using O = typename TypeParam::Openssl;
    using G = typename TypeParam::Gcrypt;
    using N = typename TypeParam::Nettle;
    Random random(202);
    for (std::size_t keyLength = 0; keyLength <= 200; keyLength += 3) {
        const Bytes key = random.bytes(keyLength);
        const Bytes message = random.bytes(random.below(300));
        const LazyBytes chunked = random.chunked(message);
        const Bytes expected = zorvan::hmacStrict<O>(key, message).encode();
        EXPECT_EQ(zorvan::hmacStrict<G>(key, message).encode(), expected) << "key " << keyLength;
        EXPECT_EQ(zorvan::hmacStrict<N>(key, message).encode(), expected) << "key " << keyLength;
        EXPECT_EQ(zorvan::hmac<G>(key, chunked).encode(), expected) << "key " << keyLength;
        EXPECT_EQ(zorvan::hmac<N>(key, chunked).encode(), expected) << "key " << keyLength;
    }
}

template <class T> class AesAgreement : public testing::Test {};
using AesLibraries = testing::Types<Libraries<openssl::AES128, gcrypt::AES128, nettle::AES128>,
                                    Libraries<openssl::AES192, gcrypt::AES192, nettle::AES192>,
                                    Libraries<openssl::AES256, gcrypt::AES256, nettle::AES256>>;
TYPED_TEST_SUITE(AesAgreement, AesLibraries);

TYPED_TEST(AesAgreement, BuildKeyAcceptsTheSameLengths) {
    for (std::size_t length = 0; length <= 40; ++length) {
        const Bytes octets(std::vector<std::uint8_t>(length, 0x5a));
        const bool accepted = TypeParam::Openssl::buildKey(octets).has_value();
        EXPECT_EQ(accepted, length == TypeParam::Openssl::keyLength() / 8);
        EXPECT_EQ(TypeParam::Gcrypt::buildKey(octets).has_value(), accepted) << length;
        EXPECT_EQ(TypeParam::Nettle::buildKey(octets).has_value(), accepted) << length;
    }
}

TYPED_TEST(AesAgreement, EcbAgreesStrictAndLazy) {
    using O = typename TypeParam::Openssl;
    Random random(303);
    for (int round = 0; round < 30; ++round) {
        const Bytes keyOctets = random.bytes(O::keyLength() / 8);
        const Bytes data = random.bytes(16 * random.below(6));
        const LazyBytes chunked = random.chunked(data);
        const auto expectSame = [&]<class K>() {
            const K key = keyFrom<K>(keyOctets);
            const O reference = keyFrom<O>(keyOctets);
            EXPECT_EQ(zorvan::ecb(key, data), zorvan::ecb(reference, data));
            EXPECT_EQ(zorvan::unEcb(key, data), zorvan::unEcb(reference, data));
            EXPECT_EQ(zorvan::ecbLazy(key, chunked).toStrict(), zorvan::ecb(reference, data));
            EXPECT_EQ(zorvan::unEcbLazy(key, chunked).toStrict(), zorvan::unEcb(reference, data));
        };
        expectSame.template operator()<typename TypeParam::Gcrypt>();
        expectSame.template operator()<typename TypeParam::Nettle>();
    }
}

TYPED_TEST(AesAgreement, IvModesAgreeOnOutputAndNextIvStrictAndLazy) {
    using O = typename TypeParam::Openssl;
    Random random(404);
    forEachIvMode([&](const auto& mode) {
        for (int round = 0; round < 40; ++round) {
            const ModeInput input =
                modeInput(random, O::keyLength() / 8, mode.wholeBlocksOnly, round);
            const auto expected = mode.template runStrict<O>(input);
            const auto expectSame = [&]<class K>() {
                EXPECT_EQ(mode.template runStrict<K>(input), expected) << mode.name;
                EXPECT_EQ(mode.template runLazy<K>(input), expected) << mode.name << " lazy";
            };
            expectSame.template operator()<O>();
            expectSame.template operator()<typename TypeParam::Gcrypt>();
            expectSame.template operator()<typename TypeParam::Nettle>();
        }
    });
}

} // namespace
