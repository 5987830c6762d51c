#pragma once
// zorvan::openssl: OpenSSL's libcrypto (EVP) hashes, XOFs and AES behind the zorvan interfaces.
//
// The digests deliberately have no HMAC of their own, so hmac and hmacStrict use the generic
// FIPS 198 construction of zorvan/hash.hpp; nativeHmac gives libcrypto's HMAC to check it.

#include <zorvan/backends/cipher_key.hpp>
#include <zorvan/backends/digest.hpp>
#include <zorvan/backends/xof.hpp>
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
    /// runXts: libcrypto's XTS ("AES-<bits>-XTS") of one data unit, this key the data key and
    /// tweakKey's the tweak key; throws std::runtime_error when libcrypto fails or refuses the
    /// data unit (one shorter than a block, say).
    [[nodiscard]] Bytes runXts(const EvpCipherKey& tweakKey, backends::Direction direction,
                               std::span<const std::uint8_t> tweak,
                               std::span<const std::uint8_t> dataUnit) const;
    /// runCmac: libcrypto's CMAC (EVP_MAC "CMAC" over "<family>-<bits>-CBC") of the chunked
    /// message; throws std::runtime_error when libcrypto fails.
    [[nodiscard]] Bytes runCmac(const LazyBytes& message) const;

private:
    EvpSelection selection_;
    std::shared_ptr<KeyedContexts> contexts_;
};

/// AesCipher: AES with Bits-bit keys, its modes, its CMAC and, except for 192-bit keys (libcrypto
/// has no XTS over AES-192), its XTS through libcrypto.
template <std::size_t Bits>
struct AesCipher
    : backends::FixedKeyCipher<Bits, EvpCipherKey, EvpSelection{EvpFamily::aes, Bits}> {
    static constexpr bool nativeCmac = true;
    static constexpr bool nativeXts = Bits != 192;
};

/// AesKey: the AES key type for Bits-bit keys.
template <std::size_t Bits> using AesKey = backends::CipherKey<AesCipher<Bits>>;

/// EvpXofState: one running computation of a libcrypto XOF. libcrypto 3.0 squeezes once per
/// message (EVP_DigestFinalXOF; EVP_DigestSqueeze came with 3.3): a second squeeze throws
/// std::logic_error, and library failures std::runtime_error.
class EvpXofState {
public:
    explicit EvpXofState(const EVP_MD* xof);
    void absorb(std::span<const std::uint8_t> octets);
    Bytes squeeze(std::size_t length);

private:
    std::unique_ptr<EVP_MD_CTX, FreeDigestContext> context_;
    bool squeezed_ = false;
};

/// EvpXofAlgorithm: the XOF that the libcrypto getter Md (EVP_shake128, say) names.
template <const EVP_MD* (*Md)()> struct EvpXofAlgorithm {
    static std::size_t blockBits() { return EvpAlgorithm<Md>::blockBits(); }
    static constexpr bool squeezesInPieces = false;
    static EvpXofState start() { return EvpXofState(EvpAlgorithm<Md>::digest()); }
};

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

/// AES128, AES192, AES256: AES keys with libcrypto's own ECB, CBC, CFB128, OFB and CTR, CMAC,
/// and XTS for AES128 and AES256.
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

/// SHAKE128, SHAKE256: libcrypto's XOFs, which squeeze once per message.
using SHAKE128 = backends::XofFunction<detail::EvpXofAlgorithm<EVP_shake128>>;
/// SHAKE256: libcrypto's SHAKE256, as SHAKE128.
using SHAKE256 = backends::XofFunction<detail::EvpXofAlgorithm<EVP_shake256>>;

/// Camellia128, Camellia192, Camellia256: Camellia keys with libcrypto's own ECB, CBC,
/// CFB128, OFB and CTR.
using Camellia128 = detail::CamelliaKey<128>;
/// Camellia192: libcrypto's Camellia with 192-bit keys, as Camellia128.
using Camellia192 = detail::CamelliaKey<192>;
/// Camellia256: libcrypto's Camellia with 256-bit keys, as Camellia128.
using Camellia256 = detail::CamelliaKey<256>;

} // namespace zorvan::openssl
