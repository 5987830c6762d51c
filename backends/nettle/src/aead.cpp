#include <zorvan/backends/nettle_aead.hpp>

#include <nettle/ccm.h>
#include <nettle/chacha-poly1305.h>
#include <nettle/gcm.h>
#include <nettle/memops.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::nettle::detail {
namespace {

constexpr std::size_t fullTag = 16;

// One key size's GCM functions.
template <class Context> struct GcmFunctions {
    void (*setKey)(Context*, const std::uint8_t*);
    void (*setIv)(Context*, std::size_t, const std::uint8_t*);
    void (*update)(Context*, std::size_t, const std::uint8_t*);
    void (*encrypt)(Context*, std::size_t, std::uint8_t*, const std::uint8_t*);
    void (*decrypt)(Context*, std::size_t, std::uint8_t*, const std::uint8_t*);
    void (*digest)(Context*, std::size_t, std::uint8_t*);
};

// One key size's CCM functions.
template <class Context> struct CcmFunctions {
    void (*setKey)(Context*, const std::uint8_t*);
    void (*encrypt)(Context*, std::size_t, const std::uint8_t*, std::size_t, const std::uint8_t*,
                    std::size_t, std::size_t, std::uint8_t*, const std::uint8_t*);
    int (*decrypt)(Context*, std::size_t, const std::uint8_t*, std::size_t, const std::uint8_t*,
                   std::size_t, std::size_t, std::uint8_t*, const std::uint8_t*);
};

constexpr GcmFunctions<gcm_aes128_ctx> gcm128{gcm_aes128_set_key, gcm_aes128_set_iv,
                                              gcm_aes128_update,  gcm_aes128_encrypt,
                                              gcm_aes128_decrypt, gcm_aes128_digest};
constexpr GcmFunctions<gcm_aes192_ctx> gcm192{gcm_aes192_set_key, gcm_aes192_set_iv,
                                              gcm_aes192_update,  gcm_aes192_encrypt,
                                              gcm_aes192_decrypt, gcm_aes192_digest};
constexpr GcmFunctions<gcm_aes256_ctx> gcm256{gcm_aes256_set_key, gcm_aes256_set_iv,
                                              gcm_aes256_update,  gcm_aes256_encrypt,
                                              gcm_aes256_decrypt, gcm_aes256_digest};
constexpr CcmFunctions<ccm_aes128_ctx> ccm128{ccm_aes128_set_key, ccm_aes128_encrypt_message,
                                              ccm_aes128_decrypt_message};
constexpr CcmFunctions<ccm_aes192_ctx> ccm192{ccm_aes192_set_key, ccm_aes192_encrypt_message,
                                              ccm_aes192_decrypt_message};
constexpr CcmFunctions<ccm_aes256_ctx> ccm256{ccm_aes256_set_key, ccm_aes256_encrypt_message,
                                              ccm_aes256_decrypt_message};

// Calls use(functions) with the functions of the key's size.
template <class Use>
auto bySize(std::size_t keyOctets, const auto& f128, const auto& f192, const auto& f256, Use use) {
    switch (keyOctets) {
    case 16:
        return use(f128);
    case 24:
        return use(f192);
    case 32:
        return use(f256);
    default:
        throw std::invalid_argument("nettle has no AES key of " + std::to_string(keyOctets) +
                                    " octets");
    }
}

// GCM on a context keyed with the nonce and associated data: the text through crypt, then the
// whole tag.
template <class Context, class Crypt>
std::array<std::uint8_t, fullTag> runGcm(const GcmFunctions<Context>& f,
                                         std::span<const std::uint8_t> key, const Bytes& nonce,
                                         const Bytes& aad, Crypt crypt) {
    Context context{};
    f.setKey(&context, key.data());
    f.setIv(&context, nonce.size(), nonce.data());
    f.update(&context, aad.size(), aad.data());
    crypt(context);
    std::array<std::uint8_t, fullTag> tag{};
    f.digest(&context, tag.size(), tag.data());
    return tag;
}

bool sameTag(std::span<const std::uint8_t> computed, const Bytes& tag) {
    return memeql_sec(computed.data(), tag.data(), tag.size()) != 0;
}

// ChaCha20-Poly1305 likewise.
template <class Crypt>
std::array<std::uint8_t, fullTag> runChaCha(std::span<const std::uint8_t> key, const Bytes& nonce,
                                            const Bytes& aad, Crypt crypt) {
    chacha_poly1305_ctx context{};
    chacha_poly1305_set_key(&context, key.data());
    chacha_poly1305_set_nonce(&context, nonce.data());
    chacha_poly1305_update(&context, aad.size(), aad.data());
    crypt(context);
    std::array<std::uint8_t, fullTag> tag{};
    chacha_poly1305_digest(&context, tag.size(), tag.data());
    return tag;
}

} // namespace

template <backends::AeadKind Kind>
Sealed NettleAead<Kind>::seal(std::span<const std::uint8_t> key, const Bytes& nonce,
                              const Bytes& aad, const Bytes& plaintext, std::size_t tagOctets) {
    std::array<std::uint8_t, fullTag> tag{};
    Bytes ciphertext = Bytes::create(plaintext.size(), [&](std::span<std::uint8_t> out) {
        if constexpr (Kind == backends::AeadKind::gcm) {
            tag = bySize(key.size(), gcm128, gcm192, gcm256, [&](const auto& f) {
                return runGcm(f, key, nonce, aad, [&](auto& context) {
                    f.encrypt(&context, plaintext.size(), out.data(), plaintext.data());
                });
            });
        } else if constexpr (Kind == backends::AeadKind::ccm) {
            // nettle's CCM writes the ciphertext and the tag in one buffer.
            std::vector<std::uint8_t> sealed(plaintext.size() + tagOctets);
            bySize(key.size(), ccm128, ccm192, ccm256,
                   [&]<class Context>(const CcmFunctions<Context>& f) {
                       Context context{};
                       f.setKey(&context, key.data());
                       f.encrypt(&context, nonce.size(), nonce.data(), aad.size(), aad.data(),
                                 tagOctets, sealed.size(), sealed.data(), plaintext.data());
                       return 0;
                   });
            std::ranges::copy(std::span(sealed).first(plaintext.size()), out.begin());
            std::ranges::copy(std::span(sealed).subspan(plaintext.size()), tag.begin());
        } else {
            tag = runChaCha(key, nonce, aad, [&](chacha_poly1305_ctx& context) {
                chacha_poly1305_encrypt(&context, plaintext.size(), out.data(), plaintext.data());
            });
        }
    });
    return {std::move(ciphertext), Bytes(std::span<const std::uint8_t>(tag).first(tagOctets))};
}

template <backends::AeadKind Kind>
bool NettleAead<Kind>::open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                            const Bytes& ciphertext, const Bytes& tag,
                            std::span<std::uint8_t> scratch) {
    if constexpr (Kind == backends::AeadKind::gcm) {
        const auto computed = bySize(key.size(), gcm128, gcm192, gcm256, [&](const auto& f) {
            return runGcm(f, key, nonce, aad, [&](auto& context) {
                f.decrypt(&context, ciphertext.size(), scratch.data(), ciphertext.data());
            });
        });
        return sameTag(computed, tag);
    } else if constexpr (Kind == backends::AeadKind::ccm) {
        const Bytes sealed = ciphertext.concat(tag);
        return bySize(
            key.size(), ccm128, ccm192, ccm256, [&]<class Context>(const CcmFunctions<Context>& f) {
                Context context{};
                f.setKey(&context, key.data());
                return f.decrypt(&context, nonce.size(), nonce.data(), aad.size(), aad.data(),
                                 tag.size(), ciphertext.size(), scratch.data(), sealed.data()) != 0;
            });
    } else {
        const auto computed = runChaCha(key, nonce, aad, [&](chacha_poly1305_ctx& context) {
            chacha_poly1305_decrypt(&context, ciphertext.size(), scratch.data(), ciphertext.data());
        });
        return sameTag(computed, tag);
    }
}

template struct NettleAead<backends::AeadKind::gcm>;
template struct NettleAead<backends::AeadKind::ccm>;
template struct NettleAead<backends::AeadKind::chacha20Poly1305>;

} // namespace zorvan::nettle::detail
