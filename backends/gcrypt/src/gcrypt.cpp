#include <zorvan/backends/gcrypt.hpp>

#include <array>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::gcrypt::detail {
namespace {

void check(gcry_error_t error, const char* call) {
    if (error != 0) {
        throw std::runtime_error(std::string("libgcrypt: ") + call + ": " + gcry_strerror(error));
    }
}

struct CloseCipher {
    void operator()(gcry_cipher_hd_t handle) const noexcept { gcry_cipher_close(handle); }
};

int cipherMode(backends::Mode mode) {
    switch (mode) {
    case backends::Mode::ecb:
        return GCRY_CIPHER_MODE_ECB;
    case backends::Mode::cbc:
        return GCRY_CIPHER_MODE_CBC;
    case backends::Mode::cfb:
        return GCRY_CIPHER_MODE_CFB;
    case backends::Mode::ofb:
        return GCRY_CIPHER_MODE_OFB;
    case backends::Mode::ctr:
        return GCRY_CIPHER_MODE_CTR;
    }
    throw std::invalid_argument("unknown cipher mode");
}

} // namespace

void initialiseLibgcrypt() {
    static const bool initialised = [] {
        // A host program that set libgcrypt up itself keeps its own settings.
        if (gcry_control(GCRYCTL_INITIALIZATION_FINISHED_P) != 0) {
            return true;
        }
        if (gcry_check_version(GCRYPT_VERSION) == nullptr) {
            throw std::runtime_error("libgcrypt is older than " GCRYPT_VERSION);
        }
        gcry_control(GCRYCTL_DISABLE_SECMEM, 0);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        return true;
    }();
    (void)initialised;
}

GcryptDigestState::GcryptDigestState(int algorithm,
                                     std::optional<std::span<const std::uint8_t>> hmacKey)
    : algorithm_(algorithm) {
    initialiseLibgcrypt();
    gcry_md_hd_t handle = nullptr;
    check(gcry_md_open(&handle, algorithm, hmacKey ? unsigned{GCRY_MD_FLAG_HMAC} : 0u),
          "gcry_md_open");
    handle_.reset(handle);
    if (hmacKey) {
        check(gcry_md_setkey(handle, hmacKey->data(), hmacKey->size()), "gcry_md_setkey");
    }
}

void GcryptDigestState::update(std::span<const std::uint8_t> octets) {
    gcry_md_write(handle_.get(), octets.data(), octets.size());
}

// gcry_md_reset keeps an HMAC key, so the state starts afresh under the same key.
Bytes GcryptDigestState::finish() {
    const unsigned char* digest = gcry_md_read(handle_.get(), algorithm_);
    if (digest == nullptr) {
        throw std::runtime_error("libgcrypt: gcry_md_read gave no digest");
    }
    Bytes result(std::span<const std::uint8_t>(digest, gcry_md_get_algo_dlen(algorithm_)));
    gcry_md_reset(handle_.get());
    return result;
}

struct KeyedHandles {
    std::vector<std::uint8_t> key;
    std::mutex mutex;
    std::array<std::unique_ptr<gcry_cipher_handle, CloseCipher>, 5> byMode;
};

GcryptCipherKey::GcryptCipherKey(int algorithm, std::span<const std::uint8_t> key)
    : algorithm_(algorithm), handles_(std::make_shared<KeyedHandles>()) {
    // Once per key rather than per call: the Monte Carlo tests make single-block calls.
    initialiseLibgcrypt();
    blockOctets_ = gcry_cipher_get_algo_blklen(algorithm);
    handles_->key.assign(key.begin(), key.end());
}

backends::ModeOutput GcryptCipherKey::run(backends::Mode mode, backends::Direction direction,
                                          std::span<const std::uint8_t> iv,
                                          std::span<const std::uint8_t> input) const {
    return backends::runOnWholeBlocks(
        mode, direction, blockOctets_, iv, input, [&](auto padded, auto output) {
            const std::lock_guard lock(handles_->mutex);
            auto& handle = handles_->byMode[static_cast<std::size_t>(mode)];
            if (!handle) {
                gcry_cipher_hd_t opened = nullptr;
                check(gcry_cipher_open(&opened, algorithm_, cipherMode(mode), 0),
                      "gcry_cipher_open");
                handle.reset(opened);
                check(gcry_cipher_setkey(opened, handles_->key.data(), handles_->key.size()),
                      "gcry_cipher_setkey");
            }
            // Setting the IV or counter also starts the mode afresh on the kept handle.
            if (mode == backends::Mode::ctr) {
                check(gcry_cipher_setctr(handle.get(), iv.data(), iv.size()), "gcry_cipher_setctr");
            } else if (mode != backends::Mode::ecb) {
                check(gcry_cipher_setiv(handle.get(), iv.data(), iv.size()), "gcry_cipher_setiv");
            }
            if (!padded.empty()) {
                const bool encrypt = direction == backends::Direction::encrypt;
                check(encrypt ? gcry_cipher_encrypt(handle.get(), output.data(), output.size(),
                                                    padded.data(), padded.size())
                              : gcry_cipher_decrypt(handle.get(), output.data(), output.size(),
                                                    padded.data(), padded.size()),
                      encrypt ? "gcry_cipher_encrypt" : "gcry_cipher_decrypt");
            }
        });
}

} // namespace zorvan::gcrypt::detail
