#include <zorvan/backends/nettle.hpp>

#include <nettle/cbc.h>
#include <nettle/cfb.h>
#include <nettle/ctr.h>
#include <nettle/hmac.h>

#include <array>
#include <stdexcept>

namespace zorvan::nettle::detail {

namespace {

// nettle's ciphers have blocks of 8 or 16 octets.
constexpr std::size_t largestBlockOctets = 16;

} // namespace

ContextStorage contextStorage(std::size_t octets) {
    return ContextStorage((octets + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
}

NettleHashState::NettleHashState(const nettle_hash* hash)
    : hash_(hash), context_(contextStorage(hash->context_size)) {
    hash_->init(context_.data());
}

void NettleHashState::update(std::span<const std::uint8_t> octets) {
    hash_->update(context_.data(), octets.size(), octets.data());
}

// nettle's digest functions leave the context freshly initialised.
Bytes NettleHashState::finish() {
    return Bytes::create(hash_->digest_size, [this](std::span<std::uint8_t> digest) {
        hash_->digest(context_.data(), digest.size(), digest.data());
    });
}

NettleHmacState::NettleHmacState(const nettle_hash* hash, std::span<const std::uint8_t> key)
    : hash_(hash), outer_(contextStorage(hash->context_size)),
      inner_(contextStorage(hash->context_size)), state_(contextStorage(hash->context_size)) {
    hmac_set_key(outer_.data(), inner_.data(), state_.data(), hash_, key.size(), key.data());
}

void NettleHmacState::update(std::span<const std::uint8_t> octets) {
    hmac_update(state_.data(), hash_, octets.size(), octets.data());
}

// hmac_digest leaves the state ready for a new message under the same key.
Bytes NettleHmacState::finish() {
    return Bytes::create(hash_->digest_size, [this](std::span<std::uint8_t> digest) {
        hmac_digest(outer_.data(), inner_.data(), state_.data(), hash_, digest.size(),
                    digest.data());
    });
}

NettleCipherKey::NettleCipherKey(const nettle_cipher* cipher, std::span<const std::uint8_t> key)
    : cipher_(cipher), encryption_(contextStorage(cipher->context_size)) {
    cipher_->set_encrypt_key(encryption_.data(), key.data());
    // Ciphers such as Twofish decrypt with the encryption schedule: one key schedule serves.
    if (cipher_->set_decrypt_key != cipher_->set_encrypt_key) {
        decryption_ = contextStorage(cipher->context_size);
        cipher_->set_decrypt_key(decryption_.data(), key.data());
    }
}

void NettleCipherKey::runBlock(backends::Direction direction, std::span<const std::uint8_t> input,
                               std::span<std::uint8_t> output) const {
    if (direction == backends::Direction::encrypt) {
        cipher_->encrypt(encryption_.data(), input.size(), output.data(), input.data());
    } else {
        cipher_->decrypt(decryptionContext(), input.size(), output.data(), input.data());
    }
}

backends::ModeOutput NettleCipherKey::run(backends::Mode mode, backends::Direction direction,
                                          std::span<const std::uint8_t> iv,
                                          std::span<const std::uint8_t> input) const {
    const bool encrypt = direction == backends::Direction::encrypt;
    const void* encryption = encryption_.data();
    const void* decryption = decryptionContext();
    return backends::runOnWholeBlocks(
        mode, direction, cipher_->block_size, iv, input,
        [&](std::span<const std::uint8_t> padded, std::span<std::uint8_t> output) {
            // The chaining register lives on the stack: on single blocks an allocation per call
            // costs a good part of what the cipher does.
            std::array<std::uint8_t, largestBlockOctets> register_{};
            if (iv.size() > register_.size()) {
                throw std::invalid_argument("nettle: an IV longer than any nettle block");
            }
            zorvan::detail::copyOctets(iv, register_.data());
            const std::size_t block = cipher_->block_size;
            switch (mode) {
            case backends::Mode::ecb:
                (encrypt ? cipher_->encrypt : cipher_->decrypt)(
                    encrypt ? encryption : decryption, padded.size(), output.data(), padded.data());
                break;
            case backends::Mode::cbc:
                (encrypt ? cbc_encrypt : cbc_decrypt)(encrypt ? encryption : decryption,
                                                      encrypt ? cipher_->encrypt : cipher_->decrypt,
                                                      block, register_.data(), padded.size(),
                                                      output.data(), padded.data());
                break;
            case backends::Mode::cfb:
                // CFB runs the block cipher forwards in both directions.
                (encrypt ? cfb_encrypt : cfb_decrypt)(encryption, cipher_->encrypt, block,
                                                      register_.data(), padded.size(),
                                                      output.data(), padded.data());
                break;
            case backends::Mode::ctr:
                ctr_crypt(encryption, cipher_->encrypt, block, register_.data(), padded.size(),
                          output.data(), padded.data());
                break;
            case backends::Mode::ofb:
                throw std::logic_error("nettle has no OFB mode");
            }
        });
}

std::optional<const nettle_cipher*> TwofishCipher::select(std::size_t keyOctets) {
    switch (keyOctets) {
    case 16:
        return &nettle_twofish128;
    case 24:
        return &nettle_twofish192;
    case 32:
        return &nettle_twofish256;
    default:
        return std::nullopt;
    }
}

} // namespace zorvan::nettle::detail
