// An AEAD adapter over a real library: ChaCha20-Poly1305 through OpenSSL's EVP interface, with
// the chunked members a streaming library can give. EVP decrypts before it checks the tag, so
// open decrypts into a buffer of its own and hands the plaintext over only after EVP accepted
// the tag: a refused open leaves the caller's buffer untouched, which the laws check. Runs the
// ChaCha20-Poly1305 known answers read from the installed vectors, then the AEAD laws.

#include <Test/ChaCha20Poly1305.hpp>
#include <zorvan/aead.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/main.hpp>

#include <openssl/evp.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

class EvpChaCha20Poly1305 {
public:
    static constexpr std::size_t keyLength() { return 256; } // bits
    static bool acceptsNonceLength(std::size_t octets) { return octets == 12; }
    static bool acceptsTagLength(std::size_t octets) { return octets == 16; }

    static std::optional<EvpChaCha20Poly1305> buildKey(const zorvan::Bytes& key) {
        if (key.size() != keyLength() / 8) {
            return std::nullopt;
        }
        return EvpChaCha20Poly1305(key);
    }

    [[nodiscard]] zorvan::Sealed seal(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                                      const zorvan::Bytes& plaintext, std::size_t tagOctets) const {
        return sealLazy(nonce, zorvan::LazyBytes::fromChunks({aad}),
                        zorvan::LazyBytes::fromChunks({plaintext}), tagOctets);
    }
    [[nodiscard]] bool open(const zorvan::Bytes& nonce, const zorvan::Bytes& aad,
                            const zorvan::Bytes& ciphertext, const zorvan::Bytes& tag,
                            std::size_t tagOctets, std::span<std::uint8_t> plaintext) const {
        return openLazy(nonce, zorvan::LazyBytes::fromChunks({aad}),
                        zorvan::LazyBytes::fromChunks({ciphertext}), tag, tagOctets, plaintext);
    }

    // The chunked members feed EVP chunk by chunk, as a program streaming a message would.
    [[nodiscard]] zorvan::Sealed sealLazy(const zorvan::Bytes& nonce, const zorvan::LazyBytes& aad,
                                          const zorvan::LazyBytes& plaintext,
                                          std::size_t tagOctets) const {
        if (!acceptsNonceLength(nonce.size()) || !acceptsTagLength(tagOctets)) {
            throw std::invalid_argument("ChaCha20-Poly1305 takes 12-octet nonces, 16-octet tags");
        }
        const Context context = started(nonce, aad, 1);
        std::vector<std::uint8_t> ciphertext = run(context.get(), plaintext);
        std::vector<std::uint8_t> tag(tagOctets);
        check(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_GET_TAG, 16, tag.data()));
        return {zorvan::Bytes(ciphertext), zorvan::Bytes(tag)};
    }
    [[nodiscard]] bool openLazy(const zorvan::Bytes& nonce, const zorvan::LazyBytes& aad,
                                const zorvan::LazyBytes& ciphertext, const zorvan::Bytes& tag,
                                std::size_t tagOctets, std::span<std::uint8_t> plaintext) const {
        if (!acceptsNonceLength(nonce.size()) || !acceptsTagLength(tagOctets) ||
            tag.size() != tagOctets || plaintext.size() != ciphertext.length()) {
            return false;
        }
        const Context context = started(nonce, aad, 0);
        const std::vector<std::uint8_t> decrypted = run(context.get(), ciphertext);
        std::vector<std::uint8_t> expected(tag.begin(), tag.end());
        check(EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_AEAD_SET_TAG, 16, expected.data()));
        int last = 0;
        std::uint8_t none = 0;
        if (EVP_DecryptFinal_ex(context.get(), &none, &last) <= 0) {
            return false; // the plaintext stays in `decrypted`, which dies here
        }
        std::ranges::copy(decrypted, plaintext.begin());
        return true;
    }

private:
    struct FreeContext {
        void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
    };
    using Context = std::unique_ptr<EVP_CIPHER_CTX, FreeContext>;

    explicit EvpChaCha20Poly1305(zorvan::Bytes key) : key_(std::move(key)) {}

    static void check(int status) {
        if (status <= 0) {
            throw std::runtime_error("libcrypto failed");
        }
    }

    Context started(const zorvan::Bytes& nonce, const zorvan::LazyBytes& aad, int encrypt) const {
        Context context(EVP_CIPHER_CTX_new());
        check(context ? 1 : 0);
        check(EVP_CipherInit_ex2(context.get(), EVP_chacha20_poly1305(), key_.data(), nonce.data(),
                                 encrypt, nullptr));
        for (const zorvan::Bytes& chunk : aad.toChunks()) {
            int written = 0;
            check(EVP_CipherUpdate(context.get(), nullptr, &written, chunk.data(),
                                   static_cast<int>(chunk.size())));
        }
        return context;
    }

    static std::vector<std::uint8_t> run(EVP_CIPHER_CTX* context, const zorvan::LazyBytes& input) {
        std::vector<std::uint8_t> output(input.length());
        std::size_t offset = 0;
        for (const zorvan::Bytes& chunk : input.toChunks()) {
            int written = 0;
            check(EVP_CipherUpdate(context, output.data() + offset, &written, chunk.data(),
                                   static_cast<int>(chunk.size())));
            offset += static_cast<std::size_t>(written);
        }
        if (EVP_CIPHER_CTX_is_encrypting(context) != 0) {
            int last = 0;
            std::uint8_t none = 0;
            check(EVP_EncryptFinal_ex(context, &none, &last));
        }
        return output;
    }

    zorvan::Bytes key_;
};

static_assert(zorvan::Aead<EvpChaCha20Poly1305>);
static_assert(zorvan::hasLazyAead<EvpChaCha20Poly1305>);

int main(int argc, char** argv) {
    return zorvan::testing::main(argc, argv, [] {
        return Test::ChaCha20Poly1305::makeChaCha20Poly1305Tests<EvpChaCha20Poly1305>();
    });
}
