#include <zorvan/backends/sodium.hpp>

#include <zorvan/testing/assertion.hpp>

#include <sodium.h>

#include <array>
#include <stdexcept>

namespace zorvan::sodium::detail {
namespace {

void initialiseSodium() {
    static const bool initialised = sodium_init() >= 0;
    if (!initialised) {
        throw std::runtime_error("libsodium: sodium_init failed");
    }
}

// The detached calls of one kind, with libsodium's own argument order.
struct Calls {
    decltype(&crypto_aead_chacha20poly1305_ietf_encrypt_detached) encrypt;
    decltype(&crypto_aead_chacha20poly1305_ietf_decrypt_detached) decrypt;
};

Calls callsOf(SodiumAeadKind kind) {
    initialiseSodium();
    switch (kind) {
    case SodiumAeadKind::chacha20Poly1305:
        break;
    case SodiumAeadKind::xchacha20Poly1305:
        return {crypto_aead_xchacha20poly1305_ietf_encrypt_detached,
                crypto_aead_xchacha20poly1305_ietf_decrypt_detached};
    case SodiumAeadKind::aes256Gcm:
        if (crypto_aead_aes256gcm_is_available() == 0) {
            throw zorvan::testing::TestSkipped(
                "libsodium runs AES-256-GCM only on processors with AES-NI and PCLMUL");
        }
        return {crypto_aead_aes256gcm_encrypt_detached, crypto_aead_aes256gcm_decrypt_detached};
    }
    return {crypto_aead_chacha20poly1305_ietf_encrypt_detached,
            crypto_aead_chacha20poly1305_ietf_decrypt_detached};
}

constexpr std::size_t tagOctets = 16;

} // namespace

template <SodiumAeadKind Kind>
Sealed SodiumAead<Kind>::seal(std::span<const std::uint8_t> key, const Bytes& nonce,
                              const Bytes& aad, const Bytes& plaintext, std::size_t) {
    const Calls calls = callsOf(Kind);
    std::array<unsigned char, tagOctets> tag{};
    Bytes ciphertext = Bytes::create(plaintext.size(), [&](std::span<std::uint8_t> out) {
        unsigned long long written = 0;
        if (calls.encrypt(out.data(), tag.data(), &written, plaintext.data(), plaintext.size(),
                          aad.data(), aad.size(), nullptr, nonce.data(), key.data()) != 0) {
            throw std::runtime_error("libsodium: sealing failed");
        }
    });
    return {std::move(ciphertext), Bytes(tag)};
}

template <SodiumAeadKind Kind>
bool SodiumAead<Kind>::open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                            const Bytes& ciphertext, const Bytes& tag,
                            std::span<std::uint8_t> scratch) {
    const Calls calls = callsOf(Kind);
    return calls.decrypt(scratch.data(), nullptr, ciphertext.data(), ciphertext.size(), tag.data(),
                         aad.data(), aad.size(), nonce.data(), key.data()) == 0;
}

template struct SodiumAead<SodiumAeadKind::chacha20Poly1305>;
template struct SodiumAead<SodiumAeadKind::xchacha20Poly1305>;
template struct SodiumAead<SodiumAeadKind::aes256Gcm>;

} // namespace zorvan::sodium::detail
