#pragma once
// Test::Crypto: random byte strings and the generic property groups for hashes and block
// ciphers.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <optional>
#include <utility>
#include <vector>

namespace Test::Crypto {

/// arbitraryBytes: 1 to 4097 octets, the length uniform and independent of the size.
zorvan::Bytes arbitraryBytes(zorvan::testing::Gen& gen);
/// arbitraryLazyBytes: 0 to 10 chunks, each as arbitraryBytes draws them.
zorvan::LazyBytes arbitraryLazyBytes(zorvan::testing::Gen& gen);

namespace names {
inline constexpr const char* hashGroup = "Cryptographic Digest Property Tests";
inline constexpr const char* lazyStrictEqual = "LazyStrictEqual";
inline constexpr const char* digestLength = "DigestLen";
inline constexpr const char* getPutHash = "GetPutHash";
inline constexpr const char* blockLengthAligned = "BlockLengthIsByteAligned";
inline constexpr const char* outputLengthAligned = "OutputLengthIsByteAligned";
inline constexpr const char* identityGroup = "Block Cipher tests (ident)";
inline constexpr const char* agreementGroup = "Block Cipher tests (lazy/string bytestring equality)";
inline constexpr const char* ecbIdentity = "ECBEncDecID";
inline constexpr const char* ecbAgreement = "ECBStringLazyEq";
} // namespace names

/// keyMaterial: exactly keyLength/8 octets made from seed: seed, a zero octet, seed again, and
/// so on, cut after keyLength/8 octets; empty when keyLength is below 8 bits.
zorvan::Bytes keyMaterial(const zorvan::Bytes& seed, std::size_t keyLengthBits);
/// wholeBlocks: the message cut to a whole number of blocks, its chunk boundaries kept.
/// Throws std::invalid_argument for a block size below 8 bits.
zorvan::LazyBytes wholeBlocks(const zorvan::LazyBytes& message, std::size_t blockSizeBits);
/// requireWholeOctetBlocks: throws std::invalid_argument, naming the size, when a cipher's
/// blocks are shorter than one octet: the property groups cannot cut messages into them.
void requireWholeOctetBlocks(std::size_t blockSizeBits);

/// makeHashPropTests: the group of five hash properties for the digest type D (the witness
/// only selects it): chunked and contiguous hashing agree, the digest serialises to
/// outputLength/8 octets and reads back, and both stated lengths are whole octets.
template <zorvan::Hash D>
zorvan::testing::Test makeHashPropTests() {
    using zorvan::Bytes;
    using zorvan::LazyBytes;
    using zorvan::testing::testProperty;
    return zorvan::testing::TestGroup{
        names::hashGroup,
        {
            testProperty(names::lazyStrictEqual, {"message"},
                         [](const LazyBytes& message) {
                             return zorvan::hash<D>(message) ==
                                    zorvan::hashStrict<D>(message.toStrict());
                         }),
            testProperty(names::digestLength, {"message"},
                         [](const LazyBytes& message) {
                             const std::size_t octets = D::outputLength() / 8;
                             return zorvan::hash<D>(message).encode().size() == octets &&
                                    zorvan::hashStrict<D>(message.toStrict()).encode().size() ==
                                        octets;
                         }),
            testProperty(names::getPutHash, {"message"},
                         [](const LazyBytes& message) {
                             const D digest = zorvan::hashStrict<D>(message.toStrict());
                             const std::optional<D> readBack = D::get(digest.encode());
                             return readBack.has_value() && *readBack == digest;
                         }),
            // The lengths are asked for when the leaf runs, so that one that throws fails only
            // its own leaf.
            testProperty(names::blockLengthAligned, [] { return D::blockLength() % 8 == 0; }),
            testProperty(names::outputLengthAligned, [] { return D::outputLength() % 8 == 0; }),
        }};
}

template <zorvan::Hash D>
zorvan::testing::Test makeHashPropTests(const D& /*witness*/) {
    return makeHashPropTests<D>();
}

namespace detail {

template <zorvan::BlockCipher K>
std::optional<K> keyFrom(const zorvan::Bytes& seed) {
    return K::buildKey(keyMaterial(seed, K::keyLength()));
}

/// One IV mode as the property groups see it: its leaf names and its four operations.
template <zorvan::BlockCipher K>
struct IVMode {
    using Strict = std::pair<zorvan::Bytes, zorvan::IV<K>> (*)(const K&, const zorvan::IV<K>&,
                                                               const zorvan::Bytes&);
    using Lazy = std::pair<zorvan::LazyBytes, zorvan::IV<K>> (*)(const K&, const zorvan::IV<K>&,
                                                                 const zorvan::LazyBytes&);
    const char* identityName;
    const char* agreementName;
    Strict encrypt;
    Strict decrypt;
    Lazy encryptLazy;
    Lazy decryptLazy;
};

template <zorvan::BlockCipher K>
std::vector<IVMode<K>> ivModes() {
    using namespace zorvan;
    return {
        {"CBCEncDecID", "CBCStrictLazyEq", &cbc<K>, &unCbc<K>, &cbcLazy<K>, &unCbcLazy<K>},
        {"CFBEncDecID", "CFBStrictLazyEq", &cfb<K>, &unCfb<K>, &cfbLazy<K>, &unCfbLazy<K>},
        {"OFBEncDecID", "OFBStrictLazyEq", &ofb<K>, &unOfb<K>, &ofbLazy<K>, &unOfbLazy<K>},
        {"CTREncDecID", "CTRStrictLazyEq", &ctr<K>, &unCtr<K>, &ctrLazy<K>, &unCtrLazy<K>},
    };
}

// Law of an IV mode's identity: decryption from the same IV gives back the padded message and
// the same next IV as encryption.
template <zorvan::BlockCipher K>
zorvan::testing::Result ivIdentity(const IVMode<K>& mode, const zorvan::Bytes& keySeed,
                                   const zorvan::Bytes& ivBytes, const zorvan::Bytes& message) {
    const std::optional<K> key = keyFrom<K>(keySeed);
    const auto iv = zorvan::IV<K>::get(ivBytes);
    return zorvan::testing::implies(key && iv, [&] {
        const zorvan::Bytes padded = zorvan::padESPBlockSize(*key, message);
        const auto [ciphertext, ivAfterEncryption] = mode.encrypt(*key, *iv, padded);
        const auto [plaintext, ivAfterDecryption] = mode.decrypt(*key, *iv, ciphertext);
        return plaintext == padded && ivAfterDecryption == ivAfterEncryption;
    });
}

// Law of an IV mode's agreement: on whole blocks, chunked and contiguous input give the same
// output and next IV, both ways (chunk boundaries and the IV carried between chunks).
template <zorvan::BlockCipher K>
zorvan::testing::Result ivAgreement(const IVMode<K>& mode, const zorvan::Bytes& keySeed,
                                    const zorvan::Bytes& ivBytes, const zorvan::LazyBytes& message) {
    const std::optional<K> key = keyFrom<K>(keySeed);
    const auto iv = zorvan::IV<K>::get(ivBytes);
    return zorvan::testing::implies(key && iv, [&] {
        const zorvan::LazyBytes chunked = wholeBlocks(message, K::blockSize());
        const zorvan::Bytes contiguous = chunked.toStrict();
        const auto sameResult = [](const auto& lazy, const auto& strict) {
            return lazy.first.toStrict() == strict.first && lazy.second == strict.second;
        };
        return sameResult(mode.encryptLazy(*key, *iv, chunked), mode.encrypt(*key, *iv, contiguous)) &&
               sameResult(mode.decryptLazy(*key, *iv, chunked), mode.decrypt(*key, *iv, contiguous));
    });
}

} // namespace detail

/// makeBlockCipherPropTests: the two groups of five block-cipher properties for key type K
/// (the witness only selects it): in ECB, CBC, CFB, OFB and CTR decryption undoes encryption,
/// and chunked and contiguous input agree. Cases whose key or IV the cipher refuses are
/// discarded. Throws std::invalid_argument when K's blocks are shorter than one octet.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherPropTests() {
    using zorvan::Bytes;
    using zorvan::LazyBytes;
    using zorvan::testing::implies;
    using zorvan::testing::testProperty;
    requireWholeOctetBlocks(K::blockSize());

    std::vector<zorvan::testing::Test> identity{testProperty(
        names::ecbIdentity, {"keySeed", "message"}, [](const Bytes& keySeed, const Bytes& message) {
            const std::optional<K> key = detail::keyFrom<K>(keySeed);
            return implies(key.has_value(), [&] {
                const Bytes padded = zorvan::padESPBlockSize(*key, message);
                const std::optional<Bytes> unpadded =
                    zorvan::unpadESP(zorvan::unEcb(*key, zorvan::ecb(*key, padded)));
                return unpadded.has_value() && *unpadded == message;
            });
        })};
    std::vector<zorvan::testing::Test> agreement{testProperty(
        names::ecbAgreement, {"keySeed", "message"},
        [](const Bytes& keySeed, const LazyBytes& message) {
            const std::optional<K> key = detail::keyFrom<K>(keySeed);
            return implies(key.has_value(), [&] {
                // The decryptions run on the plaintext itself, read as ciphertext.
                const LazyBytes chunked = wholeBlocks(message, K::blockSize());
                const Bytes contiguous = chunked.toStrict();
                return zorvan::ecb(*key, contiguous) == zorvan::ecbLazy(*key, chunked).toStrict() &&
                       zorvan::unEcb(*key, contiguous) == zorvan::unEcbLazy(*key, chunked).toStrict();
            });
        })};
    for (const detail::IVMode<K>& mode : detail::ivModes<K>()) {
        identity.push_back(
            testProperty(mode.identityName, {"keySeed", "ivBytes", "message"},
                         [mode](const Bytes& keySeed, const Bytes& ivBytes, const Bytes& message) {
                             return detail::ivIdentity(mode, keySeed, ivBytes, message);
                         }));
        agreement.push_back(testProperty(
            mode.agreementName, {"keySeed", "ivBytes", "message"},
            [mode](const Bytes& keySeed, const Bytes& ivBytes, const LazyBytes& message) {
                return detail::ivAgreement(mode, keySeed, ivBytes, message);
            }));
    }
    return {zorvan::testing::TestGroup{names::identityGroup, std::move(identity)},
            zorvan::testing::TestGroup{names::agreementGroup, std::move(agreement)}};
}

template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherPropTests(const K& /*witness*/) {
    return makeBlockCipherPropTests<K>();
}

} // namespace Test::Crypto

namespace zorvan::testing {

template <>
struct Arbitrary<Bytes> {
    static Bytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryBytes(gen); }
    static std::vector<Bytes> shrink(const Bytes&) { return {}; }
};

template <>
struct Arbitrary<LazyBytes> {
    static LazyBytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryLazyBytes(gen); }
    static std::vector<LazyBytes> shrink(const LazyBytes&) { return {}; }
};

} // namespace zorvan::testing
