#pragma once
// zorvan::openssl's authenticated ciphers: libcrypto's (EVP) AES-GCM and AES-CCM as the native
// modes of its AES keys, and ChaCha20-Poly1305 (RFC 8439).

#include <zorvan/aead.hpp>
#include <zorvan/aead_modes.hpp>
#include <zorvan/backends/aead_key.hpp>
#include <zorvan/backends/openssl.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan::openssl {

namespace detail {

/// EvpAead: libcrypto's AEAD of that kind on raw key octets ("AES-<bits>-GCM" by the key's
/// length, "AES-<bits>-CCM", "ChaCha20-Poly1305"), as backends::AeadCalls. Throws
/// std::runtime_error when libcrypto fails, and zorvan::testing::TestSkipped for a GCM nonce
/// longer than the 128 octets libcrypto takes.
template <backends::AeadKind Kind> struct EvpAead {
    static Sealed seal(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                       const Bytes& plaintext, std::size_t tagOctets);
    static bool open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                     const Bytes& ciphertext, const Bytes& tag, std::span<std::uint8_t> scratch);
};

extern template struct EvpAead<backends::AeadKind::gcm>;
extern template struct EvpAead<backends::AeadKind::ccm>;
extern template struct EvpAead<backends::AeadKind::chacha20Poly1305>;

} // namespace detail

/// AES128GCM: zorvan's GCM over libcrypto's AES128 keys, running libcrypto's own GCM.
using AES128GCM = GCM<backends::WithLibraryModes<AES128, detail::EvpAead>>;
/// AES192GCM: zorvan's GCM over libcrypto's AES192 keys, as AES128GCM.
using AES192GCM = GCM<backends::WithLibraryModes<AES192, detail::EvpAead>>;
/// AES256GCM: zorvan's GCM over libcrypto's AES256 keys, as AES128GCM.
using AES256GCM = GCM<backends::WithLibraryModes<AES256, detail::EvpAead>>;
/// AES128CCM: zorvan's CCM over libcrypto's AES128 keys, running libcrypto's own CCM.
using AES128CCM = CCM<backends::WithLibraryModes<AES128, detail::EvpAead>>;
/// AES192CCM: zorvan's CCM over libcrypto's AES192 keys, running libcrypto's own CCM.
using AES192CCM = CCM<backends::WithLibraryModes<AES192, detail::EvpAead>>;
/// AES256CCM: zorvan's CCM over libcrypto's AES256 keys, running libcrypto's own CCM.
using AES256CCM = CCM<backends::WithLibraryModes<AES256, detail::EvpAead>>;

/// ChaCha20Poly1305: libcrypto's ChaCha20-Poly1305: 256-bit keys, 96-bit nonces, 128-bit tags.
using ChaCha20Poly1305 = backends::AeadKey<
    backends::ChaCha20Poly1305Traits<detail::EvpAead<backends::AeadKind::chacha20Poly1305>>>;

} // namespace zorvan::openssl
