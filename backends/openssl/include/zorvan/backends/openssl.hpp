#pragma once
// zorvan::openssl: OpenSSL's libcrypto (EVP) hashes and AES behind the zorvan interfaces.
//
// The digests deliberately have no HMAC of their own, so hmac and hmacStrict use the generic
// FIPS 198 construction of zorvan/hash.hpp; nativeHmac gives libcrypto's HMAC to check it.

#include <zorvan/backends/cipher_key.hpp>
#include <zorvan/backends/digest.hpp>
#include <zorvan/bytes.hpp>

#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace zorvan::openssl {

namespace detail {

/// FreeDigestContext: releases an EVP_MD_CTX.
struct FreeDigestContext {
    void operator()(EVP_MD_CTX* context) const noexcept { EVP_MD_CTX_free(context); }
};

/// EvpDigestState: one running digest computation over an EVP_MD; throws std::runtime_error
/// when libcrypto reports a failure.
class EvpDigestState {
public:
    explicit EvpDigestState(const EVP_MD* digest);
    void update(std::span<const std::uint8_t> octets);
    Bytes finish();

private:
    void restartIfFinished();

    const EVP_MD* digest_;
    std::unique_ptr<EVP_MD_CTX, FreeDigestContext> context_;
    bool finished_ = false;
};

/// fetchDigest: the provider's implementation of the digest that libcrypto's getter gave
/// (EVP_sha256(), say), for the caller to keep; throws std::runtime_error when there is none.
/// Starting a context on the getter's digest would fetch it again, under a lock, every time.
const EVP_MD* fetchDigest(const EVP_MD* named);

/// EvpAlgorithm: the hash that the libcrypto getter Md (EVP_sha256, say) names, fetched once
/// per process.
template <const EVP_MD* (*Md)()> struct EvpAlgorithm {
    static const EVP_MD* digest() {
        static const EVP_MD* const fetched = fetchDigest(Md());
        return fetched;
    }
    static std::size_t outputBits() {
        return static_cast<std::size_t>(EVP_MD_get_size(digest())) * 8;
    }
    static std::size_t blockBits() {
        return static_cast<std::size_t>(EVP_MD_get_block_size(digest())) * 8;
    }
    static EvpDigestState start() { return EvpDigestState(digest()); }
};

/// KeyedContexts: the key's libcrypto cipher contexts, one per mode and direction, each keyed
/// on first use and kept; copies of a key share them (see backends::KeptHandles).
struct KeyedContexts;

/// EvpAesKey: an AES key of keyBits bits whose modes run through libcrypto's EVP ciphers
/// ("AES-<bits>-<mode>", CFB being CFB128), fetched once per process. run gives the output and
/// the next IV that libcrypto leaves; it throws std::runtime_error when libcrypto fails and
/// std::length_error on input beyond what one EVP call takes.
class EvpAesKey {
public:
    EvpAesKey(std::size_t keyBits, std::span<const std::uint8_t> key);

    [[nodiscard]] backends::ModeOutput run(backends::Mode mode, backends::Direction direction,
                                           std::span<const std::uint8_t> iv,
                                           std::span<const std::uint8_t> input) const;

private:
    std::size_t keyBits_;
    std::shared_ptr<KeyedContexts> contexts_;
};

/// AesKey: the AES key type for Bits-bit keys.
template <std::size_t Bits>
using AesKey = backends::CipherKey<backends::FixedKeyCipher<Bits, EvpAesKey, Bits>>;

} // namespace detail

/// MD5 ... SHA512: libcrypto's hashes; hmac and hmacStrict are the generic ones.
using MD5 = backends::Digest<detail::EvpAlgorithm<EVP_md5>>;
using SHA1 = backends::Digest<detail::EvpAlgorithm<EVP_sha1>>;
using SHA224 = backends::Digest<detail::EvpAlgorithm<EVP_sha224>>;
using SHA256 = backends::Digest<detail::EvpAlgorithm<EVP_sha256>>;
using SHA384 = backends::Digest<detail::EvpAlgorithm<EVP_sha384>>;
using SHA512 = backends::Digest<detail::EvpAlgorithm<EVP_sha512>>;

/// AES128, AES192, AES256: AES keys with libcrypto's own ECB, CBC, CFB128, OFB and CTR.
using AES128 = detail::AesKey<128>;
using AES192 = detail::AesKey<192>;
using AES256 = detail::AesKey<256>;

/// nativeHmac: libcrypto's HMAC (EVP_MAC "HMAC") over the digest named digestName ("SHA256",
/// say); throws std::runtime_error when libcrypto fails or does not know the digest.
Bytes nativeHmac(const char* digestName, const Bytes& key, const Bytes& message);

} // namespace zorvan::openssl
