#include <zorvan/backends/openssl.hpp>

#include <stdexcept>
#include <string>

namespace zorvan::openssl::detail {

namespace {

void check(int status, const char* call) {
    if (status != 1) {
        throw std::runtime_error(std::string("libcrypto: ") + call + " failed");
    }
}

} // namespace

EvpXofState::EvpXofState(const EVP_MD* xof) : context_(EVP_MD_CTX_new()) {
    if (!context_) {
        throw std::runtime_error("libcrypto: EVP_MD_CTX_new failed");
    }
    check(EVP_DigestInit_ex(context_.get(), xof, nullptr), "EVP_DigestInit_ex");
}

void EvpXofState::absorb(std::span<const std::uint8_t> octets) {
    if (squeezed_) {
        throw std::logic_error("libcrypto: an XOF absorbs nothing after it squeezed");
    }
    check(EVP_DigestUpdate(context_.get(), octets.data(), octets.size()), "EVP_DigestUpdate");
}

Bytes EvpXofState::squeeze(std::size_t length) {
    if (squeezed_) {
        throw std::logic_error("libcrypto 3.0 squeezes an XOF once per message");
    }
    squeezed_ = true;
    return Bytes::create(length, [&](std::span<std::uint8_t> output) {
        check(EVP_DigestFinalXOF(context_.get(), output.data(), output.size()),
              "EVP_DigestFinalXOF");
    });
}

} // namespace zorvan::openssl::detail
