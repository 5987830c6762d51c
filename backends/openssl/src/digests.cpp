#include <zorvan/backends/openssl.hpp>

#include <openssl/core_names.h>
#include <openssl/params.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace zorvan::openssl {
namespace detail {
namespace {

void check(int status, const char* call) {
    if (status != 1) {
        throw std::runtime_error(std::string("libcrypto: ") + call + " failed");
    }
}

} // namespace

// Kept for the process on purpose: the fetched digest serves every context until exit.
const EVP_MD* fetchDigest(const EVP_MD* named) {
    const char* name = EVP_MD_get0_name(named);
    const EVP_MD* fetched = EVP_MD_fetch(nullptr, name, nullptr);
    if (fetched == nullptr) {
        throw std::runtime_error(std::string("libcrypto: no digest ") + name);
    }
    return fetched;
}

EvpDigestState::EvpDigestState(const EVP_MD* digest) : digest_(digest), context_(EVP_MD_CTX_new()) {
    if (!context_) {
        throw std::runtime_error("libcrypto: EVP_MD_CTX_new failed");
    }
    check(EVP_DigestInit_ex(context_.get(), digest_, nullptr), "EVP_DigestInit_ex");
}

void EvpDigestState::update(std::span<const std::uint8_t> octets) {
    restartIfFinished();
    check(EVP_DigestUpdate(context_.get(), octets.data(), octets.size()), "EVP_DigestUpdate");
}

Bytes EvpDigestState::finish() {
    restartIfFinished();
    std::array<std::uint8_t, EVP_MAX_MD_SIZE> digest{};
    unsigned int written = 0;
    check(EVP_DigestFinal_ex(context_.get(), digest.data(), &written), "EVP_DigestFinal_ex");
    finished_ = true;
    return Bytes(std::span(digest).first(written));
}

// A finished context starts afresh only when it is used again: most are finished once and
// dropped, and starting one costs libcrypto a lock.
void EvpDigestState::restartIfFinished() {
    if (finished_) {
        check(EVP_DigestInit_ex(context_.get(), digest_, nullptr), "EVP_DigestInit_ex");
        finished_ = false;
    }
}

} // namespace detail

namespace {

struct FreeMac {
    void operator()(EVP_MAC* mac) const noexcept { EVP_MAC_free(mac); }
};
struct FreeMacContext {
    void operator()(EVP_MAC_CTX* context) const noexcept { EVP_MAC_CTX_free(context); }
};

} // namespace

Bytes nativeHmac(const char* digestName, const Bytes& key, const Bytes& message) {
    const std::unique_ptr<EVP_MAC, FreeMac> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
    if (!mac) {
        throw std::runtime_error("libcrypto: no HMAC");
    }
    const std::unique_ptr<EVP_MAC_CTX, FreeMacContext> context(EVP_MAC_CTX_new(mac.get()));
    if (!context) {
        throw std::runtime_error("libcrypto: EVP_MAC_CTX_new failed");
    }
    std::string digest(digestName);
    const OSSL_PARAM parameters[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest.data(), 0),
        OSSL_PARAM_construct_end()};
    // To EVP_MAC_init a null key means "reuse the key already set" (there is none), so an empty
    // key needs a real, unread address.
    const std::uint8_t noKey = 0;
    detail::check(
        EVP_MAC_init(context.get(), key.empty() ? &noKey : key.data(), key.size(), parameters),
        "EVP_MAC_init");
    detail::check(EVP_MAC_update(context.get(), message.data(), message.size()), "EVP_MAC_update");
    std::vector<std::uint8_t> result(EVP_MAC_CTX_get_mac_size(context.get()));
    std::size_t written = 0;
    detail::check(EVP_MAC_final(context.get(), result.data(), &written, result.size()),
                  "EVP_MAC_final");
    result.resize(written);
    return Bytes(result);
}

} // namespace zorvan::openssl
