#include <zorvan/backends/openssl.hpp>

#include <zorvan/backends/kept_handles.hpp>

#include <openssl/core_names.h>
#include <openssl/params.h>

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

// The families' block, the most EVP_CipherUpdate writes beyond its input.
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

constexpr std::array<const char*, 2> familyNames{"AES", "CAMELLIA"};

// "AES-<bits>-<mode>" or "CAMELLIA-<bits>-<mode>", CFB being CFB128.
std::string cipherName(EvpFamily family, std::size_t keyBits, backends::Mode mode) {
    return std::string(familyNames.at(static_cast<std::size_t>(family))) + "-" +
           std::to_string(keyBits) + "-" + modeName(mode);
}

using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, FreeCipherContext>;

constexpr std::array<std::size_t, 3> keyBitsOffered{128, 192, 256};
constexpr std::array<backends::Mode, 5> modes{backends::Mode::ecb, backends::Mode::cbc,
                                              backends::Mode::cfb, backends::Mode::ofb,
                                              backends::Mode::ctr};

// Fetching by name takes libcrypto a lock and a lookup, which cost single-block calls far more
// than the block: every cipher is fetched once and kept for the process.
const EVP_CIPHER* fetchedCipher(EvpSelection selection, backends::Mode mode) {
    using Fetched = std::unique_ptr<EVP_CIPHER, FreeCipher>;
    using ByMode = std::array<Fetched, modes.size()>;
    using ByKeyBits = std::array<ByMode, keyBitsOffered.size()>;
    static const std::array<ByKeyBits, familyNames.size()> ciphers = [] {
        std::array<ByKeyBits, familyNames.size()> fetched;
        for (std::size_t family = 0; family < familyNames.size(); ++family) {
            for (std::size_t size = 0; size < keyBitsOffered.size(); ++size) {
                for (const backends::Mode each : modes) {
                    const std::string name =
                        cipherName(static_cast<EvpFamily>(family), keyBitsOffered[size], each);
                    fetched[family][size][static_cast<std::size_t>(each)].reset(
                        EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr));
                }
            }
        }
        return fetched;
    }();
    const auto family = static_cast<std::size_t>(selection.family);
    const auto size = std::find(keyBitsOffered.begin(), keyBitsOffered.end(), selection.keyBits);
    const EVP_CIPHER* cipher =
        family >= ciphers.size() || size == keyBitsOffered.end()
            ? nullptr
            : ciphers[family][static_cast<std::size_t>(size - keyBitsOffered.begin())]
                     [static_cast<std::size_t>(mode)]
                         .get();
    if (cipher == nullptr) {
        throw std::runtime_error("libcrypto: no cipher " +
                                 cipherName(selection.family, selection.keyBits, mode));
    }
    return cipher;
}

// A context of the mode and direction with the key set; each call sets its IV.
CipherContext keyedContext(EvpSelection selection, backends::Mode mode, int encrypt,
                           std::span<const std::uint8_t> key) {
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) {
        throw std::runtime_error("libcrypto: EVP_CIPHER_CTX_new failed");
    }
    check(EVP_CipherInit_ex2(context.get(), fetchedCipher(selection, mode), key.data(), nullptr,
                             encrypt, nullptr),
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

struct FreeMac {
    void operator()(EVP_MAC* mac) const noexcept { EVP_MAC_free(mac); }
};
struct FreeMacContext {
    void operator()(EVP_MAC_CTX* context) const noexcept { EVP_MAC_CTX_free(context); }
};

// libcrypto's XTS cipher for AES keys of keyBits, fetched once per process.
const EVP_CIPHER* xtsCipher(std::size_t keyBits) {
    using Fetched = std::unique_ptr<EVP_CIPHER, FreeCipher>;
    static const Fetched xts128(EVP_CIPHER_fetch(nullptr, "AES-128-XTS", nullptr));
    static const Fetched xts256(EVP_CIPHER_fetch(nullptr, "AES-256-XTS", nullptr));
    const EVP_CIPHER* cipher = keyBits == 128   ? xts128.get()
                               : keyBits == 256 ? xts256.get()
                                                : nullptr;
    if (cipher == nullptr) {
        throw std::runtime_error("libcrypto: no XTS over AES-" + std::to_string(keyBits));
    }
    return cipher;
}

EVP_MAC* cmacAlgorithm() {
    static const std::unique_ptr<EVP_MAC, FreeMac> cmac(EVP_MAC_fetch(nullptr, "CMAC", nullptr));
    if (!cmac) {
        throw std::runtime_error("libcrypto: no CMAC");
    }
    return cmac.get();
}

} // namespace

struct KeyedContexts {
    std::vector<std::uint8_t> key;
    // One context per mode and direction: libcrypto's AES and Camellia decrypt with a key
    // schedule of their own.
    backends::KeptHandles<CipherContext, 2 * modes.size()> byModeAndDirection;
};

EvpCipherKey::EvpCipherKey(EvpSelection selection, std::span<const std::uint8_t> key)
    : selection_(selection), contexts_(std::make_shared<KeyedContexts>()) {
    contexts_->key.assign(key.begin(), key.end());
}

backends::ModeOutput EvpCipherKey::run(backends::Mode mode, backends::Direction direction,
                                       std::span<const std::uint8_t> iv,
                                       std::span<const std::uint8_t> input) const {
    if (input.size() > static_cast<std::size_t>(INT_MAX) - maxBlockOctets) {
        throw std::length_error("libcrypto: cipher input too long for one call");
    }
    const int encrypt = direction == backends::Direction::encrypt ? 1 : 0;
    return contexts_->byModeAndDirection.use(
        2 * static_cast<std::size_t>(mode) + static_cast<std::size_t>(encrypt),
        [&] { return keyedContext(selection_, mode, encrypt, contexts_->key); },
        [&](EVP_CIPHER_CTX* context) { return runOnContext(context, encrypt, iv, input); });
}

Bytes EvpCipherKey::runXts(const EvpCipherKey& tweakKey, backends::Direction direction,
                           std::span<const std::uint8_t> tweak,
                           std::span<const std::uint8_t> dataUnit) const {
    if (selection_.family != EvpFamily::aes || tweakKey.selection_.keyBits != selection_.keyBits) {
        throw std::invalid_argument("libcrypto: XTS takes two AES keys of one size");
    }
    if (dataUnit.size() > static_cast<std::size_t>(INT_MAX) - maxBlockOctets) {
        throw std::length_error("libcrypto: an XTS data unit too long for one call");
    }
    // libcrypto takes the two keys as one, the data key first.
    std::vector<std::uint8_t> keys(contexts_->key);
    keys.insert(keys.end(), tweakKey.contexts_->key.begin(), tweakKey.contexts_->key.end());
    const int encrypt = direction == backends::Direction::encrypt ? 1 : 0;
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) {
        throw std::runtime_error("libcrypto: EVP_CIPHER_CTX_new failed");
    }
    check(EVP_CipherInit_ex2(context.get(), xtsCipher(selection_.keyBits), keys.data(),
                             tweak.data(), encrypt, nullptr),
          "EVP_CipherInit_ex2");
    int written = 0;
    Bytes output = Bytes::create(dataUnit.size(), [&](std::span<std::uint8_t> out) {
        check(EVP_CipherUpdate(context.get(), out.data(), &written, dataUnit.data(),
                               static_cast<int>(dataUnit.size())),
              "EVP_CipherUpdate");
    });
    if (static_cast<std::size_t>(written) != dataUnit.size()) {
        throw std::runtime_error("libcrypto: XTS gave " + std::to_string(written) +
                                 " octets for a data unit of " + std::to_string(dataUnit.size()));
    }
    return output;
}

Bytes EvpCipherKey::runCmac(const LazyBytes& message) const {
    const std::unique_ptr<EVP_MAC_CTX, FreeMacContext> context(EVP_MAC_CTX_new(cmacAlgorithm()));
    if (!context) {
        throw std::runtime_error("libcrypto: EVP_MAC_CTX_new failed");
    }
    std::string cipher = std::string(familyNames.at(static_cast<std::size_t>(selection_.family))) +
                         "-" + std::to_string(selection_.keyBits) + "-CBC";
    const OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_CIPHER, cipher.data(), 0),
        OSSL_PARAM_construct_end()};
    check(EVP_MAC_init(context.get(), contexts_->key.data(), contexts_->key.size(), parameters),
          "EVP_MAC_init");
    for (const Bytes& chunk : message.toChunks()) {
        check(EVP_MAC_update(context.get(), chunk.data(), chunk.size()), "EVP_MAC_update");
    }
    std::size_t written = 0;
    Bytes tag = Bytes::create(maxBlockOctets, [&](std::span<std::uint8_t> out) {
        check(EVP_MAC_final(context.get(), out.data(), &written, out.size()), "EVP_MAC_final");
    });
    return tag.take(written);
}

} // namespace zorvan::openssl::detail
