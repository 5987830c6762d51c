#pragma once
// CMAC (SP 800-38B) over any block cipher of 64- or 128-bit blocks: the operation cmac, which a
// key type may supply itself, and Cmac<K>, the Mac it makes of the cipher.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/declared_member.hpp>
#include <zorvan/mac.hpp>

#include <concepts>
#include <cstddef>
#include <optional>
#include <utility>

namespace zorvan {

namespace detail {

/// CmacSubkeys: the two subkeys SP 800-38B derives from the cipher key: K1 masks a last block
/// that is whole, K2 a last block that is padded (the empty message's too).
struct CmacSubkeys {
    Bytes k1;
    Bytes k2;
};

/// doubleSubkey: the block times x in GF(2^n), as SP 800-38B doubles: shifted left by one bit
/// as a big-endian number, the constant R (0x87 for 128-bit blocks, 0x1b for 64-bit ones)
/// XORed into the last octet when the bit shifted out was set. Throws std::invalid_argument
/// for a block of another length.
Bytes doubleSubkey(const Bytes& block);

/// cmacSubkeys: K1 = the encryption of the zero block doubled, K2 = K1 doubled. Throws what
/// the key's block function and doubleSubkey throw.
CmacSubkeys cmacSubkeys(const KeyBlocks& key);

/// runCmac: the full CMAC tag of the message over the key's block function, the chunks read in
/// order (a block may straddle chunks). Throws std::invalid_argument for blocks of neither 8
/// nor 16 octets, and what the key's block function throws.
Bytes runCmac(const KeyBlocks& key, const LazyBytes& message);

} // namespace detail

ZORVAN_DECLARED_MEMBER(cmac)

namespace detail {
template <class K> constexpr bool accepts_cmac = requires(const K& key, const LazyBytes& message) {
    { key.cmac(message) } -> std::same_as<Bytes>;
};

/// checkCmacMember: refuses to compile, naming the signature it must have, when K declares a
/// cmac the library cannot call.
template <BlockCipher K> consteval bool checkCmacMember() {
    static_assert(!declares_cmac<K, const LazyBytes&>() || accepts_cmac<K>,
                  "zorvan: K::cmac is not callable as "
                  "zorvan::Bytes cmac(const zorvan::LazyBytes&) const");
    return true;
}
} // namespace detail

/// cmac: the full CMAC tag (one block) of a chunked message under key, SP 800-38B's generic
/// construction over the key's encryptBlock unless the key type declares its own member
/// `zorvan::Bytes cmac(const zorvan::LazyBytes&) const`, which must give the same; a member of
/// that name the library cannot call so is a compile-time error. Throws std::invalid_argument
/// for a cipher whose block is neither 64 nor 128 bits, and what the key type throws.
template <BlockCipher K> Bytes cmac(const K& key, const LazyBytes& message) {
    static_assert(detail::checkCmacMember<K>());
    if constexpr (detail::accepts_cmac<K>) {
        return key.cmac(message);
    } else {
        return detail::runCmac(detail::keyBlocks(key), message);
    }
}

/// Cmac<K>: CMAC under a key of block cipher K, as a zorvan::Mac: its keys are K's, its tags one
/// block of K; tag is zorvan::cmac, so K's own cmac member where it has one.
template <BlockCipher K> class Cmac {
public:
    /// Cipher: K, the block cipher under the key.
    using Cipher = K;

    /// keyLength: K's key length, in bits.
    static std::size_t keyLength() { return K::keyLength(); }
    /// tagLength: K's block size, in bits: a tag is one block.
    static std::size_t tagLength() { return K::blockSize(); }

    /// buildKey: the CMAC key of the cipher key K builds from the octets; nothing when K refuses
    /// them. Throws what K::buildKey throws.
    static std::optional<Cmac> buildKey(const Bytes& octets) {
        std::optional<K> key = K::buildKey(octets);
        if (!key) {
            return std::nullopt;
        }
        return Cmac(std::move(*key));
    }

    /// tag: zorvan::cmac of the chunked message under the key. Throws what it throws.
    [[nodiscard]] Bytes tag(const LazyBytes& message) const { return cmac(key_, message); }
    /// cipherKey: the key of K.
    [[nodiscard]] const K& cipherKey() const noexcept { return key_; }

private:
    explicit Cmac(K key) : key_(std::move(key)) {}

    K key_;
};

} // namespace zorvan
