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

/// EvpFamily: a family of libcrypto ciphers with 128-, 192- and 256-bit keys.
enum class EvpFamily { aes, camellia };

/// EvpSelection: one cipher of a family, by its key length.
struct EvpSelection {
    EvpFamily family;
    std::size_t keyBits;
};

/// EvpCipherKey: a key of the selected cipher whose modes run through libcrypto's EVP ciphers
/// ("AES-<bits>-<mode>", "CAMELLIA-<bits>-<mode>", CFB being CFB128), fetched once per
/// process. run gives the output and the next IV that libcrypto leaves; it throws
/// std::runtime_error when libcrypto fails and std::length_error on input beyond what one EVP
/// call takes.
class EvpCipherKey {
public:
    EvpCipherKey(EvpSelection selection, std::span<const std::uint8_t> key);

    [[nodiscard]] backends::ModeOutput run(backends::Mode mode, backends::Direction direction,
                                           std::span<const std::uint8_t> iv,
                                           std::span<const std::uint8_t> input) const;

private:
    EvpSelection selection_;
    std::shared_ptr<KeyedContexts> contexts_;
};

/// AesKey: the AES key type for Bits-bit keys.
template <std::size_t Bits>
using AesKey = backends::CipherKey<
    backends::FixedKeyCipher<Bits, EvpCipherKey, EvpSelection{EvpFamily::aes, Bits}>>;

/// CamelliaKey: the Camellia key type for Bits-bit keys.
template <std::size_t Bits>
using CamelliaKey = backends::CipherKey<
    backends::FixedKeyCipher<Bits, EvpCipherKey, EvpSelection{EvpFamily::camellia, Bits}>>;

} // namespace detail

/// MD5 ... SHA512: libcrypto's hashes; hmac and hmacStrict are the generic ones.
using MD5 = backends::Digest<detail::EvpAlgorithm<EVP_md5>>;
/// SHA1: libcrypto's SHA-1, as MD5.
using SHA1 = backends::Digest<detail::EvpAlgorithm<EVP_sha1>>;
/// SHA224: libcrypto's SHA-224, as MD5.
using SHA224 = backends::Digest<detail::EvpAlgorithm<EVP_sha224>>;
/// SHA256: libcrypto's SHA-256, as MD5.
using SHA256 = backends::Digest<detail::EvpAlgorithm<EVP_sha256>>;
/// SHA384: libcrypto's SHA-384, as MD5.
using SHA384 = backends::Digest<detail::EvpAlgorithm<EVP_sha384>>;
/// SHA512: libcrypto's SHA-512, as MD5.
using SHA512 = backends::Digest<detail::EvpAlgorithm<EVP_sha512>>;

/// AES128, AES192, AES256: AES keys with libcrypto's own ECB, CBC, CFB128, OFB and CTR.
using AES128 = detail::AesKey<128>;
/// AES192: libcrypto's AES with 192-bit keys, as AES128.
using AES192 = detail::AesKey<192>;
/// AES256: libcrypto's AES with 256-bit keys, as AES128.
using AES256 = detail::AesKey<256>;

/// nativeHmac: libcrypto's HMAC (EVP_MAC "HMAC") over the digest named digestName ("SHA256",
/// say); throws std::runtime_error when libcrypto fails or does not know the digest.
Bytes nativeHmac(const char* digestName, const Bytes& key, const Bytes& message);

/// SHA3_224 ... SHA3_512, SHA512_224, SHA512_256: libcrypto's SHA-3 (block length: the
/// rate) and SHA-512/t hashes; hmac and hmacStrict are the generic ones.
using SHA3_224 = backends::Digest<detail::EvpAlgorithm<EVP_sha3_224>>;
/// SHA3_256: libcrypto's SHA3-256, as SHA3_224.
using SHA3_256 = backends::Digest<detail::EvpAlgorithm<EVP_sha3_256>>;
/// SHA3_384: libcrypto's SHA3-384, as SHA3_224.
using SHA3_384 = backends::Digest<detail::EvpAlgorithm<EVP_sha3_384>>;
/// SHA3_512: libcrypto's SHA3-512, as SHA3_224.
using SHA3_512 = backends::Digest<detail::EvpAlgorithm<EVP_sha3_512>>;
/// SHA512_224: libcrypto's SHA-512/224, as SHA3_224.
using SHA512_224 = backends::Digest<detail::EvpAlgorithm<EVP_sha512_224>>;
/// SHA512_256: libcrypto's SHA-512/256, as SHA3_224.
using SHA512_256 = backends::Digest<detail::EvpAlgorithm<EVP_sha512_256>>;

/// Camellia128, Camellia192, Camellia256: Camellia keys with libcrypto's own ECB, CBC,
/// CFB128, OFB and CTR.
using Camellia128 = detail::CamelliaKey<128>;
/// Camellia192: libcrypto's Camellia with 192-bit keys, as Camellia128.
using Camellia192 = detail::CamelliaKey<192>;
/// Camellia256: libcrypto's Camellia with 256-bit keys, as Camellia128.
using Camellia256 = detail::CamelliaKey<256>;

} // namespace zorvan::openssl
