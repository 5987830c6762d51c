#include <zorvan/backends/gcrypt.hpp>
#include <zorvan/backends/kept_handles.hpp>

#include <array>
#include <memory>
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

namespace {

using CipherHandle = std::unique_ptr<gcry_cipher_handle, CloseCipher>;

CipherHandle openKeyedHandle(int algorithm, backends::Mode mode,
                             std::span<const std::uint8_t> key) {
    gcry_cipher_hd_t opened = nullptr;
    check(gcry_cipher_open(&opened, algorithm, cipherMode(mode), 0), "gcry_cipher_open");
    CipherHandle handle(opened);
    check(gcry_cipher_setkey(opened, key.data(), key.size()), "gcry_cipher_setkey");
    return handle;
}

void crypt(gcry_cipher_hd_t handle, backends::Direction direction,
           std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    const bool encrypt = direction == backends::Direction::encrypt;
    check(
        encrypt
            ? gcry_cipher_encrypt(handle, output.data(), output.size(), input.data(), input.size())
            : gcry_cipher_decrypt(handle, output.data(), output.size(), input.data(), input.size()),
        encrypt ? "gcry_cipher_encrypt" : "gcry_cipher_decrypt");
}

// One mode operation on a handle of that mode; setting the IV or counter also starts the
// mode afresh on a kept handle.
void runMode(gcry_cipher_hd_t handle, backends::Mode mode, backends::Direction direction,
             std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
             std::span<std::uint8_t> output) {
    if (mode == backends::Mode::ctr) {
        check(gcry_cipher_setctr(handle, iv.data(), iv.size()), "gcry_cipher_setctr");
    } else if (mode != backends::Mode::ecb) {
        check(gcry_cipher_setiv(handle, iv.data(), iv.size()), "gcry_cipher_setiv");
    }
    if (!input.empty()) {
        crypt(handle, direction, input, output);
    }
}

} // namespace

struct KeyedHandles {
    std::vector<std::uint8_t> key;
    backends::KeptHandles<CipherHandle, 5> byMode;
};

GcryptCipherKey::GcryptCipherKey(int algorithm, std::span<const std::uint8_t> key)
    : algorithm_(algorithm), handles_(std::make_shared<KeyedHandles>()) {
    // Once per key rather than per call: the Monte Carlo tests make single-block calls.
    initialiseLibgcrypt();
    blockOctets_ = gcry_cipher_get_algo_blklen(algorithm);
    handles_->key.assign(key.begin(), key.end());
}

// On the kept ECB handle: on a CBC handle each call would set the IV first, which costs
// libgcrypt about what the block does.
void GcryptCipherKey::runBlock(backends::Direction direction, std::span<const std::uint8_t> input,
                               std::span<std::uint8_t> output) const {
    const auto ecb = backends::Mode::ecb;
    handles_->byMode.use(
        static_cast<std::size_t>(ecb),
        [&] { return openKeyedHandle(algorithm_, ecb, handles_->key); },
        [&](gcry_cipher_hd_t handle) { crypt(handle, direction, input, output); });
}

backends::ModeOutput GcryptCipherKey::run(backends::Mode mode, backends::Direction direction,
                                          std::span<const std::uint8_t> iv,
                                          std::span<const std::uint8_t> input) const {
    return backends::runOnWholeBlocks(
        mode, direction, blockOctets_, iv, input, [&](auto padded, auto output) {
            handles_->byMode.use(
                static_cast<std::size_t>(mode),
                [&] { return openKeyedHandle(algorithm_, mode, handles_->key); },
                [&](gcry_cipher_hd_t handle) {
                    runMode(handle, mode, direction, iv, padded, output);
                });
        });
}

namespace {

struct CloseMac {
    void operator()(gcry_mac_hd_t handle) const noexcept { gcry_mac_close(handle); }
};

int cmacAlgorithm(int cipher) {
    switch (cipher) {
    case GCRY_CIPHER_AES128:
    case GCRY_CIPHER_AES192:
    case GCRY_CIPHER_AES256:
        return GCRY_MAC_CMAC_AES;
    default:
        throw std::logic_error("libgcrypt: no CMAC over cipher " + std::to_string(cipher));
    }
}

} // namespace

Bytes GcryptCipherKey::runXts(const GcryptCipherKey& tweakKey, backends::Direction direction,
                              std::span<const std::uint8_t> tweak,
                              std::span<const std::uint8_t> dataUnit) const {
    if (tweakKey.algorithm_ != algorithm_) {
        throw std::invalid_argument("libgcrypt: XTS takes two keys of one cipher");
    }
    // libgcrypt takes the two keys as one, the data key first.
    std::vector<std::uint8_t> keys(handles_->key);
    keys.insert(keys.end(), tweakKey.handles_->key.begin(), tweakKey.handles_->key.end());
    const CipherHandle handle = [&] {
        gcry_cipher_hd_t opened = nullptr;
        check(gcry_cipher_open(&opened, algorithm_, GCRY_CIPHER_MODE_XTS, 0), "gcry_cipher_open");
        return CipherHandle(opened);
    }();
    check(gcry_cipher_setkey(handle.get(), keys.data(), keys.size()), "gcry_cipher_setkey");
    check(gcry_cipher_setiv(handle.get(), tweak.data(), tweak.size()), "gcry_cipher_setiv");
    return Bytes::create(dataUnit.size(), [&](std::span<std::uint8_t> output) {
        crypt(handle.get(), direction, dataUnit, output);
    });
}

Bytes GcryptCipherKey::runCmac(const LazyBytes& message) const {
    gcry_mac_hd_t opened = nullptr;
    check(gcry_mac_open(&opened, cmacAlgorithm(algorithm_), 0, nullptr), "gcry_mac_open");
    const std::unique_ptr<gcry_mac_handle, CloseMac> handle(opened);
    check(gcry_mac_setkey(opened, handles_->key.data(), handles_->key.size()), "gcry_mac_setkey");
    for (const Bytes& chunk : message.toChunks()) {
        check(gcry_mac_write(opened, chunk.data(), chunk.size()), "gcry_mac_write");
    }
    std::size_t length = blockOctets_;
    Bytes tag = Bytes::create(blockOctets_, [&](std::span<std::uint8_t> output) {
        check(gcry_mac_read(opened, output.data(), &length), "gcry_mac_read");
    });
    return tag.take(length);
}

GcryptXofState::GcryptXofState(int algorithm) : algorithm_(algorithm) {
    initialiseLibgcrypt();
    gcry_md_hd_t handle = nullptr;
    check(gcry_md_open(&handle, algorithm, 0), "gcry_md_open");
    handle_.reset(handle);
}

void GcryptXofState::absorb(std::span<const std::uint8_t> octets) {
    if (squeezed_) {
        throw std::logic_error("libgcrypt: an XOF absorbs nothing after it squeezed");
    }
    gcry_md_write(handle_.get(), octets.data(), octets.size());
}

Bytes GcryptXofState::squeeze(std::size_t length) {
    squeezed_ = true;
    return Bytes::create(length, [&](std::span<std::uint8_t> output) {
        check(gcry_md_extract(handle_.get(), algorithm_, output.data(), output.size()),
              "gcry_md_extract");
    });
}

} // namespace zorvan::gcrypt::detail
