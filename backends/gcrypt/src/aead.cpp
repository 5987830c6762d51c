#include <zorvan/backends/gcrypt_aead.hpp>

#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace zorvan::gcrypt::detail {
namespace {

struct CloseCipher {
    void operator()(gcry_cipher_hd_t handle) const noexcept { gcry_cipher_close(handle); }
};
using Handle = std::unique_ptr<std::remove_pointer_t<gcry_cipher_hd_t>, CloseCipher>;

void check(gcry_error_t error, const char* call) {
    if (error != 0) {
        throw std::runtime_error(std::string("libgcrypt: ") + call +
                                 " failed: " + gcry_strerror(error));
    }
}

constexpr std::size_t fullTag = 16;

int algorithmOf(backends::AeadKind kind, std::size_t keyOctets) {
    if (kind == backends::AeadKind::chacha20Poly1305) {
        return GCRY_CIPHER_CHACHA20;
    }
    switch (keyOctets) {
    case 16:
        return GCRY_CIPHER_AES128;
    case 24:
        return GCRY_CIPHER_AES192;
    case 32:
        return GCRY_CIPHER_AES256;
    default:
        throw std::invalid_argument("libgcrypt has no AES key of " + std::to_string(keyOctets) +
                                    " octets");
    }
}

int modeOf(backends::AeadKind kind) {
    switch (kind) {
    case backends::AeadKind::gcm:
        return GCRY_CIPHER_MODE_GCM;
    case backends::AeadKind::ccm:
        return GCRY_CIPHER_MODE_CCM;
    case backends::AeadKind::chacha20Poly1305:
        break;
    }
    return GCRY_CIPHER_MODE_POLY1305;
}

// A handle keyed, with the nonce, (for CCM) the lengths, and the associated data: ready for
// the payload.
Handle started(backends::AeadKind kind, std::span<const std::uint8_t> key, const Bytes& nonce,
               const Bytes& aad, std::size_t payloadOctets, std::size_t tagOctets) {
    initialiseLibgcrypt();
    gcry_cipher_hd_t raw = nullptr;
    check(gcry_cipher_open(&raw, algorithmOf(kind, key.size()), modeOf(kind), 0),
          "gcry_cipher_open");
    Handle handle(raw);
    check(gcry_cipher_setkey(raw, key.data(), key.size()), "gcry_cipher_setkey");
    check(gcry_cipher_setiv(raw, nonce.data(), nonce.size()), "gcry_cipher_setiv");
    if (kind == backends::AeadKind::ccm) {
        std::array<std::uint64_t, 3> lengths{payloadOctets, aad.size(), tagOctets};
        check(gcry_cipher_ctl(raw, GCRYCTL_SET_CCM_LENGTHS, lengths.data(), sizeof lengths),
              "GCRYCTL_SET_CCM_LENGTHS");
    }
    check(gcry_cipher_authenticate(raw, aad.data(), aad.size()), "gcry_cipher_authenticate");
    return handle;
}

} // namespace

template <backends::AeadKind Kind>
Sealed GcryptAead<Kind>::seal(std::span<const std::uint8_t> key, const Bytes& nonce,
                              const Bytes& aad, const Bytes& plaintext, std::size_t tagOctets) {
    const Handle handle = started(Kind, key, nonce, aad, plaintext.size(), tagOctets);
    check(gcry_cipher_final(handle.get()), "gcry_cipher_final");
    Bytes ciphertext = Bytes::create(plaintext.size(), [&](std::span<std::uint8_t> out) {
        check(gcry_cipher_encrypt(handle.get(), out.data(), out.size(), plaintext.data(),
                                  plaintext.size()),
              "gcry_cipher_encrypt");
    });
    // GCM's and Poly1305's tags come whole and are cut; CCM's is made of the length asked.
    const std::size_t asked = Kind == backends::AeadKind::ccm ? tagOctets : fullTag;
    std::array<std::uint8_t, fullTag> tag{};
    check(gcry_cipher_gettag(handle.get(), tag.data(), asked), "gcry_cipher_gettag");
    return {std::move(ciphertext), Bytes(std::span<const std::uint8_t>(tag).first(tagOctets))};
}

template <backends::AeadKind Kind>
bool GcryptAead<Kind>::open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                            const Bytes& ciphertext, const Bytes& tag,
                            std::span<std::uint8_t> scratch) {
    const Handle handle = started(Kind, key, nonce, aad, ciphertext.size(), tag.size());
    check(gcry_cipher_final(handle.get()), "gcry_cipher_final");
    check(gcry_cipher_decrypt(handle.get(), scratch.data(), scratch.size(), ciphertext.data(),
                              ciphertext.size()),
          "gcry_cipher_decrypt");
    const gcry_error_t checked = gcry_cipher_checktag(handle.get(), tag.data(), tag.size());
    if (gcry_err_code(checked) == GPG_ERR_CHECKSUM) {
        return false;
    }
    check(checked, "gcry_cipher_checktag");
    return true;
}

template struct GcryptAead<backends::AeadKind::gcm>;
template struct GcryptAead<backends::AeadKind::ccm>;
template struct GcryptAead<backends::AeadKind::chacha20Poly1305>;

} // namespace zorvan::gcrypt::detail
