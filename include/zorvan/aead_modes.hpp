#pragma once
// GCM (NIST SP 800-38D) and CCM (NIST SP 800-38C) over any zorvan::BlockCipher with a 128-bit
// block, and GCM<K> and CCM<K>, the zorvan::Aead key types they make of a key type K.
//
// As with the modes of block_cipher.hpp, gcmSeal, gcmOpen, ccmSeal and ccmOpen are free
// functions that call K's own member of the same name when K declares one (a library's native
// GCM, say) and otherwise the generic construction on K's encryptBlock. A member of such a name
// that the library cannot call as the signature below says is a compile-time error.
//
// The members take what zorvan::Aead's seal and open take:
//   zorvan::Sealed gcmSeal(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
//                          const zorvan::Bytes& plaintext, std::size_t tagOctets) const;
//   bool gcmOpen(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
//                const zorvan::Bytes& ciphertext, const zorvan::Bytes& tag,
//                std::size_t tagOctets, std::span<std::uint8_t> plaintext) const;
// and the same for ccmSeal and ccmOpen. GCM takes nonces of any length from one octet and tags
// of 4, 8 and 12 to 16 octets; CCM nonces of 7 to 13 octets and tags of 4 to 16 octets, even.

#include <zorvan/aead.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/declared_member.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace zorvan {

/// BlockCipherAead: the authenticated modes the library builds over a block cipher.
enum class BlockCipherAead { gcm, ccm };

namespace detail {

/// acceptsNonceLength, acceptsTagLength: the lengths in octets the mode takes.
bool acceptsNonceLength(BlockCipherAead mode, std::size_t octets) noexcept;
bool acceptsTagLength(BlockCipherAead mode, std::size_t octets) noexcept;

/// sealGeneric: the mode over the key's block function. Throws std::invalid_argument for a
/// block other than 128 bits, a nonce or tag length the mode does not take, and a CCM payload
/// too long for the length field its nonce leaves; and what the block function throws.
Sealed sealGeneric(BlockCipherAead mode, const KeyBlocks& key, const Bytes& nonce, const Bytes& aad,
                   const Bytes& plaintext, std::size_t tagOctets);

/// openGeneric: the mode's open over the key's block function: the plaintext is written only
/// after the tag checked out. Refuses (false) what sealGeneric would throw for, and a tag of
/// another length than tagOctets. Throws std::invalid_argument when plaintext is not as long
/// as ciphertext, and what the block function throws.
bool openGeneric(BlockCipherAead mode, const KeyBlocks& key, const Bytes& nonce, const Bytes& aad,
                 const Bytes& ciphertext, const Bytes& tag, std::size_t tagOctets,
                 std::span<std::uint8_t> plaintext);

/// gcmNonceForCounter: the 16-octet GCM nonce whose pre-counter block J0 under the key is
/// `counter` (16 octets): how a law puts the 32-bit counter next to its wrap. Throws what the
/// block function throws.
Bytes gcmNonceForCounter(const KeyBlocks& key, const Bytes& counter);

} // namespace detail

// Every authenticated mode operation, as X(mode, seal, open).
#define ZORVAN_AEAD_MODE_OPERATIONS(X)                                                             \
    X(gcm, gcmSeal, gcmOpen)                                                                       \
    X(ccm, ccmSeal, ccmOpen)

// For each: detail::declares_<name><K>() and detail::accepts_<name><K>, and the free function
// calling K's member when it declares one, the generic mode otherwise.
#define ZORVAN_AEAD_MODE_MEMBERS(mode, seal, open)                                                 \
    ZORVAN_DECLARED_MEMBER(seal)                                                                   \
    ZORVAN_DECLARED_MEMBER(open)                                                                   \
    namespace detail {                                                                             \
    template <class K>                                                                             \
    constexpr bool accepts_##seal = requires(const K& key, const Bytes& bytes, std::size_t n) {    \
        { key.seal(bytes, bytes, bytes, n) } -> std::same_as<Sealed>;                              \
    };                                                                                             \
    template <class K>                                                                             \
    constexpr bool accepts_##open = requires(const K& key, const Bytes& bytes, std::size_t n,      \
                                             std::span<std::uint8_t> out) {                        \
        { key.open(bytes, bytes, bytes, bytes, n, out) } -> std::same_as<bool>;                    \
    };                                                                                             \
    template <BlockCipher K> consteval bool check_##mode##Members() {                              \
        static_assert(                                                                             \
            !declares_##seal<K, const Bytes&, const Bytes&, const Bytes&, std::size_t>() ||        \
                accepts_##seal<K>,                                                                 \
            "zorvan: K::" #seal " is not callable as zorvan::Sealed " #seal                        \
            "(const zorvan::Bytes&, const zorvan::Bytes&, const zorvan::Bytes&, std::size_t) "     \
            "const");                                                                              \
        static_assert(!declares_##open<K, const Bytes&, const Bytes&, const Bytes&, const Bytes&,  \
                                       std::size_t, std::span<std::uint8_t>>() ||                  \
                          accepts_##open<K>,                                                       \
                      "zorvan: K::" #open " is not callable as bool " #open                        \
                      "(const zorvan::Bytes&, const zorvan::Bytes&, const zorvan::Bytes&, const "  \
                      "zorvan::Bytes&, std::size_t, std::span<std::uint8_t>) const");              \
        return true;                                                                               \
    }                                                                                              \
    }                                                                                              \
    template <BlockCipher K>                                                                       \
    Sealed seal(const K& key, const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,        \
                std::size_t tagOctets) {                                                           \
        static_assert(detail::check_##mode##Members<K>());                                         \
        if constexpr (detail::accepts_##seal<K>) {                                                 \
            return key.seal(nonce, aad, plaintext, tagOctets);                                     \
        } else {                                                                                   \
            return detail::sealGeneric(BlockCipherAead::mode, detail::keyBlocks(key), nonce, aad,  \
                                       plaintext, tagOctets);                                      \
        }                                                                                          \
    }                                                                                              \
    template <BlockCipher K>                                                                       \
    bool open(const K& key, const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,         \
              const Bytes& tag, std::size_t tagOctets, std::span<std::uint8_t> plaintext) {        \
        static_assert(detail::check_##mode##Members<K>());                                         \
        if constexpr (detail::accepts_##open<K>) {                                                 \
            return key.open(nonce, aad, ciphertext, tag, tagOctets, plaintext);                    \
        } else {                                                                                   \
            return detail::openGeneric(BlockCipherAead::mode, detail::keyBlocks(key), nonce, aad,  \
                                       ciphertext, tag, tagOctets, plaintext);                     \
        }                                                                                          \
    }

ZORVAN_AEAD_MODE_OPERATIONS(ZORVAN_AEAD_MODE_MEMBERS)

#undef ZORVAN_AEAD_MODE_MEMBERS
#undef ZORVAN_AEAD_MODE_OPERATIONS

/// BlockCipherAeadKey<K, Mode>: the zorvan::Aead key type of Mode over key type K: K's key
/// lengths, the mode's nonce and tag lengths, and the mode's free functions on K (K's own members
/// where it declares them). blockCipher gives the key of K it runs over.
template <BlockCipher K, BlockCipherAead Mode> class BlockCipherAeadKey {
public:
    /// blockCipherMode: Mode, GCM or CCM.
    static constexpr BlockCipherAead blockCipherMode = Mode;
    /// nativeMode: whether K declares the mode's members itself.
    static constexpr bool nativeMode =
        Mode == BlockCipherAead::gcm ? detail::accepts_gcmSeal<K> || detail::accepts_gcmOpen<K>
                                     : detail::accepts_ccmSeal<K> || detail::accepts_ccmOpen<K>;

    /// keyLength: K's key length, in bits.
    static std::size_t keyLength() { return K::keyLength(); }
    /// acceptsNonceLength: whether Mode takes a nonce of that many octets.
    static bool acceptsNonceLength(std::size_t octets) {
        return detail::acceptsNonceLength(Mode, octets);
    }
    /// acceptsTagLength: whether Mode takes a tag of that many octets.
    static bool acceptsTagLength(std::size_t octets) {
        return detail::acceptsTagLength(Mode, octets);
    }
    /// buildKey: the key over the key of K built from the octets; nothing when K refuses them.
    /// Throws what K::buildKey throws.
    static std::optional<BlockCipherAeadKey> buildKey(const Bytes& octets) {
        std::optional<K> key = K::buildKey(octets);
        if (!key) {
            return std::nullopt;
        }
        return BlockCipherAeadKey(std::move(*key));
    }

    /// seal: zorvan::gcmSeal or zorvan::ccmSeal on the key of K: the ciphertext and a tag of
    /// tagOctets octets. Throws what they throw.
    [[nodiscard]] Sealed seal(const Bytes& nonce, const Bytes& aad, const Bytes& plaintext,
                              std::size_t tagOctets) const {
        if constexpr (Mode == BlockCipherAead::gcm) {
            return zorvan::gcmSeal(key_, nonce, aad, plaintext, tagOctets);
        } else {
            return zorvan::ccmSeal(key_, nonce, aad, plaintext, tagOctets);
        }
    }
    /// open: zorvan::gcmOpen or zorvan::ccmOpen on the key of K: true with the plaintext
    /// written, or false with nothing written. Throws what they throw.
    [[nodiscard]] bool open(const Bytes& nonce, const Bytes& aad, const Bytes& ciphertext,
                            const Bytes& tag, std::size_t tagOctets,
                            std::span<std::uint8_t> plaintext) const {
        if constexpr (Mode == BlockCipherAead::gcm) {
            return zorvan::gcmOpen(key_, nonce, aad, ciphertext, tag, tagOctets, plaintext);
        } else {
            return zorvan::ccmOpen(key_, nonce, aad, ciphertext, tag, tagOctets, plaintext);
        }
    }

    /// blockCipher: the key of K the mode runs over.
    [[nodiscard]] const K& blockCipher() const noexcept { return key_; }

private:
    explicit BlockCipherAeadKey(K key) : key_(std::move(key)) {}
    K key_;
};

/// GCM<K>, CCM<K>: GCM and CCM keys over key type K.
template <BlockCipher K> using GCM = BlockCipherAeadKey<K, BlockCipherAead::gcm>;
/// CCM<K>: CCM keys over key type K, as GCM<K>.
template <BlockCipher K> using CCM = BlockCipherAeadKey<K, BlockCipherAead::ccm>;

} // namespace zorvan
