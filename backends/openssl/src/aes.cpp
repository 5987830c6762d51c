#include <zorvan/backends/openssl.hpp>

#include <zorvan/backends/kept_handles.hpp>

#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::openssl::detail {
namespace {

struct FreeCipher {
    void operator()(EVP_CIPHER* cipher) const noexcept { EVP_CIPHER_free(cipher); }
};
struct FreeCipherContext {
    void operator()(EVP_CIPHER_CTX* context) const noexcept { EVP_CIPHER_CTX_free(context); }
};

void check(int status, const char* call) {
    if (status != 1) {
        throw std::runtime_error(std::string("libcrypto: ") + call + " failed");
    }
}

// AES's block, the most EVP_CipherUpdate writes beyond its input.
constexpr std::size_t maxBlockOctets = 16;

const char* modeName(backends::Mode mode) {
    switch (mode) {
    case backends::Mode::ecb:
        return "ECB";
    case backends::Mode::cbc:
        return "CBC";
    case backends::Mode::cfb:
        return "CFB";
    case backends::Mode::ofb:
        return "OFB";
    case backends::Mode::ctr:
        return "CTR";
    }
    throw std::invalid_argument("unknown cipher mode");
}

// "AES-<bits>-<mode>", CFB being CFB128.
std::string aesName(std::size_t keyBits, backends::Mode mode) {
    return "AES-" + std::to_string(keyBits) + "-" + modeName(mode);
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, FreeCipherContext>;

constexpr std::array<std::size_t, 3> aesKeyBits{128, 192, 256};
constexpr std::array<backends::Mode, 5> modes{backends::Mode::ecb, backends::Mode::cbc,
                                              backends::Mode::cfb, backends::Mode::ofb,
                                              backends::Mode::ctr};

// Fetching by name takes libcrypto a lock and a lookup, which cost single-block calls far more
// than the block: every AES cipher is fetched once and kept for the process.
const EVP_CIPHER* fetchedAes(std::size_t keyBits, backends::Mode mode) {
    using Fetched = std::unique_ptr<EVP_CIPHER, FreeCipher>;
    static const std::array<std::array<Fetched, modes.size()>, aesKeyBits.size()> ciphers = [] {
        std::array<std::array<Fetched, modes.size()>, aesKeyBits.size()> fetched;
        for (std::size_t size = 0; size < aesKeyBits.size(); ++size) {
            for (const backends::Mode each : modes) {
                fetched[size][static_cast<std::size_t>(each)].reset(
                    EVP_CIPHER_fetch(nullptr, aesName(aesKeyBits[size], each).c_str(), nullptr));
            }
        }
        return fetched;
    }();
    const auto size = std::find(aesKeyBits.begin(), aesKeyBits.end(), keyBits);
    const EVP_CIPHER* cipher = size == aesKeyBits.end()
                                   ? nullptr
                                   : ciphers[static_cast<std::size_t>(size - aesKeyBits.begin())]
                                            [static_cast<std::size_t>(mode)]
                                                .get();
    if (cipher == nullptr) {
        throw std::runtime_error("libcrypto: no cipher " + aesName(keyBits, mode));
    }
    return cipher;
}

// A context of the mode and direction with the key set; each call sets its IV.
CipherContext keyedContext(std::size_t keyBits, backends::Mode mode, int encrypt,
                           std::span<const std::uint8_t> key) {
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) {
        throw std::runtime_error("libcrypto: EVP_CIPHER_CTX_new failed");
    }
    check(EVP_CipherInit_ex2(context.get(), fetchedAes(keyBits, mode), key.data(), nullptr, encrypt,
                             nullptr),
          "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_set_padding(context.get(), 0), "EVP_CIPHER_CTX_set_padding");
    return context;
}

// One operation on a keyed context: a fresh start from the IV (the key is kept), the input,
// and the IV libcrypto leaves.
backends::ModeOutput runOnContext(EVP_CIPHER_CTX* context, int encrypt,
                                  std::span<const std::uint8_t> iv,
                                  std::span<const std::uint8_t> input) {
    check(EVP_CipherInit_ex2(context, nullptr, nullptr, iv.empty() ? nullptr : iv.data(), encrypt,
                             nullptr),
          "EVP_CipherInit_ex2");
    // Room for a block more than the input, as EVP_CipherUpdate asks; a single block stays
    // within Bytes' inline octets.
    int written = 0;
    Bytes output = Bytes::create(input.size() + maxBlockOctets, [&](std::span<std::uint8_t> out) {
        if (!input.empty()) {
            check(EVP_CipherUpdate(context, out.data(), &written, input.data(),
                                   static_cast<int>(input.size())),
                  "EVP_CipherUpdate");
        }
        int finalWritten = 0;
        check(EVP_CipherFinal_ex(context, out.data() + written, &finalWritten),
              "EVP_CipherFinal_ex");
        written += finalWritten;
    });
    Bytes nextIv = Bytes::create(iv.size(), [&](std::span<std::uint8_t> octets) {
        if (!octets.empty()) {
            check(EVP_CIPHER_CTX_get_updated_iv(context, octets.data(), octets.size()),
                  "EVP_CIPHER_CTX_get_updated_iv");
        }
    });
    return {output.take(static_cast<std::size_t>(written)), std::move(nextIv)};
}

} // namespace

struct KeyedContexts {
    std::vector<std::uint8_t> key;
    // One context per mode and direction: libcrypto's AES decrypts with its own key schedule.
    backends::KeptHandles<CipherContext, 2 * modes.size()> byModeAndDirection;
};

EvpAesKey::EvpAesKey(std::size_t keyBits, std::span<const std::uint8_t> key)
    : keyBits_(keyBits), contexts_(std::make_shared<KeyedContexts>()) {
    contexts_->key.assign(key.begin(), key.end());
}

backends::ModeOutput EvpAesKey::run(backends::Mode mode, backends::Direction direction,
                                    std::span<const std::uint8_t> iv,
                                    std::span<const std::uint8_t> input) const {
    if (input.size() > static_cast<std::size_t>(INT_MAX) - maxBlockOctets) {
        throw std::length_error("libcrypto: cipher input too long for one call");
    }
    const int encrypt = direction == backends::Direction::encrypt ? 1 : 0;
    return contexts_->byModeAndDirection.use(
        2 * static_cast<std::size_t>(mode) + static_cast<std::size_t>(encrypt),
        [&] { return keyedContext(keyBits_, mode, encrypt, contexts_->key); },
        [&](EVP_CIPHER_CTX* context) { return runOnContext(context, encrypt, iv, input); });
}

} // namespace zorvan::openssl::detail
