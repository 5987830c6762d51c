#pragma once
// zorvan::gcrypt: libgcrypt's hashes, HMAC, XOFs, AES and Twofish behind the zorvan interfaces.

#include <zorvan/backends/cipher_key.hpp>
#include <zorvan/backends/digest.hpp>
#include <zorvan/backends/xof.hpp>
#include <zorvan/bytes.hpp>

#include <gcrypt.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace zorvan::gcrypt {

namespace detail {

/// initialiseLibgcrypt: unless the program has done so, checks the version and finishes
/// libgcrypt's initialisation (no secure memory), once per process; throws std::runtime_error
/// when the library is older than the headers built against.
void initialiseLibgcrypt();

/// CloseDigest: closes a libgcrypt hash handle.
struct CloseDigest {
    void operator()(gcry_md_hd_t handle) const noexcept { gcry_md_close(handle); }
};

/// GcryptDigestState: one running hash computation of libgcrypt, or an HMAC one when built with
/// a key; throws std::runtime_error when libgcrypt reports a failure.
class GcryptDigestState {
public:
    GcryptDigestState(int algorithm, std::optional<std::span<const std::uint8_t>> hmacKey);
    void update(std::span<const std::uint8_t> octets);
    Bytes finish();

private:
    int algorithm_;
    std::unique_ptr<gcry_md_handle, CloseDigest> handle_;
};

/// GcryptAlgorithm: libgcrypt's hash Algorithm (GCRY_MD_SHA256, say) with its HMAC.
/// libgcrypt does not publish hash block lengths, hence BlockBits.
template <int Algorithm, std::size_t BlockBits> struct GcryptAlgorithm {
    static std::size_t outputBits() {
        initialiseLibgcrypt();
        return std::size_t{gcry_md_get_algo_dlen(Algorithm)} * 8;
    }
    static std::size_t blockBits() { return BlockBits; }
    static GcryptDigestState start() { return GcryptDigestState(Algorithm, std::nullopt); }
    static GcryptDigestState startHmac(std::span<const std::uint8_t> key) {
        return GcryptDigestState(Algorithm, key);
    }
};

/// KeyedHandles: one libgcrypt cipher handle per mode, each opened and keyed on first use and
/// kept: keying per call (a Twofish key schedule for every block of a Monte Carlo test) costs
/// more than the cipher itself. Copies of a key share them; a call that finds them in use by
/// another thread runs on a handle of its own instead of waiting.
struct KeyedHandles;

/// GcryptCipherKey: a key for libgcrypt's block cipher `algorithm`; run throws
/// std::runtime_error when libgcrypt fails.
class GcryptCipherKey {
public:
    GcryptCipherKey(int algorithm, std::span<const std::uint8_t> key);

    [[nodiscard]] backends::ModeOutput run(backends::Mode mode, backends::Direction direction,
                                           std::span<const std::uint8_t> iv,
                                           std::span<const std::uint8_t> input) const;
    /// runBlock: the cipher on exactly one block.
    void runBlock(backends::Direction direction, std::span<const std::uint8_t> input,
                  std::span<std::uint8_t> output) const;
    /// runXts: libgcrypt's XTS of one data unit, this key the data key and tweakKey's the
    /// tweak key; throws std::runtime_error when libgcrypt fails or refuses the data unit.
    [[nodiscard]] Bytes runXts(const GcryptCipherKey& tweakKey, backends::Direction direction,
                               std::span<const std::uint8_t> tweak,
                               std::span<const std::uint8_t> dataUnit) const;
    /// runCmac: libgcrypt's CMAC (gcry_mac) of the chunked message; throws std::runtime_error
    /// when libgcrypt fails, std::logic_error for a cipher without a CMAC of libgcrypt's.
    [[nodiscard]] Bytes runCmac(const LazyBytes& message) const;

private:
    int algorithm_;
    std::size_t blockOctets_ = 0;
    std::shared_ptr<KeyedHandles> handles_;
};

/// TwofishCipher: libgcrypt's Twofish takes 128- and 256-bit keys only (no 192); ECB and CBC
/// are native.
struct TwofishCipher : backends::CipherTraitsBase<256, GcryptCipherKey> {
    static constexpr bool native(backends::Mode mode) { return backends::ecbAndCbcOnly(mode); }
    static constexpr std::optional<int> select(std::size_t keyOctets) {
        if (keyOctets == 16) {
            return GCRY_CIPHER_TWOFISH128;
        }
        if (keyOctets == 32) {
            return GCRY_CIPHER_TWOFISH;
        }
        return std::nullopt;
    }
};

/// AesCipher: AES with Bits-bit keys, libgcrypt's cipher Algorithm, with libgcrypt's modes,
/// XTS and CMAC.
template <std::size_t Bits, int Algorithm>
struct AesCipher : backends::FixedKeyCipher<Bits, GcryptCipherKey, Algorithm> {
    static constexpr bool nativeXts = true;
    static constexpr bool nativeCmac = true;
};

/// AesKey: the AES key type for Bits-bit keys, libgcrypt's cipher Algorithm.
template <std::size_t Bits, int Algorithm>
using AesKey = backends::CipherKey<AesCipher<Bits, Algorithm>>;

/// GcryptXofState: one running computation of a libgcrypt XOF; gcry_md_extract goes on where
/// the last squeeze stopped. Throws std::runtime_error when libgcrypt fails, std::logic_error
/// on an absorb after a squeeze.
class GcryptXofState {
public:
    explicit GcryptXofState(int algorithm);
    void absorb(std::span<const std::uint8_t> octets);
    Bytes squeeze(std::size_t length);

private:
    int algorithm_;
    std::unique_ptr<gcry_md_handle, CloseDigest> handle_;
    bool squeezed_ = false;
};

/// GcryptXofAlgorithm: libgcrypt's XOF Algorithm (GCRY_MD_SHAKE128, say), of BlockBits rate.
template <int Algorithm, std::size_t BlockBits> struct GcryptXofAlgorithm {
    static std::size_t blockBits() { return BlockBits; }
    static constexpr bool squeezesInPieces = true;
    static GcryptXofState start() { return GcryptXofState(Algorithm); }
};

} // namespace detail

/// MD5 ... SHA512: libgcrypt's hashes, with libgcrypt's own HMAC as hmac and hmacStrict.
using MD5 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_MD5, 512>>;
/// SHA1: libgcrypt's SHA-1, as MD5.
using SHA1 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA1, 512>>;
/// SHA224: libgcrypt's SHA-224, as MD5.
using SHA224 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA224, 512>>;
/// SHA256: libgcrypt's SHA-256, as MD5.
using SHA256 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA256, 512>>;
/// SHA384: libgcrypt's SHA-384, as MD5.
using SHA384 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA384, 1024>>;
/// SHA512: libgcrypt's SHA-512, as MD5.
using SHA512 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA512, 1024>>;

/// AES128, AES192, AES256: AES keys with libgcrypt's own ECB, CBC, CFB, OFB and CTR, XTS and
/// CMAC.
using AES128 = detail::AesKey<128, GCRY_CIPHER_AES128>;
/// AES192: libgcrypt's AES with 192-bit keys, as AES128.
using AES192 = detail::AesKey<192, GCRY_CIPHER_AES192>;
/// AES256: libgcrypt's AES with 256-bit keys, as AES128.
using AES256 = detail::AesKey<256, GCRY_CIPHER_AES256>;

/// Twofish: a Twofish key of 16 or 32 octets (buildKey refuses 24) with libgcrypt's own ECB
/// and CBC; keyLength is 256.
using Twofish = backends::CipherKey<detail::TwofishCipher>;

/// SHA3_224 ... SHA3_512, SHA512_224, SHA512_256: libgcrypt's SHA-3 (block length: the
/// rate, 1600 bits less twice the output) and SHA-512/t hashes, with libgcrypt's own HMAC.
using SHA3_224 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA3_224, 1152>>;
/// SHA3_256: libgcrypt's SHA3-256, as SHA3_224.
using SHA3_256 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA3_256, 1088>>;
/// SHA3_384: libgcrypt's SHA3-384, as SHA3_224.
using SHA3_384 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA3_384, 832>>;
/// SHA3_512: libgcrypt's SHA3-512, as SHA3_224.
using SHA3_512 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA3_512, 576>>;
/// SHA512_224: libgcrypt's SHA-512/224, as SHA3_224.
using SHA512_224 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA512_224, 1024>>;
/// SHA512_256: libgcrypt's SHA-512/256, as SHA3_224.
using SHA512_256 = backends::Digest<detail::GcryptAlgorithm<GCRY_MD_SHA512_256, 1024>>;

/// SHAKE128, SHAKE256: libgcrypt's XOFs, which squeeze in pieces.
using SHAKE128 = backends::XofFunction<detail::GcryptXofAlgorithm<GCRY_MD_SHAKE128, 1344>>;
/// SHAKE256: libgcrypt's SHAKE256, as SHAKE128.
using SHAKE256 = backends::XofFunction<detail::GcryptXofAlgorithm<GCRY_MD_SHAKE256, 1088>>;

/// Camellia128, Camellia192, Camellia256: Camellia keys with libgcrypt's own ECB, CBC, CFB,
/// OFB and CTR.
using Camellia128 = backends::CipherKey<
    backends::FixedKeyCipher<128, detail::GcryptCipherKey, GCRY_CIPHER_CAMELLIA128>>;
/// Camellia192: libgcrypt's Camellia with 192-bit keys, as Camellia128.
using Camellia192 = backends::CipherKey<
    backends::FixedKeyCipher<192, detail::GcryptCipherKey, GCRY_CIPHER_CAMELLIA192>>;
/// Camellia256: libgcrypt's Camellia with 256-bit keys, as Camellia128.
using Camellia256 = backends::CipherKey<
    backends::FixedKeyCipher<256, detail::GcryptCipherKey, GCRY_CIPHER_CAMELLIA256>>;

} // namespace zorvan::gcrypt
