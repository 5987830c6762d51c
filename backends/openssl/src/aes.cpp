#include <zorvan/backends/openssl.hpp>

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

std::unique_ptr<EVP_CIPHER, FreeCipher> fetchCipher(std::string_view family, std::size_t keyBits,
                                                    backends::Mode mode) {
    const std::string name =
        std::string(family) + "-" + std::to_string(keyBits) + "-" + modeName(mode);
    std::unique_ptr<EVP_CIPHER, FreeCipher> cipher(
        EVP_CIPHER_fetch(nullptr, name.c_str(), nullptr));
    if (!cipher) {
        throw std::runtime_error("libcrypto: no cipher " + name);
    }
    return cipher;
}

} // namespace

backends::ModeOutput runEvpAes(std::size_t keyBits, backends::Mode mode,
                               backends::Direction direction, std::span<const std::uint8_t> key,
                               std::span<const std::uint8_t> iv,
                               std::span<const std::uint8_t> input) {
    return runEvpCipher("AES", keyBits, mode, direction, key, iv, input);
}

backends::ModeOutput runEvpCipher(std::string_view family, std::size_t keyBits, backends::Mode mode,
                                  backends::Direction direction, std::span<const std::uint8_t> key,
                                  std::span<const std::uint8_t> iv,
                                  std::span<const std::uint8_t> input) {
    if (input.size() > static_cast<std::size_t>(INT_MAX) - 16) {
        throw std::length_error("libcrypto: cipher input too long for one call");
    }
    const auto cipher = fetchCipher(family, keyBits, mode);
    const std::unique_ptr<EVP_CIPHER_CTX, FreeCipherContext> context(EVP_CIPHER_CTX_new());
    if (!context) {
        throw std::runtime_error("libcrypto: EVP_CIPHER_CTX_new failed");
    }
    const int encrypt = direction == backends::Direction::encrypt ? 1 : 0;
    check(EVP_CipherInit_ex2(context.get(), cipher.get(), key.data(),
                             iv.empty() ? nullptr : iv.data(), encrypt, nullptr),
          "EVP_CipherInit_ex2");
    check(EVP_CIPHER_CTX_set_padding(context.get(), 0), "EVP_CIPHER_CTX_set_padding");

    std::vector<std::uint8_t> output(input.size() + 16);
    int written = 0;
    if (!input.empty()) {
        check(EVP_CipherUpdate(context.get(), output.data(), &written, input.data(),
                               static_cast<int>(input.size())),
              "EVP_CipherUpdate");
    }
    int finalWritten = 0;
    check(EVP_CipherFinal_ex(context.get(), output.data() + written, &finalWritten),
          "EVP_CipherFinal_ex");
    output.resize(static_cast<std::size_t>(written + finalWritten));

    Bytes nextIv = Bytes::create(iv.size(), [&](std::span<std::uint8_t> octets) {
        if (!octets.empty()) {
            check(EVP_CIPHER_CTX_get_updated_iv(context.get(), octets.data(), octets.size()),
                  "EVP_CIPHER_CTX_get_updated_iv");
        }
    });
    return {Bytes(output), std::move(nextIv)};
}

} // namespace zorvan::openssl::detail
