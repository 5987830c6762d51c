#pragma once
// The AEAD key types the backends build on, and the rule every one of them keeps: a library's
// open may write plaintext before it has checked the tag (OpenSSL's EVP decryption does), so
// the library opens into a scratch buffer and the caller's buffer gets the plaintext only after
// the library said yes.
//
// A public helper for anyone adapting a crypto library's AEAD, installed with the package
// (CMake target zorvan_tests::backend_common): AeadKey turns a description of the library's
// AEAD into a zorvan::Aead key type; WithNativeModes gives a block cipher key type the
// library's GCM and CCM as members, so that zorvan::GCM and zorvan::CCM run them.

#include <zorvan/aead.hpp>
#include <zorvan/aead_modes.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zorvan::backends {

/// AeadCalls: a library's AEAD on raw key octets. seal gives the ciphertext and a tag of
/// tagOctets octets; open writes the plaintext into scratch (as long as the ciphertext), and
/// may do so before it knows the tag is right, and says whether it is. Both throw when the
/// library fails, and may throw zorvan::testing::TestSkipped for lengths the library lacks.
template <class C>
concept AeadCalls = requires(std::span<const std::uint8_t> key, const Bytes& bytes,
                             std::size_t octets, std::span<std::uint8_t> scratch) {
    { C::seal(key, bytes, bytes, bytes, octets) } -> std::same_as<Sealed>;
    { C::open(key, bytes, bytes, bytes, bytes, scratch) } -> std::same_as<bool>;
};

/// AeadTraits: AeadCalls for a key of keyOctets octets, with the nonce and tag lengths the
/// library takes.
template <class T>
concept AeadTraits = AeadCalls<T> && requires(std::size_t octets) {
    { T::keyOctets } -> std::convertible_to<std::size_t>;
    { T::acceptsNonceLength(octets) } -> std::same_as<bool>;
    { T::acceptsTagLength(octets) } -> std::same_as<bool>;
};

/// AeadKind: the AEADs the bundled backends adapt; each backend's calls are a template over it.
enum class AeadKind { gcm, ccm, chacha20Poly1305 };

/// ChaCha20Poly1305Traits<Calls>: a library's ChaCha20-Poly1305 (RFC 8439) as AeadTraits:
/// 256-bit keys, 96-bit nonces, 128-bit tags.
template <AeadCalls Calls> struct ChaCha20Poly1305Traits : Calls {
    /// keyOctets: 32, a 256-bit key.
    static constexpr std::size_t keyOctets = 32;
    /// acceptsNonceLength: true for a nonce of 12 octets only.
    static bool acceptsNonceLength(std::size_t octets) { return octets == 12; }
    /// acceptsTagLength: true for a tag of 16 octets only.
    static bool acceptsTagLength(std::size_t octets) { return octets == 16; }
};

namespace detail {

/// openThroughScratch: opens with the library into a buffer of its own and copies the plaintext
/// into the caller's only when the library accepted the tag. Throws std::invalid_argument when
/// plaintext is not as long as ciphertext, and what open throws.
template <AeadCalls Calls>
bool openThroughScratch(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                        const Bytes& ciphertext, const Bytes& tag,
                        std::span<std::uint8_t> plaintext) {
    if (plaintext.size() != ciphertext.size()) {
        throw std::invalid_argument("open writes " + std::to_string(ciphertext.size()) +
                                    " octets of plaintext into a buffer of " +
                                    std::to_string(plaintext.size()));
    }
    std::vector<std::uint8_t> scratch(ciphertext.size());
    const bool accepted = Calls::open(key, nonce, aad, ciphertext, tag, scratch);
    if (accepted) {
        std::ranges::copy(scratch, plaintext.begin());
    }
    return accepted;
}

/// throwRefusedLengths: the error of a seal asked for lengths the type does not take.
[[noreturn]] inline void throwRefusedLengths(std::size_t nonceOctets, std::size_t tagOctets) {
    throw std::invalid_argument("no nonce of " + std::to_string(nonceOctets) +
                                " octets with a tag of " + std::to_string(tagOctets) +
                                " octets here");
}

} // namespace detail

/// AeadKey<Traits>: a key of the library's AEAD that Traits describes, satisfying zorvan::Aead.
/// open refuses a tag of another length than asked and lengths the library does not take
/// before the library sees them.
template <AeadTraits Traits> class AeadKey {
public:
    /// keyLength: Traits::keyOctets, in bits.
    static std::size_t keyLength() { return Traits::keyOctets * 8; }
    /// acceptsNonceLength: whether the library takes a nonce of that many octets (Traits says).
    static bool acceptsNonceLength(std::size_t octets) {
        return Traits::acceptsNonceLength(octets);
    }
    /// acceptsTagLength: whether the library takes a tag of that many octets (Traits says).
    static bool acceptsTagLength(std::size_t octets) { return Traits::acceptsTagLength(octets); }
    /// buildKey: the key of exactly Traits::keyOctets octets; nothing for another length.
    static std::optional<AeadKey> buildKey(const Bytes& key) {
        if (key.size() != Traits::keyOctets) {
            return std::nullopt;
        }
        return AeadKey(key);
    }

    /// seal: the library's seal: the ciphertext and a tag of tagOctets octets. Throws
    /// std::invalid_argument for a nonce or tag length the library does not take, and what the
    /// library's seal throws.
    [[nodiscard]] Sealed seal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                              std::size_t tagOctets) const {
        if (!acceptsNonceLength(nonce.size()) || !acceptsTagLength(tagOctets)) {
            detail::throwRefusedLengths(nonce.size(), tagOctets);
        }
        return Traits::seal(key_.view(), nonce, aad, plaintext, tagOctets);
    }
    /// open: true, with the plaintext written, when the library accepts the tag; false, with
    /// nothing written, when it does not, for a length it does not take and for a tag of another
    /// length than tagOctets. Throws std::invalid_argument when plaintext is not as long as
    /// ciphertext, and what the library's open throws.
    [[nodiscard]] bool open(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                            const Bytes& tag, std::size_t tagOctets,
                            std::span<std::uint8_t> plaintext) const {
        if (!acceptsNonceLength(nonce.size()) || !acceptsTagLength(tagOctets) ||
            tag.size() != tagOctets) {
            return false;
        }
        return detail::openThroughScratch<Traits>(key_.view(), nonce, aad, ciphertext, tag,
                                                  plaintext);
    }

private:
    explicit AeadKey(Bytes key) : key_(std::move(key)) {}
    Bytes key_;
};

/// WithNativeModes<K, Gcm, Ccm>: the block cipher key type K (its blocks, lengths and keys)
/// with the library's GCM and CCM, run by the AeadCalls Gcm and Ccm on its key octets, as its
/// gcmSeal, gcmOpen, ccmSeal and ccmOpen members. The modes' nonce and tag lengths are those of
/// zorvan::GCM and zorvan::CCM; a seal asked for others throws std::invalid_argument, an open
/// refuses them.
template <BlockCipher K, AeadCalls Gcm, AeadCalls Ccm> class WithNativeModes {
public:
    /// blockSize: K's block size, in bits.
    static constexpr std::size_t blockSize() { return K::blockSize(); }
    /// keyLength: K's key length, in bits.
    static constexpr std::size_t keyLength() { return K::keyLength(); }
    /// buildKey: K's key from the octets, the octets kept for the library's modes; nothing when K
    /// refuses them. Throws what K::buildKey throws.
    static std::optional<WithNativeModes> buildKey(const Bytes& octets) {
        std::optional<K> key = K::buildKey(octets);
        if (!key) {
            return std::nullopt;
        }
        return WithNativeModes(std::move(*key), octets);
    }

    /// encryptBlock: K's encryption of the blocks. Throws what it throws.
    [[nodiscard]] Bytes encryptBlock(const Bytes& blocks) const {
        return key_.encryptBlock(blocks);
    }
    /// decryptBlock: K's decryption of the blocks. Throws what it throws.
    [[nodiscard]] Bytes decryptBlock(const Bytes& blocks) const {
        return key_.decryptBlock(blocks);
    }

    /// gcmSeal: the library's GCM (Gcm) on the key octets: the ciphertext and a tag of tagOctets
    /// octets. Throws std::invalid_argument for a nonce or tag length zorvan::GCM does not take,
    /// and what Gcm::seal throws.
    [[nodiscard]] Sealed gcmSeal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                                 std::size_t tagOctets) const {
        return sealWith<Gcm>(BlockCipherAead::gcm, nonce, aad, plaintext, tagOctets);
    }
    /// gcmOpen: the library's GCM open: true, with the plaintext written, when the library
    /// accepts the tag; false, with nothing written, when it does not, for a length zorvan::GCM
    /// does not take and for a tag of another length than tagOctets. Throws std::invalid_argument
    /// when plaintext is not as long as ciphertext, and what Gcm::open throws.
    [[nodiscard]] bool gcmOpen(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                               const Bytes& tag, std::size_t tagOctets,
                               std::span<std::uint8_t> plaintext) const {
        return openWith<Gcm>(BlockCipherAead::gcm, nonce, aad, ciphertext, tag, tagOctets,
                             plaintext);
    }
    /// ccmSeal: the library's CCM (Ccm) on the key octets, as gcmSeal with zorvan::CCM's lengths.
    /// Throws std::invalid_argument for a nonce or tag length zorvan::CCM does not take, and what
    /// Ccm::seal throws.
    [[nodiscard]] Sealed ccmSeal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                                 std::size_t tagOctets) const {
        return sealWith<Ccm>(BlockCipherAead::ccm, nonce, aad, plaintext, tagOctets);
    }
    /// ccmOpen: the library's CCM open, as gcmOpen with zorvan::CCM's lengths. Throws
    /// std::invalid_argument when plaintext is not as long as ciphertext, and what Ccm::open
    /// throws.
    [[nodiscard]] bool ccmOpen(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                               const Bytes& tag, std::size_t tagOctets,
                               std::span<std::uint8_t> plaintext) const {
        return openWith<Ccm>(BlockCipherAead::ccm, nonce, aad, ciphertext, tag, tagOctets,
                             plaintext);
    }

private:
    WithNativeModes(K key, Bytes octets) : key_(std::move(key)), octets_(std::move(octets)) {}

    template <class Calls>
    Sealed sealWith(BlockCipherAead mode, const Bytes& nonce, const Bytes& aad,
                    const Bytes& plaintext, std::size_t tagOctets) const {
        if (!zorvan::detail::acceptsNonceLength(mode, nonce.size()) ||
            !zorvan::detail::acceptsTagLength(mode, tagOctets)) {
            detail::throwRefusedLengths(nonce.size(), tagOctets);
        }
        return Calls::seal(octets_.view(), nonce, aad, plaintext, tagOctets);
    }

    template <class Calls>
    bool openWith(BlockCipherAead mode, const Bytes& nonce, const Bytes& aad,
                  const Bytes& ciphertext, const Bytes& tag, std::size_t tagOctets,
                  std::span<std::uint8_t> plaintext) const {
        if (!zorvan::detail::acceptsNonceLength(mode, nonce.size()) ||
            !zorvan::detail::acceptsTagLength(mode, tagOctets) || tag.size() != tagOctets) {
            return false;
        }
        return detail::openThroughScratch<Calls>(octets_.view(), nonce, aad, ciphertext, tag,
                                                 plaintext);
    }

    K key_;
    Bytes octets_;
};

/// WithLibraryModes<K, Calls>: K with the GCM and CCM that a backend's Calls template runs.
template <BlockCipher K, template <AeadKind> class Calls>
using WithLibraryModes = WithNativeModes<K, Calls<AeadKind::gcm>, Calls<AeadKind::ccm>>;

} // namespace zorvan::backends
