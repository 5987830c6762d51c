#include <zorvan/backends/openssl_aead.hpp>

#include <zorvan/testing/assertion.hpp>

#include <openssl/evp.h>

#include <array>
#include <climits>
#include <memory>
#include <stdexcept>
#include <string>

namespace zorvan::openssl::detail {
namespace {

struct FreeCipher {
    void operator()(EVP_CIPHER* cipher) const noexcept { EVP_CIPHER_free(cipher); }
};
struct FreeContext {
    void operator()(EVP_CIPHER_CTX* context) const noexcept { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, FreeContext>;

void check(int status, const char* call) {
    if (status <= 0) {
        throw std::runtime_error(std::string("libcrypto: ") + call + " failed");
    }
}

int length(std::size_t octets) {
    if (octets > INT_MAX) {
        throw std::length_error("libcrypto takes at most INT_MAX octets in one call");
    }
    return static_cast<int>(octets);
}

constexpr std::size_t maxGcmNonce = 128;
constexpr std::size_t fullTag = 16;

// Fetching by name takes a lock and a lookup: each cipher is fetched once for the process.
const EVP_CIPHER* fetched(backends::AeadKind kind, std::size_t keyOctets) {
    using Fetched = std::unique_ptr<EVP_CIPHER, FreeCipher>;
    static const std::array<Fetched, 7> ciphers = [] {
        std::array<Fetched, 7> all;
        const std::array<const char*, 7> names{"AES-128-GCM",      "AES-192-GCM", "AES-256-GCM",
                                               "AES-128-CCM",      "AES-192-CCM", "AES-256-CCM",
                                               "ChaCha20-Poly1305"};
        for (std::size_t i = 0; i < names.size(); ++i) {
            all[i].reset(EVP_CIPHER_fetch(nullptr, names[i], nullptr));
        }
        return all;
    }();
    std::size_t index = 6;
    if (kind != backends::AeadKind::chacha20Poly1305) {
        index = (kind == backends::AeadKind::ccm ? 3 : 0) + (keyOctets - 16) / 8;
    }
    if (index >= ciphers.size() || !ciphers[index]) {
        throw std::runtime_error("libcrypto has no AEAD for a key of " + std::to_string(keyOctets) +
                                 " octets");
    }
    return ciphers[index].get();
}

// A data pointer libcrypto accepts for an empty input.
const unsigned char* dataOf(const Bytes& bytes) {
    static const unsigned char none = 0;
    return bytes.empty() ? &none : bytes.data();
}

// A context with the cipher, nonce length, (for CCM) the tag, key and nonce, and (for CCM) the
// payload's length, then the associated data: ready for the payload.
Context started(backends::AeadKind kind, bool encrypt, std::span<const std::uint8_t> key,
                const Bytes& nonce, const Bytes& aad, std::size_t payloadOctets,
                std::size_t tagOctets, const unsigned char* tag) {
    if (kind == backends::AeadKind::gcm && nonce.size() > maxGcmNonce) {
        throw zorvan::testing::TestSkipped("libcrypto takes GCM nonces of up to 128 octets");
    }
    Context context(EVP_CIPHER_CTX_new());
    check(context ? 1 : 0, "EVP_CIPHER_CTX_new");
    EVP_CIPHER_CTX* raw = context.get();
    check(EVP_CipherInit_ex2(raw, fetched(kind, key.size()), nullptr, nullptr, encrypt ? 1 : 0,
                             nullptr),
          "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_ctrl(raw, EVP_CTRL_AEAD_SET_IVLEN, length(nonce.size()), nullptr),
          "EVP_CTRL_AEAD_SET_IVLEN");
    if (kind == backends::AeadKind::ccm) {
        // CCM takes the tag's length (and, opening, the tag) before the key.
        check(EVP_CIPHER_CTX_ctrl(raw, EVP_CTRL_AEAD_SET_TAG, length(tagOctets),
                                  const_cast<unsigned char*>(tag)),
              "EVP_CTRL_AEAD_SET_TAG");
    }
    check(EVP_CipherInit_ex2(raw, nullptr, key.data(), nonce.data(), encrypt ? 1 : 0, nullptr),
          "EVP_CipherInit_ex2");
    int written = 0;
    if (kind == backends::AeadKind::ccm) {
        check(EVP_CipherUpdate(raw, nullptr, &written, nullptr, length(payloadOctets)),
              "EVP_CipherUpdate (CCM's length)");
    }
    if (!aad.empty()) {
        check(EVP_CipherUpdate(raw, nullptr, &written, aad.data(), length(aad.size())),
              "EVP_CipherUpdate (associated data)");
    }
    return context;
}

} // namespace

template <backends::AeadKind Kind>
Sealed EvpAead<Kind>::seal(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                           const Bytes& plaintext, std::size_t tagOctets) {
    const Context context =
        started(Kind, true, key, nonce, aad, plaintext.size(), tagOctets, nullptr);
    EVP_CIPHER_CTX* raw = context.get();
    Bytes ciphertext = Bytes::create(plaintext.size(), [&](std::span<std::uint8_t> out) {
        std::array<unsigned char, fullTag> spare{};
        unsigned char* target = out.empty() ? spare.data() : out.data();
        int written = 0;
        check(EVP_EncryptUpdate(raw, target, &written, dataOf(plaintext), length(plaintext.size())),
              "EVP_EncryptUpdate");
        int last = 0;
        check(EVP_EncryptFinal_ex(raw, spare.data(), &last), "EVP_EncryptFinal_ex");
    });
    const std::size_t asked = Kind == backends::AeadKind::ccm ? tagOctets : fullTag;
    std::array<unsigned char, fullTag> tag{};
    check(EVP_CIPHER_CTX_ctrl(raw, EVP_CTRL_AEAD_GET_TAG, length(asked), tag.data()),
          "EVP_CTRL_AEAD_GET_TAG");
    return {std::move(ciphertext), Bytes(std::span<const std::uint8_t>(tag).first(tagOctets))};
}

template <backends::AeadKind Kind>
bool EvpAead<Kind>::open(std::span<const std::uint8_t> key, const Bytes& nonce, const Bytes& aad,
                         const Bytes& ciphertext, const Bytes& tag,
                         std::span<std::uint8_t> scratch) {
    const Context context =
        started(Kind, false, key, nonce, aad, ciphertext.size(), tag.size(), tag.data());
    EVP_CIPHER_CTX* raw = context.get();
    std::array<unsigned char, fullTag> spare{};
    unsigned char* target = scratch.empty() ? spare.data() : scratch.data();
    int written = 0;
    const int decrypted =
        EVP_DecryptUpdate(raw, target, &written, dataOf(ciphertext), length(ciphertext.size()));
    if (Kind == backends::AeadKind::ccm) {
        // CCM checks the tag in the update.
        return decrypted > 0;
    }
    check(decrypted, "EVP_DecryptUpdate");
    check(EVP_CIPHER_CTX_ctrl(raw, EVP_CTRL_AEAD_SET_TAG, length(tag.size()),
                              const_cast<std::uint8_t*>(tag.data())),
          "EVP_CTRL_AEAD_SET_TAG");
    int last = 0;
    return EVP_DecryptFinal_ex(raw, spare.data(), &last) > 0;
}

template struct EvpAead<backends::AeadKind::gcm>;
template struct EvpAead<backends::AeadKind::ccm>;
template struct EvpAead<backends::AeadKind::chacha20Poly1305>;

} // namespace zorvan::openssl::detail
