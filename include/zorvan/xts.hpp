#pragma once
// XTS (IEEE 1619, SP 800-38E) over any block cipher of 128-bit blocks: the operations xts and
// unXts, which a key type may supply itself, and Xts<K>, the key of two cipher keys that
// libraries and published vectors take as one.

#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/declared_member.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>

namespace zorvan {

/// xtsBlockOctets: the block XTS is defined on, 16 octets.
inline constexpr std::size_t xtsBlockOctets = 16;

namespace detail {

/// multiplyByAlpha: the tweak times alpha in GF(2^128), as IEEE 1619 reads the 16 octets: a
/// little-endian number shifted left by one bit, 0x87 XORed into the first octet when the bit
/// shifted out of the last octet was set. Never fails.
void multiplyByAlpha(std::span<std::uint8_t, xtsBlockOctets> tweak) noexcept;

/// runXts: one data unit through XTS: dataKey's block function on the blocks, tweakKey's
/// encryption on the tweak, ciphertext stealing for a last block of 1 to 15 octets. Throws
/// std::invalid_argument for blocks other than 16 octets, a tweak other than 16 octets or a
/// data unit shorter than one block, and what the keys' block functions throw.
Bytes runXts(const KeyBlocks& dataKey, const KeyBlocks& tweakKey, const Bytes& tweak,
             const Bytes& dataUnit, bool decrypt);

} // namespace detail

// The XTS operations a key type may supply itself, as X(name, decrypt).
#define ZORVAN_XTS_OPERATIONS(X)                                                                   \
    X(xts, false)                                                                                  \
    X(unXts, true)

#define ZORVAN_XTS_MEMBER(name, decrypt)                                                           \
    ZORVAN_DECLARED_MEMBER(name)                                                                   \
    namespace detail {                                                                             \
    template <class K>                                                                             \
    constexpr bool accepts_##name = requires(const K& key, const IV<K>& tweak,                     \
                                             const Bytes& dataUnit) {                              \
        { key.name(key, tweak, dataUnit) } -> std::same_as<Bytes>;                                 \
    };                                                                                             \
    }
ZORVAN_XTS_OPERATIONS(ZORVAN_XTS_MEMBER)
#undef ZORVAN_XTS_MEMBER

// xts, unXts: one data unit of 16 octets or more encrypted or decrypted under dataKey, its tweak
// encrypted under tweakKey, the tweak being the 16 octets IEEE 1619 encrypts (a data unit's
// sequence number as a little-endian number). A last block of 1 to 15 octets is handled by
// ciphertext stealing; a data unit shorter than a block is refused with std::invalid_argument,
// as is a cipher whose block is not 128 bits. The generic construction runs over the keys'
// block functions unless the key type declares its own member
// `zorvan::Bytes xts(const K& tweakKey, const zorvan::IV<K>& tweak, const zorvan::Bytes&) const`
// (the same for unXts), called on the data key; it must give the same and refuse the same. A
// member of such a name the library cannot call so is a compile-time error.
namespace detail {

/// checkXtsMembers: refuses to compile, naming the member and the signature it must have, when
/// K declares xts or unXts in a form the library cannot call.
template <BlockCipher K> consteval bool checkXtsMembers() {
#define ZORVAN_CHECK_XTS_MEMBER(name, decrypt)                                                     \
    static_assert(!declares_##name<K, const K&, const IV<K>&, const Bytes&>() ||                   \
                      accepts_##name<K>,                                                           \
                  "zorvan: K::" #name " is not callable as zorvan::Bytes " #name                   \
                  "(const K&, const zorvan::IV<K>&, const zorvan::Bytes&) const");
    ZORVAN_XTS_OPERATIONS(ZORVAN_CHECK_XTS_MEMBER)
#undef ZORVAN_CHECK_XTS_MEMBER
    return true;
}

} // namespace detail

#define ZORVAN_XTS_OPERATION(name, decrypt)                                                        \
    template <BlockCipher K>                                                                       \
    Bytes name(const K& dataKey, const K& tweakKey, const IV<K>& tweak, const Bytes& dataUnit) {   \
        static_assert(detail::checkXtsMembers<K>());                                               \
        if constexpr (detail::accepts_##name<K>) {                                                 \
            return dataKey.name(tweakKey, tweak, dataUnit);                                        \
        } else {                                                                                   \
            return detail::runXts(detail::keyBlocks(dataKey), detail::keyBlocks(tweakKey),         \
                                  tweak.encode(), dataUnit, decrypt);                              \
        }                                                                                          \
    }
ZORVAN_XTS_OPERATIONS(ZORVAN_XTS_OPERATION)
#undef ZORVAN_XTS_OPERATION
#undef ZORVAN_XTS_OPERATIONS

/// Xts<K>: an XTS key: two keys of block cipher K, the data key then the tweak key, built from
/// their octets laid end to end as IEEE 1619 and the published vectors give them. Identical
/// halves are accepted (SP 800-38E asks a module to refuse them; that is its policy, not XTS).
template <BlockCipher K> class Xts {
public:
    /// Cipher: K, the block cipher of both keys.
    using Cipher = K;

    /// keyLength: the bits buildKey takes, twice K's.
    static std::size_t keyLength() { return 2 * K::keyLength(); }

    /// buildKey: the two keys from exactly keyLength/8 octets; nothing for another length or a
    /// half K refuses. Throws what K::buildKey throws.
    static std::optional<Xts> buildKey(const Bytes& octets) {
        const std::size_t half = K::keyLength() / 8;
        if (octets.size() != 2 * half) {
            return std::nullopt;
        }
        std::optional<K> data = K::buildKey(octets.take(half));
        std::optional<K> tweak = data ? K::buildKey(octets.drop(half)) : std::nullopt;
        if (!tweak) {
            return std::nullopt;
        }
        return Xts(std::move(*data), std::move(*tweak));
    }

    /// encrypt, decrypt: zorvan::xts and zorvan::unXts of one data unit under the two keys.
    [[nodiscard]] Bytes encrypt(const IV<K>& tweak, const Bytes& dataUnit) const {
        return xts(data_, tweak_, tweak, dataUnit);
    }
    /// decrypt: zorvan::unXts of one data unit under the two keys, as encrypt.
    [[nodiscard]] Bytes decrypt(const IV<K>& tweak, const Bytes& dataUnit) const {
        return unXts(data_, tweak_, tweak, dataUnit);
    }

    /// dataKey: the data key, built from the first half of the octets.
    [[nodiscard]] const K& dataKey() const noexcept { return data_; }
    /// tweakKey: the tweak key, built from the second half of the octets.
    [[nodiscard]] const K& tweakKey() const noexcept { return tweak_; }

private:
    Xts(K data, K tweak) : data_(std::move(data)), tweak_(std::move(tweak)) {}

    K data_;
    K tweak_;
};

namespace detail {
/// XtsKey: a zorvan::Xts<K>.
template <class T>
concept XtsKey = requires {
    typename T::Cipher;
}
&&std::same_as<T, Xts<typename T::Cipher>>;
} // namespace detail

} // namespace zorvan
