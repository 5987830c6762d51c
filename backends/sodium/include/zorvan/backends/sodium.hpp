#pragma once
// zorvan::sodium: libsodium's authenticated ciphers behind zorvan::Aead: ChaCha20-Poly1305
// (the IETF construction of RFC 8439), XChaCha20-Poly1305, and AES-256-GCM, which libsodium
// runs only on processors with AES-NI and carry-less multiplication: elsewhere its tests are
// skipped with that reason.

#include <zorvan/aead.hpp>
#include <zorvan/backends/aead_key.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan::sodium {

namespace detail {

/// SodiumAeadKind: the libsodium AEAD a SodiumAead runs.
enum class SodiumAeadKind { chacha20Poly1305, xchacha20Poly1305, aes256Gcm };

/// SodiumAead: libsodium's detached AEAD of that kind, as backends::AeadTraits: 256-bit keys,
/// 128-bit tags, nonces of 12 octets (24 for XChaCha20-Poly1305). Throws std::runtime_error
/// when libsodium cannot be initialised, and zorvan::testing::TestSkipped for AES-256-GCM on a
/// processor libsodium does not run it on.
template <SodiumAeadKind Kind> struct SodiumAead {
    static constexpr std::size_t keyOctets = 32;
    static bool acceptsNonceLength(std::size_t octets) {
        return octets == (Kind == SodiumAeadKind::xchacha20Poly1305 ? 24 : 12);
    }
    static bool acceptsTagLength(std::size_t octets) { return octets == 16; }
    static Sealed seal(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                       const Bytes& plaintext, std::size_t tagOctets);
    static bool open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                     const Bytes& ciphertext, const Bytes& tag, std::span<std::uint8_t> scratch);
};

extern template struct SodiumAead<SodiumAeadKind::chacha20Poly1305>;
extern template struct SodiumAead<SodiumAeadKind::xchacha20Poly1305>;
extern template struct SodiumAead<SodiumAeadKind::aes256Gcm>;

} // namespace detail

/// ChaCha20Poly1305, XChaCha20Poly1305, AES256GCM: libsodium's AEADs.
using ChaCha20Poly1305 =
    backends::AeadKey<detail::SodiumAead<detail::SodiumAeadKind::chacha20Poly1305>>;
using XChaCha20Poly1305 =
    backends::AeadKey<detail::SodiumAead<detail::SodiumAeadKind::xchacha20Poly1305>>;
using AES256GCM = backends::AeadKey<detail::SodiumAead<detail::SodiumAeadKind::aes256Gcm>>;

} // namespace zorvan::sodium
