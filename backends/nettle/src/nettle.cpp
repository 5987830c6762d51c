#include <zorvan/backends/nettle.hpp>

#include <nettle/cbc.h>
#include <nettle/cfb.h>
#include <nettle/cmac.h>
#include <nettle/ctr.h>
#include <nettle/hmac.h>
#include <nettle/xts.h>

#include <array>
#include <stdexcept>
#include <string>

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

void NettleCipherKey::requireBlockOf16(const char* what) const {
    if (cipher_->block_size != largestBlockOctets) {
        throw std::invalid_argument(std::string("nettle: ") + what +
                                    " needs a cipher of 16-octet blocks");
    }
}

Bytes NettleCipherKey::runXts(const NettleCipherKey& tweakKey, backends::Direction direction,
                              std::span<const std::uint8_t> tweak,
                              std::span<const std::uint8_t> dataUnit) const {
    requireBlockOf16("XTS");
    if (tweakKey.cipher_ != cipher_ || tweak.size() != XTS_BLOCK_SIZE) {
        throw std::invalid_argument(
            "nettle: XTS takes two keys of one cipher and a 16-octet tweak");
    }
    if (dataUnit.size() < XTS_BLOCK_SIZE) {
        throw std::invalid_argument("nettle: an XTS data unit of " +
                                    std::to_string(dataUnit.size()) + " octets is under one block");
    }
    return Bytes::create(dataUnit.size(), [&](std::span<std::uint8_t> output) {
        if (direction == backends::Direction::encrypt) {
            xts_encrypt_message(encryption_.data(), tweakKey.encryption_.data(), cipher_->encrypt,
                                tweak.data(), dataUnit.size(), output.data(), dataUnit.data());
        } else {
            xts_decrypt_message(decryptionContext(), tweakKey.encryption_.data(), cipher_->decrypt,
                                cipher_->encrypt, tweak.data(), dataUnit.size(), output.data(),
                                dataUnit.data());
        }
    });
}

Bytes NettleCipherKey::runCmac(const LazyBytes& message) const {
    requireBlockOf16("CMAC");
    cmac128_key key{};
    cmac128_ctx context{};
    cmac128_set_key(&key, encryption_.data(), cipher_->encrypt);
    cmac128_init(&context);
    for (const Bytes& chunk : message.toChunks()) {
        cmac128_update(&context, encryption_.data(), cipher_->encrypt, chunk.size(), chunk.data());
    }
    return Bytes::create(largestBlockOctets, [&](std::span<std::uint8_t> tag) {
        cmac128_digest(&context, &key, encryption_.data(), cipher_->encrypt,
                       static_cast<unsigned>(tag.size()), tag.data());
    });
}

NettleShake256State::NettleShake256State() {
    sha3_256_init(&context_);
}

void NettleShake256State::absorb(std::span<const std::uint8_t> octets) {
    if (squeezed_) {
        throw std::logic_error("nettle: SHAKE256 absorbs nothing after it squeezed");
    }
    sha3_256_update(&context_, octets.size(), octets.data());
}

Bytes NettleShake256State::squeeze(std::size_t length) {
    if (squeezed_) {
        throw std::logic_error("nettle 3.8 squeezes SHAKE256 once per message");
    }
    squeezed_ = true;
    return Bytes::create(length, [&](std::span<std::uint8_t> output) {
        sha3_256_shake(&context_, output.size(), output.data());
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
