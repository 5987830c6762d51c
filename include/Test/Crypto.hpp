#pragma once
// Test::Crypto: random byte strings and the generic property groups for hashes and block
// ciphers.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <memory>
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
inline constexpr const char* agreementGroup =
    "Block Cipher tests (lazy/string bytestring equality)";
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

/// HashLaws: the laws of the hash property group for one digest type, without the type; the
/// group itself is compiled once in the library (hashPropTests).
class HashLaws {
public:
    virtual ~HashLaws() = default;
    /// lazyStrictEqual: chunked and contiguous hashing of message give equal digests.
    [[nodiscard]] virtual bool lazyStrictEqual(const zorvan::LazyBytes& message) const = 0;
    /// digestLength: both digests of message serialise to outputLength/8 octets.
    [[nodiscard]] virtual bool digestLength(const zorvan::LazyBytes& message) const = 0;
    /// getPutHash: the digest of message reads back from its serialisation, equal.
    [[nodiscard]] virtual bool getPutHash(const zorvan::LazyBytes& message) const = 0;
    /// blockLengthAligned, outputLengthAligned: the stated length is whole octets.
    [[nodiscard]] virtual bool blockLengthAligned() const = 0;
    [[nodiscard]] virtual bool outputLengthAligned() const = 0;
};

/// hashPropTests: the group of five hash properties over the laws. Never fails itself.
zorvan::testing::Test hashPropTests(std::shared_ptr<const HashLaws> laws);

namespace detail {

template <zorvan::Hash D> class HashLawsOf final : public HashLaws {
public:
    [[nodiscard]] bool lazyStrictEqual(const zorvan::LazyBytes& message) const override {
        return zorvan::hash<D>(message) == zorvan::hashStrict<D>(message.toStrict());
    }
    [[nodiscard]] bool digestLength(const zorvan::LazyBytes& message) const override {
        const std::size_t octets = D::outputLength() / 8;
        return zorvan::hash<D>(message).encode().size() == octets &&
               zorvan::hashStrict<D>(message.toStrict()).encode().size() == octets;
    }
    [[nodiscard]] bool getPutHash(const zorvan::LazyBytes& message) const override {
        const D digest = zorvan::hashStrict<D>(message.toStrict());
        const std::optional<D> readBack = D::get(digest.encode());
        return readBack.has_value() && *readBack == digest;
    }
    // The lengths are asked for when the leaf runs, so that one that throws fails only its own
    // leaf.
    [[nodiscard]] bool blockLengthAligned() const override { return D::blockLength() % 8 == 0; }
    [[nodiscard]] bool outputLengthAligned() const override { return D::outputLength() % 8 == 0; }
};

} // namespace detail

/// makeHashPropTests: the group of five hash properties for the digest type D (the witness
/// only selects it): chunked and contiguous hashing agree, the digest serialises to
/// outputLength/8 octets and reads back, and both stated lengths are whole octets.
template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests() {
    return hashPropTests(std::make_shared<const detail::HashLawsOf<D>>());
}

template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests(const D& /*witness*/) {
    return makeHashPropTests<D>();
}

namespace detail {

template <zorvan::BlockCipher K> std::optional<K> keyFrom(const zorvan::Bytes& seed) {
    return K::buildKey(keyMaterial(seed, K::keyLength()));
}

/// One IV mode as the property groups see it: its four operations.
template <zorvan::BlockCipher K> struct IVMode {
    using Strict = std::pair<zorvan::Bytes, zorvan::IV<K>> (*)(const K&, const zorvan::IV<K>&,
                                                               const zorvan::Bytes&);
    using Lazy = std::pair<zorvan::LazyBytes, zorvan::IV<K>> (*)(const K&, const zorvan::IV<K>&,
                                                                 const zorvan::LazyBytes&);
    Strict encrypt;
    Strict decrypt;
    Lazy encryptLazy;
    Lazy decryptLazy;
};

template <zorvan::BlockCipher K> std::vector<IVMode<K>> ivModes() {
    using namespace zorvan;
    // Numbered as CipherLaws numbers them.
    return {
        {&cbc<K>, &unCbc<K>, &cbcLazy<K>, &unCbcLazy<K>},
        {&cfb<K>, &unCfb<K>, &cfbLazy<K>, &unCfbLazy<K>},
        {&ofb<K>, &unOfb<K>, &ofbLazy<K>, &unOfbLazy<K>},
        {&ctr<K>, &unCtr<K>, &ctrLazy<K>, &unCtrLazy<K>},
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
                                    const zorvan::Bytes& ivBytes,
                                    const zorvan::LazyBytes& message) {
    const std::optional<K> key = keyFrom<K>(keySeed);
    const auto iv = zorvan::IV<K>::get(ivBytes);
    return zorvan::testing::implies(key && iv, [&] {
        const zorvan::LazyBytes chunked = wholeBlocks(message, K::blockSize());
        const zorvan::Bytes contiguous = chunked.toStrict();
        const auto sameResult = [](const auto& lazy, const auto& strict) {
            return lazy.first.toStrict() == strict.first && lazy.second == strict.second;
        };
        return sameResult(mode.encryptLazy(*key, *iv, chunked),
                          mode.encrypt(*key, *iv, contiguous)) &&
               sameResult(mode.decryptLazy(*key, *iv, chunked),
                          mode.decrypt(*key, *iv, contiguous));
    });
}

} // namespace detail

/// CipherLaws: the laws of the block-cipher property groups for one key type, without the
/// type; the groups themselves are compiled once in the library (blockCipherPropTests). The IV
/// modes are numbered 0 to 3: CBC, CFB, OFB, CTR.
class CipherLaws {
public:
    virtual ~CipherLaws() = default;
    [[nodiscard]] virtual zorvan::testing::Result
    ecbIdentity(const zorvan::Bytes& keySeed, const zorvan::Bytes& message) const = 0;
    [[nodiscard]] virtual zorvan::testing::Result
    ecbAgreement(const zorvan::Bytes& keySeed, const zorvan::LazyBytes& message) const = 0;
    [[nodiscard]] virtual zorvan::testing::Result
    ivIdentity(std::size_t mode, const zorvan::Bytes& keySeed, const zorvan::Bytes& ivBytes,
               const zorvan::Bytes& message) const = 0;
    [[nodiscard]] virtual zorvan::testing::Result
    ivAgreement(std::size_t mode, const zorvan::Bytes& keySeed, const zorvan::Bytes& ivBytes,
                const zorvan::LazyBytes& message) const = 0;
};

/// blockCipherPropTests: the two groups of five block-cipher properties over the laws. Never
/// fails itself.
std::vector<zorvan::testing::Test> blockCipherPropTests(std::shared_ptr<const CipherLaws> laws);

namespace detail {

template <zorvan::BlockCipher K> class CipherLawsOf final : public CipherLaws {
public:
    [[nodiscard]] zorvan::testing::Result ecbIdentity(const zorvan::Bytes& keySeed,
                                                      const zorvan::Bytes& message) const override {
        const std::optional<K> key = keyFrom<K>(keySeed);
        return zorvan::testing::implies(key.has_value(), [&] {
            const zorvan::Bytes padded = zorvan::padESPBlockSize(*key, message);
            const std::optional<zorvan::Bytes> unpadded =
                zorvan::unpadESP(zorvan::unEcb(*key, zorvan::ecb(*key, padded)));
            return unpadded.has_value() && *unpadded == message;
        });
    }
    [[nodiscard]] zorvan::testing::Result
    ecbAgreement(const zorvan::Bytes& keySeed, const zorvan::LazyBytes& message) const override {
        const std::optional<K> key = keyFrom<K>(keySeed);
        return zorvan::testing::implies(key.has_value(), [&] {
            // The decryptions run on the plaintext itself, read as ciphertext.
            const zorvan::LazyBytes chunked = wholeBlocks(message, K::blockSize());
            const zorvan::Bytes contiguous = chunked.toStrict();
            return zorvan::ecb(*key, contiguous) == zorvan::ecbLazy(*key, chunked).toStrict() &&
                   zorvan::unEcb(*key, contiguous) == zorvan::unEcbLazy(*key, chunked).toStrict();
        });
    }
    [[nodiscard]] zorvan::testing::Result ivIdentity(std::size_t mode, const zorvan::Bytes& keySeed,
                                                     const zorvan::Bytes& ivBytes,
                                                     const zorvan::Bytes& message) const override {
        return detail::ivIdentity(modes_.at(mode), keySeed, ivBytes, message);
    }
    [[nodiscard]] zorvan::testing::Result
    ivAgreement(std::size_t mode, const zorvan::Bytes& keySeed, const zorvan::Bytes& ivBytes,
                const zorvan::LazyBytes& message) const override {
        return detail::ivAgreement(modes_.at(mode), keySeed, ivBytes, message);
    }

private:
    std::vector<IVMode<K>> modes_ = ivModes<K>();
};

} // namespace detail

/// makeBlockCipherPropTests: the two groups of five block-cipher properties for key type K
/// (the witness only selects it): in ECB, CBC, CFB, OFB and CTR decryption undoes encryption,
/// and chunked and contiguous input agree. Cases whose key or IV the cipher refuses are
/// discarded. Throws std::invalid_argument when K's blocks are shorter than one octet.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeBlockCipherPropTests() {
    requireWholeOctetBlocks(K::blockSize());
    return blockCipherPropTests(std::make_shared<const detail::CipherLawsOf<K>>());
}

template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherPropTests(const K& /*witness*/) {
    return makeBlockCipherPropTests<K>();
}

} // namespace Test::Crypto

namespace zorvan::testing {

template <> struct Arbitrary<Bytes> {
    static Bytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryBytes(gen); }
    static std::vector<Bytes> shrink(const Bytes&) { return {}; }
};

template <> struct Arbitrary<LazyBytes> {
    static LazyBytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryLazyBytes(gen); }
    static std::vector<LazyBytes> shrink(const LazyBytes&) { return {}; }
};

} // namespace zorvan::testing
