#pragma once
// Test::Crypto: random byte strings and the generic property groups for hashes and block
// ciphers.

#include <Test/Crypto/CipherView.hpp>
#include <Test/Crypto/HashView.hpp>

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/test.hpp>

#include <cstdint>
#include <memory>
#include <vector>

namespace Test::Crypto {

/// arbitraryBytes: 1 to 4097 octets, the length uniform and independent of the size.
zorvan::Bytes arbitraryBytes(zorvan::testing::Gen& gen);
/// arbitraryLazyBytes: 0 to 10 chunks, each as arbitraryBytes draws them.
zorvan::LazyBytes arbitraryLazyBytes(zorvan::testing::Gen& gen);

/// shrinkBytes: smaller values that arbitraryBytes could draw, the simplest first: shorter
/// prefixes (at least one octet), then the value with fewer non-zero octets (all zero, then
/// halves, quarters and so on down to single octets, or 64ths for a long value, set to zero).
std::vector<zorvan::Bytes> shrinkBytes(const zorvan::Bytes& value);
/// shrinkLazyBytes: simpler values that arbitraryLazyBytes could draw: one chunk fewer, shorter
/// prefixes (chunk boundaries kept), the chunks joined into one, all octets zero, then each
/// chunk halved.
std::vector<zorvan::LazyBytes> shrinkLazyBytes(const zorvan::LazyBytes& value);

namespace names {
/// hashGroup: the group hashPropTests makes.
inline constexpr const char* hashGroup = "Cryptographic Digest Property Tests";
/// lazyStrictEqual: the leaf checking that chunked and contiguous hashing agree.
inline constexpr const char* lazyStrictEqual = "LazyStrictEqual";
/// digestLength: the leaf checking that a digest encodes to outputLength/8 octets.
inline constexpr const char* digestLength = "DigestLen";
/// getPutHash: the leaf checking that get reads an encoded digest back as the same digest.
inline constexpr const char* getPutHash = "GetPutHash";
/// blockLengthAligned: the leaf checking that blockLength is a whole number of octets.
inline constexpr const char* blockLengthAligned = "BlockLengthIsByteAligned";
/// outputLengthAligned: the leaf checking that outputLength is a whole number of octets.
inline constexpr const char* outputLengthAligned = "OutputLengthIsByteAligned";
/// identityGroup: the block cipher group whose leaves check that decryption undoes
/// encryption, one per mode.
inline constexpr const char* identityGroup = "Block Cipher tests (ident)";
/// agreementGroup: the block cipher group whose leaves check that each mode's chunked and
/// contiguous forms agree.
inline constexpr const char* agreementGroup =
    "Block Cipher tests (lazy/string bytestring equality)";
/// ecbIdentity: the identity group's ECB leaf.
inline constexpr const char* ecbIdentity = "ECBEncDecID";
/// ecbAgreement: the agreement group's ECB leaf.
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

/// hashPropTests: the group of five hash properties over the view. Never fails itself.
zorvan::testing::Test hashPropTests(const std::shared_ptr<const HashView>& hash);

/// makeHashPropTests: the group of five hash properties for the digest type D (the witness
/// only selects it): chunked and contiguous hashing agree, the digest serialises to
/// outputLength/8 octets and reads back, and both stated lengths are whole octets.
template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests() {
    return hashPropTests(messageView<D>());
}

/// makeHashPropTests: the same for the digest type of the witness, which only selects it.
template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests(const D& /*witness*/) {
    return makeHashPropTests<D>();
}

/// blockCipherPropTests: the two groups of five block-cipher properties over the cipher's view.
/// Throws std::invalid_argument when its blocks are shorter than one octet.
std::vector<zorvan::testing::Test>
blockCipherPropTests(const std::shared_ptr<const CipherView>& cipher);

/// makeBlockCipherPropTests: the two groups of five block-cipher properties for key type K
/// (the witness only selects it): in ECB, CBC, CFB, OFB and CTR decryption undoes encryption,
/// and chunked and contiguous input agree. Cases whose key or IV the cipher refuses are
/// discarded. Throws std::invalid_argument when K's blocks are shorter than one octet.
template <zorvan::BlockCipher K> std::vector<zorvan::testing::Test> makeBlockCipherPropTests() {
    return blockCipherPropTests(cipherView<K>());
}

/// makeBlockCipherPropTests: the same for the key type of the witness, which only selects it.
template <zorvan::BlockCipher K>
std::vector<zorvan::testing::Test> makeBlockCipherPropTests(const K& /*witness*/) {
    return makeBlockCipherPropTests<K>();
}

} // namespace Test::Crypto

namespace zorvan::testing {

/// Arbitrary<Bytes>: how properties draw a byte string.
template <> struct Arbitrary<Bytes> {
    /// arbitrary: a byte string as Test::Crypto::arbitraryBytes draws it.
    static Bytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryBytes(gen); }
    /// shrink: shorter prefixes of value, then value with fewer non-zero octets.
    static std::vector<Bytes> shrink(const Bytes& value) {
        return ::Test::Crypto::shrinkBytes(value);
    }
};

/// Arbitrary<LazyBytes>: how properties draw a chunked byte string.
template <> struct Arbitrary<LazyBytes> {
    /// arbitrary: chunks as Test::Crypto::arbitraryLazyBytes draws them.
    static LazyBytes arbitrary(Gen& gen) { return ::Test::Crypto::arbitraryLazyBytes(gen); }
    /// shrink: fewer, joined, shorter and zeroed chunks of value.
    static std::vector<LazyBytes> shrink(const LazyBytes& value) {
        return ::Test::Crypto::shrinkLazyBytes(value);
    }
};

} // namespace zorvan::testing
