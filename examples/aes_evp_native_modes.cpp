// A block cipher adapter that supplies native mode members, strict and chunked, over a real
// library: AES-128 through OpenSSL's EVP interface. Each member replaces the generic mode of
// the same name, so the suites test libcrypto's own ECB, CBC, CFB128, OFB and CTR; the next IV
// each returns is the one the generic mode would leave, which EVP keeps as its updated IV.
// Runs the AES known answers read from the installed vectors and the property groups.

#include <Test/AES.hpp>
#include <zorvan/block_cipher.hpp>
#include <zorvan/bytes.hpp>
#include <zorvan/testing/main.hpp>

#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class EvpAes128 {
public:
    using Iv = zorvan::IV<EvpAes128>;

    static constexpr std::size_t blockSize() { return 128; } // bits
    static constexpr std::size_t keyLength() { return 128; } // bits

    static std::optional<EvpAes128> buildKey(const zorvan::Bytes& key) {
        if (key.size() != keyLength() / 8) {
            return std::nullopt; // the AES files' 192- and 256-bit records are skipped
        }
        return EvpAes128(key);
    }

    [[nodiscard]] zorvan::Bytes encryptBlock(const zorvan::Bytes& blocks) const {
        return ecb(blocks);
    }
    [[nodiscard]] zorvan::Bytes decryptBlock(const zorvan::Bytes& blocks) const {
        return unEcb(blocks);
    }

    // Strict members: Bytes in, Bytes out (with the next IV for the IV modes).
    [[nodiscard]] zorvan::Bytes ecb(const zorvan::Bytes& data) const {
        return withoutIv(EVP_aes_128_ecb(), true, data);
    }
    [[nodiscard]] zorvan::Bytes unEcb(const zorvan::Bytes& data) const {
        return withoutIv(EVP_aes_128_ecb(), false, data);
    }
    std::pair<zorvan::Bytes, Iv> cbc(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_cbc(), true, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> unCbc(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_cbc(), false, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> cfb(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_cfb128(), true, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> unCfb(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_cfb128(), false, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> ofb(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_ofb(), true, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> unOfb(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_ofb(), false, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> ctr(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_ctr(), true, iv, data);
    }
    std::pair<zorvan::Bytes, Iv> unCtr(const Iv& iv, const zorvan::Bytes& data) const {
        return strict(EVP_aes_128_ctr(), false, iv, data);
    }

    // Chunked members: one EVP context is fed chunk after chunk, so a block may straddle two.
    [[nodiscard]] zorvan::LazyBytes ecbLazy(const zorvan::LazyBytes& data) const {
        return chunked(EVP_aes_128_ecb(), true, std::nullopt, data).first;
    }
    [[nodiscard]] zorvan::LazyBytes unEcbLazy(const zorvan::LazyBytes& data) const {
        return chunked(EVP_aes_128_ecb(), false, std::nullopt, data).first;
    }
    std::pair<zorvan::LazyBytes, Iv> cbcLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_cbc(), true, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> unCbcLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_cbc(), false, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> cfbLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_cfb128(), true, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> unCfbLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_cfb128(), false, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> ofbLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_ofb(), true, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> unOfbLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_ofb(), false, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> ctrLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_ctr(), true, iv, data);
    }
    std::pair<zorvan::LazyBytes, Iv> unCtrLazy(const Iv& iv, const zorvan::LazyBytes& data) const {
        return withIv(EVP_aes_128_ctr(), false, iv, data);
    }

private:
    using Context = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

    explicit EvpAes128(const zorvan::Bytes& key) : key_(key) {}

    static void require(int status, const char* call) {
        if (status != 1) {
            throw std::runtime_error(std::string("libcrypto: ") + call + " failed");
        }
    }

    // Runs the chunks through one context. ECB and CBC, which take whole blocks only, refuse
    // a partial block with std::invalid_argument as the generic modes do; the others keep
    // their state (counter, feedback, unused keystream) across chunk boundaries. The next IV
    // is EVP's updated IV: CBC's last ciphertext block, CFB's register (after a short block,
    // that ciphertext followed by the unused keystream), OFB's last keystream block, CTR's
    // counter after the last block used.
    std::pair<zorvan::LazyBytes, std::optional<Iv>> chunked(const EVP_CIPHER* cipher, bool encrypt,
                                                            const std::optional<Iv>& iv,
                                                            const zorvan::LazyBytes& data) const {
        const bool wholeBlocksOnly = EVP_CIPHER_get_mode(cipher) == EVP_CIPH_ECB_MODE ||
                                     EVP_CIPHER_get_mode(cipher) == EVP_CIPH_CBC_MODE;
        if (wholeBlocksOnly && data.length() % 16 != 0) {
            throw std::invalid_argument("AES-128 " + std::string(EVP_CIPHER_get0_name(cipher)) +
                                        ": " + std::to_string(data.length()) +
                                        " octets are not a whole number of 16-octet blocks");
        }
        Context context(EVP_CIPHER_CTX_new(), &EVP_CIPHER_CTX_free);
        require(context != nullptr, "EVP_CIPHER_CTX_new");
        require(EVP_CipherInit_ex(context.get(), cipher, nullptr, key_.data(),
                                  iv ? iv->encode().data() : nullptr, encrypt ? 1 : 0),
                "EVP_CipherInit_ex");
        require(EVP_CIPHER_CTX_set_padding(context.get(), 0), "EVP_CIPHER_CTX_set_padding");
        std::vector<zorvan::Bytes> output;
        for (const zorvan::Bytes& chunk : data.toChunks()) {
            int written = 0;
            // EVP may hold back up to a block of a whole-block mode until the next call.
            output.push_back(
                zorvan::Bytes::create(chunk.size() + 16, [&](std::span<std::uint8_t> out) {
                    require(EVP_CipherUpdate(context.get(), out.data(), &written, chunk.data(),
                                             static_cast<int>(chunk.size())),
                            "EVP_CipherUpdate");
                }).take(static_cast<std::size_t>(written)));
        }
        std::optional<Iv> nextIv;
        if (iv) {
            std::array<std::uint8_t, 16> updated{};
            require(EVP_CIPHER_CTX_get_updated_iv(context.get(), updated.data(), updated.size()),
                    "EVP_CIPHER_CTX_get_updated_iv");
            nextIv = Iv::get(zorvan::Bytes(updated));
        }
        return {zorvan::LazyBytes::fromChunks(std::move(output)), std::move(nextIv)};
    }

    std::pair<zorvan::LazyBytes, Iv> withIv(const EVP_CIPHER* cipher, bool encrypt, const Iv& iv,
                                            const zorvan::LazyBytes& data) const {
        auto [output, nextIv] = chunked(cipher, encrypt, iv, data);
        return {std::move(output), std::move(*nextIv)};
    }
    std::pair<zorvan::Bytes, Iv> strict(const EVP_CIPHER* cipher, bool encrypt, const Iv& iv,
                                        const zorvan::Bytes& data) const {
        auto [output, nextIv] = withIv(cipher, encrypt, iv, zorvan::LazyBytes::fromChunks({data}));
        return {output.toStrict(), std::move(nextIv)};
    }
    zorvan::Bytes withoutIv(const EVP_CIPHER* cipher, bool encrypt,
                            const zorvan::Bytes& data) const {
        return chunked(cipher, encrypt, std::nullopt, zorvan::LazyBytes::fromChunks({data}))
            .first.toStrict();
    }

    zorvan::Bytes key_;
};

static_assert(zorvan::BlockCipher<EvpAes128>);

int main(int argc, char** argv) {
    return zorvan::testing::main(argc, argv, [] { return Test::AES::makeAESTests<EvpAes128>(); });
}
