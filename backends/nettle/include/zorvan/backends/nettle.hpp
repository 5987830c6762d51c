#pragma once
// zorvan::nettle: nettle's hashes, HMAC, SHAKE256, AES and Twofish behind the zorvan interfaces,
// reached through nettle's algorithm descriptors (struct nettle_hash, struct nettle_cipher).

#include <zorvan/backends/cipher_key.hpp>
#include <zorvan/backends/digest.hpp>
#include <zorvan/backends/xof.hpp>
#include <zorvan/bytes.hpp>

#include <nettle/nettle-meta.h>
#include <nettle/sha3.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zorvan::nettle {

namespace detail {

/// ContextStorage: suitably aligned, copyable room for one nettle context.
using ContextStorage = std::vector<std::max_align_t>;

/// contextStorage: zeroed storage for a context of that many octets.
ContextStorage contextStorage(std::size_t octets);

/// NettleHashState: one running hash computation over a nettle_hash descriptor.
class NettleHashState {
public:
    explicit NettleHashState(const nettle_hash* hash);
    void update(std::span<const std::uint8_t> octets);
    Bytes finish();

private:
    const nettle_hash* hash_;
    ContextStorage context_;
};

/// NettleHmacState: one running HMAC computation of nettle's generic hmac_* functions.
class NettleHmacState {
public:
    NettleHmacState(const nettle_hash* hash, std::span<const std::uint8_t> key);
    void update(std::span<const std::uint8_t> octets);
    Bytes finish();

private:
    const nettle_hash* hash_;
    ContextStorage outer_;
    ContextStorage inner_;
    ContextStorage state_;
};

/// NettleAlgorithm: the hash that nettle's descriptor Hash (&nettle_sha256, say) describes.
template <const nettle_hash* Hash> struct NettleAlgorithm {
    static std::size_t outputBits() { return std::size_t{Hash->digest_size} * 8; }
    static std::size_t blockBits() { return std::size_t{Hash->block_size} * 8; }
    static NettleHashState start() { return NettleHashState(Hash); }
    static NettleHmacState startHmac(std::span<const std::uint8_t> key) {
        return NettleHmacState(Hash, key);
    }
};

/// NettleCipherKey: the encryption and decryption key schedules of a nettle_cipher, one
/// schedule where the cipher's two are the same. run throws std::logic_error for OFB, which
/// nettle lacks.
class NettleCipherKey {
public:
    NettleCipherKey(const nettle_cipher* cipher, std::span<const std::uint8_t> key);

    [[nodiscard]] backends::ModeOutput run(backends::Mode mode, backends::Direction direction,
                                           std::span<const std::uint8_t> iv,
                                           std::span<const std::uint8_t> input) const;
    /// runBlock: the cipher on exactly one block.
    void runBlock(backends::Direction direction, std::span<const std::uint8_t> input,
                  std::span<std::uint8_t> output) const;
    /// runXts: nettle's XTS (xts_encrypt_message, xts_decrypt_message) of one data unit, this
    /// key the data key and tweakKey's the tweak key; throws std::invalid_argument for a data
    /// unit shorter than a block, which nettle asserts against, or a cipher whose block is not
    /// 16 octets.
    [[nodiscard]] Bytes runXts(const NettleCipherKey& tweakKey, backends::Direction direction,
                               std::span<const std::uint8_t> tweak,
                               std::span<const std::uint8_t> dataUnit) const;
    /// runCmac: nettle's CMAC (cmac128) of the chunked message; throws std::invalid_argument for
    /// a cipher whose block is not 16 octets.
    [[nodiscard]] Bytes runCmac(const LazyBytes& message) const;

private:
    // Throws std::invalid_argument naming what needs them when the blocks are not 16 octets.
    void requireBlockOf16(const char* what) const;
    [[nodiscard]] const void* decryptionContext() const {
        return decryption_.empty() ? encryption_.data() : decryption_.data();
    }

    const nettle_cipher* cipher_;
    ContextStorage encryption_;
    // Empty when decryption uses encryption_.
    ContextStorage decryption_;
};

/// AesCipher: AES with a Bits-bit key; nettle has no OFB, so OFB stays generic. nettle's XTS
/// and CMAC run over any cipher of 16-octet blocks, so they are native for every key size.
template <std::size_t Bits, const nettle_cipher* Cipher>
struct AesCipher : backends::FixedKeyCipher<Bits, NettleCipherKey, Cipher> {
    static constexpr bool native(backends::Mode mode) { return mode != backends::Mode::ofb; }
    static constexpr bool nativeXts = true;
    static constexpr bool nativeCmac = true;
};

/// NettleShake256State: one running SHAKE256 computation of nettle 3.8, whose sha3_256_shake
/// squeezes once and ends the message: a second squeeze throws std::logic_error.
class NettleShake256State {
public:
    NettleShake256State();
    void absorb(std::span<const std::uint8_t> octets);
    Bytes squeeze(std::size_t length);

private:
    sha3_256_ctx context_{};
    bool squeezed_ = false;
};

/// NettleShake256: nettle's SHAKE256, rate 1088 bits.
struct NettleShake256 {
    static std::size_t blockBits() { return 1088; }
    static constexpr bool squeezesInPieces = false;
    static NettleShake256State start() { return {}; }
};

/// TwofishCipher: Twofish with 128-, 192- or 256-bit keys; ECB and CBC are native.
struct TwofishCipher : backends::CipherTraitsBase<256, NettleCipherKey> {
    static constexpr bool native(backends::Mode mode) { return backends::ecbAndCbcOnly(mode); }
    static std::optional<const nettle_cipher*> select(std::size_t keyOctets);
};

} // namespace detail

/// MD5 ... SHA512: nettle's hashes, with nettle's own HMAC as hmac and hmacStrict.
using MD5 = backends::Digest<detail::NettleAlgorithm<&nettle_md5>>;
/// SHA1: nettle's SHA-1, as MD5.
using SHA1 = backends::Digest<detail::NettleAlgorithm<&nettle_sha1>>;
/// SHA224: nettle's SHA-224, as MD5.
using SHA224 = backends::Digest<detail::NettleAlgorithm<&nettle_sha224>>;
/// SHA256: nettle's SHA-256, as MD5.
using SHA256 = backends::Digest<detail::NettleAlgorithm<&nettle_sha256>>;
/// SHA384: nettle's SHA-384, as MD5.
using SHA384 = backends::Digest<detail::NettleAlgorithm<&nettle_sha384>>;
/// SHA512: nettle's SHA-512, as MD5.
using SHA512 = backends::Digest<detail::NettleAlgorithm<&nettle_sha512>>;

/// AES128, AES192, AES256: AES keys with nettle's own ECB, CBC, CFB and CTR, XTS and CMAC; OFB
/// is generic.
using AES128 = backends::CipherKey<detail::AesCipher<128, &nettle_aes128>>;
/// AES192: nettle's AES with 192-bit keys, as AES128.
using AES192 = backends::CipherKey<detail::AesCipher<192, &nettle_aes192>>;
/// AES256: nettle's AES with 256-bit keys, as AES128.
using AES256 = backends::CipherKey<detail::AesCipher<256, &nettle_aes256>>;

/// Twofish: a Twofish key of 16, 24 or 32 octets with nettle's own ECB and CBC; keyLength is
/// 256.
using Twofish = backends::CipherKey<detail::TwofishCipher>;

/// SHA3_224 ... SHA3_512, SHA512_224, SHA512_256: nettle's SHA-3 (block length: the rate)
/// and SHA-512/t hashes, with nettle's own HMAC.
using SHA3_224 = backends::Digest<detail::NettleAlgorithm<&nettle_sha3_224>>;
/// SHA3_256: nettle's SHA3-256, as SHA3_224.
using SHA3_256 = backends::Digest<detail::NettleAlgorithm<&nettle_sha3_256>>;
/// SHA3_384: nettle's SHA3-384, as SHA3_224.
using SHA3_384 = backends::Digest<detail::NettleAlgorithm<&nettle_sha3_384>>;
/// SHA3_512: nettle's SHA3-512, as SHA3_224.
using SHA3_512 = backends::Digest<detail::NettleAlgorithm<&nettle_sha3_512>>;
/// SHA512_224: nettle's SHA-512/224, as SHA3_224.
using SHA512_224 = backends::Digest<detail::NettleAlgorithm<&nettle_sha512_224>>;
/// SHA512_256: nettle's SHA-512/256, as SHA3_224.
using SHA512_256 = backends::Digest<detail::NettleAlgorithm<&nettle_sha512_256>>;

/// SHAKE256: nettle's SHAKE256, which squeezes once per message. nettle 3.8 has no SHAKE128.
using SHAKE256 = backends::XofFunction<detail::NettleShake256>;

/// Camellia128, Camellia192, Camellia256: Camellia keys with nettle's own ECB, CBC, CFB and
/// CTR; nettle has no OFB, which stays generic.
using Camellia128 = backends::CipherKey<detail::AesCipher<128, &nettle_camellia128>>;
/// Camellia192: nettle's Camellia with 192-bit keys, as Camellia128.
using Camellia192 = backends::CipherKey<detail::AesCipher<192, &nettle_camellia192>>;
/// Camellia256: nettle's Camellia with 256-bit keys, as Camellia128.
using Camellia256 = backends::CipherKey<detail::AesCipher<256, &nettle_camellia256>>;

} // namespace zorvan::nettle
