#pragma once
// Test::Crypto: random byte strings and the generic property groups for hashes and block
// ciphers.

#include <Test/Crypto/CipherView.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
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

/// HashView: a digest type without its type, for the hash suites and the hash property group,
/// which are compiled once in the library.
class HashView {
public:
    virtual ~HashView() = default;
    /// digestOctets: the encoded digest of a contiguous message (hashStrict).
    [[nodiscard]] virtual zorvan::Bytes digestOctets(const zorvan::Bytes& message) const = 0;
    /// chunkedDigestOctets: the encoded digest of a chunked message (hash).
    [[nodiscard]] virtual zorvan::Bytes
    chunkedDigestOctets(const zorvan::LazyBytes& message) const = 0;
    /// PieceSink: takes the next piece of a message.
    using PieceSink = std::function<void(std::span<const std::uint8_t>)>;
    /// fedDigestOctets: the encoded digest of the message that feed gives the type's Context,
    /// piece by piece through the sink it is called with; the message is never held whole.
    [[nodiscard]] virtual zorvan::Bytes
    fedDigestOctets(const std::function<void(const PieceSink&)>& feed) const = 0;
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

/// hashPropTests: the group of five hash properties over the view. Never fails itself.
zorvan::testing::Test hashPropTests(std::shared_ptr<const HashView> hash);

namespace detail {

template <zorvan::Hash D> class HashViewOf final : public HashView {
public:
    [[nodiscard]] zorvan::Bytes digestOctets(const zorvan::Bytes& message) const override {
        return zorvan::hashStrict<D>(message).encode();
    }
    [[nodiscard]] zorvan::Bytes
    chunkedDigestOctets(const zorvan::LazyBytes& message) const override {
        return zorvan::hash<D>(message).encode();
    }
    [[nodiscard]] zorvan::Bytes
    fedDigestOctets(const std::function<void(const PieceSink&)>& feed) const override {
        typename D::Context context;
        feed([&](std::span<const std::uint8_t> piece) { context.update(piece); });
        return context.finalize().encode();
    }
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

/// hashView: the view of digest type D.
template <zorvan::Hash D> std::shared_ptr<const HashView> hashView() {
    return std::make_shared<const detail::HashViewOf<D>>();
}

/// MacView: a digest type's HMAC without the type, for the HMAC suites compiled in the library.
class MacView {
public:
    virtual ~MacView() = default;
    /// macOctets: the encoded HMAC of a contiguous message (hmacStrict).
    [[nodiscard]] virtual zorvan::Bytes macOctets(const zorvan::Bytes& key,
                                                  const zorvan::Bytes& message) const = 0;
    /// chunkedMacOctets: the encoded HMAC of a chunked message (hmac).
    [[nodiscard]] virtual zorvan::Bytes
    chunkedMacOctets(const zorvan::Bytes& key, const zorvan::LazyBytes& message) const = 0;
};

namespace detail {

template <zorvan::Hash D> class MacViewOf final : public MacView {
public:
    [[nodiscard]] zorvan::Bytes macOctets(const zorvan::Bytes& key,
                                          const zorvan::Bytes& message) const override {
        return zorvan::hmacStrict<D>(key, message).encode();
    }
    [[nodiscard]] zorvan::Bytes chunkedMacOctets(const zorvan::Bytes& key,
                                                 const zorvan::LazyBytes& message) const override {
        return zorvan::hmac<D>(key, message).encode();
    }
};

} // namespace detail

/// macView: the HMAC view of digest type D.
template <zorvan::Hash D> std::shared_ptr<const MacView> macView() {
    return std::make_shared<const detail::MacViewOf<D>>();
}

/// makeHashPropTests: the group of five hash properties for the digest type D (the witness
/// only selects it): chunked and contiguous hashing agree, the digest serialises to
/// outputLength/8 octets and reads back, and both stated lengths are whole octets.
template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests() {
    return hashPropTests(hashView<D>());
}

template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests(const D& /*witness*/) {
    return makeHashPropTests<D>();
}

/// blockCipherPropTests: the two groups of five block-cipher properties over the cipher's view.
/// Throws std::invalid_argument when its blocks are shorter than one octet.
std::vector<zorvan::testing::Test> blockCipherPropTests(std::shared_ptr<const CipherView> cipher);

/// makeBlockCipherPropTests: the two groups of five block-cipher properties for key type K
/// (the witness only selects it): in ECB, CBC, CFB, OFB and CTR decryption undoes encryption,
/// and chunked and contiguous input agree. Cases whose key or IV the cipher refuses are
/// discarded. Throws std::invalid_argument when K's blocks are shorter than one octet.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeBlockCipherPropTests() {
    return blockCipherPropTests(cipherView<K>());
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
