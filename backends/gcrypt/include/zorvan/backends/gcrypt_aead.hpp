#pragma once
// zorvan::gcrypt's authenticated ciphers: libgcrypt's AES-GCM and AES-CCM as the native modes of
// its AES keys, and ChaCha20-Poly1305 (RFC 8439).

#include <zorvan/aead.hpp>
#include <zorvan/aead_modes.hpp>
#include <zorvan/backends/aead_key.hpp>
#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan::gcrypt {

namespace detail {

/// GcryptAead: libgcrypt's AEAD of that kind on raw key octets (AES by the key's length, or
/// ChaCha20 in its Poly1305 mode), as backends::AeadCalls. Throws std::runtime_error when
/// libgcrypt fails.
template <backends::AeadKind Kind> struct GcryptAead {
    static Sealed seal(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                       const Bytes& plaintext, std::size_t tagOctets);
    static bool open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                     const Bytes& ciphertext, const Bytes& tag, std::span<std::uint8_t> scratch);
};

extern template struct GcryptAead<backends::AeadKind::gcm>;
extern template struct GcryptAead<backends::AeadKind::ccm>;
extern template struct GcryptAead<backends::AeadKind::chacha20Poly1305>;

} // namespace detail

/// AES128GCM: zorvan's GCM over libgcrypt's AES128 keys, running libgcrypt's own GCM.
using AES128GCM = GCM<backends::WithLibraryModes<AES128, detail::GcryptAead>>;
/// AES192GCM: zorvan's GCM over libgcrypt's AES192 keys, as AES128GCM.
using AES192GCM = GCM<backends::WithLibraryModes<AES192, detail::GcryptAead>>;
/// AES256GCM: zorvan's GCM over libgcrypt's AES256 keys, as AES128GCM.
using AES256GCM = GCM<backends::WithLibraryModes<AES256, detail::GcryptAead>>;
/// AES128CCM: zorvan's CCM over libgcrypt's AES128 keys, running libgcrypt's own CCM.
using AES128CCM = CCM<backends::WithLibraryModes<AES128, detail::GcryptAead>>;
/// AES192CCM: zorvan's CCM over libgcrypt's AES192 keys, running libgcrypt's own CCM.
using AES192CCM = CCM<backends::WithLibraryModes<AES192, detail::GcryptAead>>;
/// AES256CCM: zorvan's CCM over libgcrypt's AES256 keys, running libgcrypt's own CCM.
using AES256CCM = CCM<backends::WithLibraryModes<AES256, detail::GcryptAead>>;

/// ChaCha20Poly1305: libgcrypt's ChaCha20-Poly1305: 256-bit keys, 96-bit nonces, 128-bit tags.
using ChaCha20Poly1305 = backends::AeadKey<
    backends::ChaCha20Poly1305Traits<detail::GcryptAead<backends::AeadKind::chacha20Poly1305>>>;

} // namespace zorvan::gcrypt
