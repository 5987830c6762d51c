#pragma once
// zorvan::nettle's authenticated ciphers: nettle's AES-GCM and AES-CCM as the native modes of
// its AES keys, and ChaCha20-Poly1305 (RFC 8439).

#include <zorvan/aead.hpp>
#include <zorvan/aead_modes.hpp>
#include <zorvan/backends/aead_key.hpp>
#include <zorvan/backends/nettle.hpp>
#include <zorvan/bytes.hpp>

#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan::nettle {

namespace detail {

/// NettleAead: nettle's AEAD of that kind on raw key octets (gcm_aes128 ... ccm_aes256 by the
/// key's length, chacha_poly1305), as backends::AeadCalls.
template <backends::AeadKind Kind> struct NettleAead {
    static Sealed seal(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                       const Bytes& plaintext, std::size_t tagOctets);
    static bool open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                     const Bytes& ciphertext, const Bytes& tag, std::span<std::uint8_t> scratch);
};

extern template struct NettleAead<backends::AeadKind::gcm>;
extern template struct NettleAead<backends::AeadKind::ccm>;
extern template struct NettleAead<backends::AeadKind::chacha20Poly1305>;

} // namespace detail

/// AES128GCM: zorvan's GCM over nettle's AES128 keys, running nettle's own GCM.
using AES128GCM = GCM<backends::WithLibraryModes<AES128, detail::NettleAead>>;
/// AES192GCM: zorvan's GCM over nettle's AES192 keys, as AES128GCM.
using AES192GCM = GCM<backends::WithLibraryModes<AES192, detail::NettleAead>>;
/// AES256GCM: zorvan's GCM over nettle's AES256 keys, as AES128GCM.
using AES256GCM = GCM<backends::WithLibraryModes<AES256, detail::NettleAead>>;
/// AES128CCM: zorvan's CCM over nettle's AES128 keys, running nettle's own CCM.
using AES128CCM = CCM<backends::WithLibraryModes<AES128, detail::NettleAead>>;
/// AES192CCM: zorvan's CCM over nettle's AES192 keys, running nettle's own CCM.
using AES192CCM = CCM<backends::WithLibraryModes<AES192, detail::NettleAead>>;
/// AES256CCM: zorvan's CCM over nettle's AES256 keys, running nettle's own CCM.
using AES256CCM = CCM<backends::WithLibraryModes<AES256, detail::NettleAead>>;

/// ChaCha20Poly1305: nettle's ChaCha20-Poly1305: 256-bit keys, 96-bit nonces, 128-bit tags.
using ChaCha20Poly1305 = backends::AeadKey<
    backends::ChaCha20Poly1305Traits<detail::NettleAead<backends::AeadKind::chacha20Poly1305>>>;

} // namespace zorvan::nettle
