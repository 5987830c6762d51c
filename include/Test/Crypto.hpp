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

/// hashPropTests: the group of five hash properties over the view. Never fails itself.
zorvan::testing::Test hashPropTests(std::shared_ptr<const HashView> hash);

/// makeHashPropTests: the group of five hash properties for the digest type D (the witness
/// only selects it): chunked and contiguous hashing agree, the digest serialises to
/// outputLength/8 octets and reads back, and both stated lengths are whole octets.
template <zorvan::Hash D> zorvan::testing::Test makeHashPropTests() {
    return hashPropTests(messageView<D>());
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
