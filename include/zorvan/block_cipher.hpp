#pragma once
// The BlockCipher concept, IV<K>, the ten modes of operation in strict and lazy form with
// generic defaults, and ESP padding (RFC 4303).
//
// Each mode is a free function. It calls the key type's own member of the same name when the
// type has one (a library's native CBC, say), and otherwise the generic default built on
// encryptBlock and decryptBlock. A member of such a name that the library cannot call as the
// mode's signature says is a compile-time error naming the member and the signature, so a
// misdeclared mode is never passed over for the generic one. What each mode must do, partial
// blocks and next IVs included, is written above the operations at the end of this file.

#include <zorvan/bytes.hpp>
#include <zorvan/declared_member.hpp>

#include <algorithm>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zorvan {

/// BlockCipher: a key type K. blockSize and keyLength are in bits; buildKey gives no key when
/// the octets are not an acceptable key; encryptBlock and decryptBlock take one or several
/// whole blocks.
template <class K>
concept BlockCipher = requires(const K& key, const Bytes& bytes) {
    { K::blockSize() } -> std::convertible_to<std::size_t>;
    { K::keyLength() } -> std::convertible_to<std::size_t>;
    { K::buildKey(bytes) } -> std::same_as<std::optional<K>>;
    { key.encryptBlock(bytes) } -> std::same_as<Bytes>;
    { key.decryptBlock(bytes) } -> std::same_as<Bytes>;
};

/// IV<K>: an initialisation vector of one block of cipher K. K may still be incomplete where
/// IV<K> is named, so a key type's own mode members can use it in their declarations.
template <class K> class IV {
public:
    /// get: an IV from the first blockSize/8 octets; the rest is ignored, too few give nothing.
    static std::optional<IV> get(const Bytes& bytes) {
        const std::size_t octets = K::blockSize() / 8;
        if (bytes.size() < octets) {
            return std::nullopt;
        }
        return IV(bytes.take(octets));
    }
    /// get: the same from octets the caller gives up, taken over without a copy when they are
    /// exactly one block (as a mode's next IV is).
    static std::optional<IV> get(Bytes&& bytes) {
        if (bytes.size() == K::blockSize() / 8) {
            return IV(std::move(bytes));
        }
        return get(static_cast<const Bytes&>(bytes));
    }

    /// encode: the IV's octets, one block of them.
    [[nodiscard]] const Bytes& encode() const& noexcept { return octets_; }
    /// encode: the octets of an IV the caller gives up, without a copy.
    [[nodiscard]] Bytes encode() && noexcept { return std::move(octets_); }

    /// operator==: the same octets.
    friend bool operator==(const IV&, const IV&) = default;
    /// operator<<: the octets as Bytes prints them (lower-case hex).
    friend std::ostream& operator<<(std::ostream& out, const IV& iv) { return out << iv.octets_; }

private:
    explicit IV(Bytes octets) : octets_(std::move(octets)) {}
    Bytes octets_;
};

namespace detail {
/// padESP: the message padded to a whole number of blockOctets-octet blocks as
/// padESPBlockSize pads it.
Bytes padESP(const Bytes& message, std::size_t blockOctets);
} // namespace detail

/// padESPBlockSize: the message padded to a whole number of the cipher's blocks with the
/// RFC 4303 padding: the octets 1, 2, 3, ... then the pad length. At least one octet (the
/// length) is always added.
template <BlockCipher K> Bytes padESPBlockSize(const K& /*key*/, const Bytes& message) {
    return detail::padESP(message, K::blockSize() / 8);
}

/// unpadESP: the message without its RFC 4303 padding, or nothing when the padding is
/// malformed (no length octet, a length beyond the message, or pad octets other than 1, 2, ...).
std::optional<Bytes> unpadESP(const Bytes& padded);

namespace detail {

template <class K> constexpr std::size_t blockOctets() {
    return K::blockSize() / 8;
}

/// Thrown by the generic ECB and CBC when the input is not a whole number of blocks.
[[noreturn]] void throwPartialBlock(const char* mode, std::size_t length, std::size_t block);

/// xorOctets: target = a XOR b over target's length; target may be a or b. Eight octets at a
/// time: a block is XORed on every step of a chained mode, and octet by octet that costs
/// about a seventh of what a library spends on the block.
inline void xorOctets(std::span<std::uint8_t> target, std::span<const std::uint8_t> a,
                      std::span<const std::uint8_t> b) {
    std::size_t i = 0;
    for (; i + sizeof(std::uint64_t) <= target.size(); i += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::uint64_t other = 0;
        std::memcpy(&word, a.data() + i, sizeof word);
        std::memcpy(&other, b.data() + i, sizeof other);
        word ^= other;
        std::memcpy(target.data() + i, &word, sizeof word);
    }
    for (; i < target.size(); ++i) {
        target[i] = static_cast<std::uint8_t>(a[i] ^ b[i]);
    }
}

/// incrementBigEndian: adds one to the whole block read as one big-endian number (mod 2^n).
inline void incrementBigEndian(std::span<std::uint8_t> counter) {
    for (auto octet = counter.rbegin(); octet != counter.rend(); ++octet) {
        if (++*octet != 0) {
            return;
        }
    }
}

/// KeyBlocks: a key's block functions without its type, for the generic modes, which are
/// compiled once in the library: one indirect call per block.
struct KeyBlocks {
    std::size_t blockOctets;
    const void* key;
    Bytes (*encrypt)(const void* key, const Bytes& blocks);
    Bytes (*decrypt)(const void* key, const Bytes& blocks);
};

template <BlockCipher K> KeyBlocks keyBlocks(const K& key) {
    return {blockOctets<K>(), &key,
            [](const void* erased, const Bytes& blocks) {
                return static_cast<const K*>(erased)->encryptBlock(blocks);
            },
            [](const void* erased, const Bytes& blocks) {
                return static_cast<const K*>(erased)->decryptBlock(blocks);
            }};
}

/// FeedbackMode: the generic IV modes, one direction each (OFB and CTR are their own inverse).
enum class FeedbackMode { cbcEncrypt, cbcDecrypt, cfbEncrypt, cfbDecrypt, ofb, ctr };

/// runFeedbackMode: the generic mode over the key's blocks from the IV's octets: the output
/// and the next IV's octets, as the operations below define them. Throws what the key's block
/// functions throw, and std::invalid_argument for CBC input that is not whole blocks.
std::pair<Bytes, Bytes> runFeedbackMode(FeedbackMode mode, const KeyBlocks& key, const Bytes& iv,
                                        const Bytes& input);

/// ChunkStep: the strict operation a chunked default streams through, without its types:
/// called with the IV's octets and a part, it gives the part's output and the next IV's octets.
class ChunkStep {
public:
    template <class Step>
    explicit ChunkStep(const Step& step)
        : step_(&step), call_([](const void* erased, const Bytes& iv, const Bytes& part) {
              return (*static_cast<const Step*>(erased))(iv, part);
          }) {}
    std::pair<Bytes, Bytes> operator()(const Bytes& iv, const Bytes& part) const {
        return call_(step_, iv, part);
    }

private:
    const void* step_;
    std::pair<Bytes, Bytes> (*call_)(const void*, const Bytes&, const Bytes&);
};

/// streamChunks: the chunked default: the chunks go through step a whole number of blocks at
/// a time, a partial block carried into the next chunk, the IV from call to call; the output
/// chunks and the last IV's octets. Throws what step throws.
std::pair<LazyBytes, Bytes> streamChunks(std::size_t blockOctets, Bytes iv, const LazyBytes& input,
                                         const ChunkStep& step);

template <BlockCipher K> std::pair<Bytes, IV<K>> withIV(std::pair<Bytes, Bytes> result) {
    return {std::move(result.first), *IV<K>::get(std::move(result.second))};
}

template <BlockCipher K>
std::pair<Bytes, IV<K>> cbcEncrypt(const K& key, const IV<K>& iv, const Bytes& input) {
    return withIV<K>(runFeedbackMode(FeedbackMode::cbcEncrypt, keyBlocks(key), iv.encode(), input));
}

template <BlockCipher K>
std::pair<Bytes, IV<K>> cbcDecrypt(const K& key, const IV<K>& iv, const Bytes& input) {
    return withIV<K>(runFeedbackMode(FeedbackMode::cbcDecrypt, keyBlocks(key), iv.encode(), input));
}

// CFB with full-block feedback: the ciphertext block becomes the next register. After a
// short last block the register holds that ciphertext followed by the unused keystream.
template <BlockCipher K>
std::pair<Bytes, IV<K>> cfbWith(const K& key, const IV<K>& iv, const Bytes& input, bool decrypt) {
    return withIV<K>(runFeedbackMode(decrypt ? FeedbackMode::cfbDecrypt : FeedbackMode::cfbEncrypt,
                                     keyBlocks(key), iv.encode(), input));
}

template <BlockCipher K>
std::pair<Bytes, IV<K>> ofbApply(const K& key, const IV<K>& iv, const Bytes& input) {
    return withIV<K>(runFeedbackMode(FeedbackMode::ofb, keyBlocks(key), iv.encode(), input));
}

template <BlockCipher K>
std::pair<Bytes, IV<K>> ctrApply(const K& key, const IV<K>& iv, const Bytes& input) {
    return withIV<K>(runFeedbackMode(FeedbackMode::ctr, keyBlocks(key), iv.encode(), input));
}

/// runEcb: the generic ECB over the key's block functions: input that is not whole blocks is
/// refused with std::invalid_argument, empty input given back, anything else handed to the
/// key's block function whole. Throws what the key's block functions throw.
Bytes runEcb(const KeyBlocks& key, const Bytes& input, bool decrypt);

template <BlockCipher K> Bytes ecbWith(const K& key, const Bytes& input, bool decrypt) {
    return runEcb(keyBlocks(key), input, decrypt);
}

// The lazy defaults stream the chunks through the strict operation a whole number of blocks at
// a time, carrying a partial block into the next chunk, and the IV from call to call.
template <BlockCipher K, class Strict>
std::pair<LazyBytes, IV<K>> streamChunks(IV<K> iv, const LazyBytes& input, Strict strict) {
    const auto step = [&](const Bytes& at, const Bytes& part) {
        auto [output, next] = strict(*IV<K>::get(at), part);
        return std::pair{std::move(output), next.encode()};
    };
    auto [output, next] = streamChunks(blockOctets<K>(), iv.encode(), input, ChunkStep(step));
    return {std::move(output), *IV<K>::get(next)};
}

/// streamChunksWithoutIV: streamChunks for a mode that carries no state between calls (ECB):
/// step is given a zero IV it must give back. Throws what step throws.
LazyBytes streamChunksWithoutIV(std::size_t blockOctets, const LazyBytes& input,
                                const ChunkStep& step);

template <BlockCipher K, class Strict>
LazyBytes streamChunksWithoutIV(const LazyBytes& input, Strict strict) {
    const auto step = [&](const Bytes& iv, const Bytes& part) {
        return std::pair{strict(part), iv};
    };
    return streamChunksWithoutIV(blockOctets<K>(), input, ChunkStep(step));
}

} // namespace detail

// Every mode operation the library calls, as X(shape, name, default): the shape of its call
// (below), its name, and its generic default (for the chunked forms, the strict operation the
// default streams through).
#define ZORVAN_MODE_OPERATIONS(X)                                                                  \
    X(BLOCKS, ecb, detail::ecbWith(key, data, false))                                              \
    X(BLOCKS, unEcb, detail::ecbWith(key, data, true))                                             \
    X(IV, cbc, detail::cbcEncrypt(key, iv, data))                                                  \
    X(IV, unCbc, detail::cbcDecrypt(key, iv, data))                                                \
    X(IV, cfb, detail::cfbWith(key, iv, data, false))                                              \
    X(IV, unCfb, detail::cfbWith(key, iv, data, true))                                             \
    X(IV, ofb, detail::ofbApply(key, iv, data))                                                    \
    X(IV, unOfb, detail::ofbApply(key, iv, data))                                                  \
    X(IV, ctr, detail::ctrApply(key, iv, data))                                                    \
    X(IV, unCtr, detail::ctrApply(key, iv, data))                                                  \
    X(LAZY_BLOCKS, ecbLazy, ecb)                                                                   \
    X(LAZY_BLOCKS, unEcbLazy, unEcb)                                                               \
    X(LAZY_IV, cbcLazy, cbc)                                                                       \
    X(LAZY_IV, unCbcLazy, unCbc)                                                                   \
    X(LAZY_IV, cfbLazy, cfb)                                                                       \
    X(LAZY_IV, unCfbLazy, unCfb)                                                                   \
    X(LAZY_IV, ofbLazy, ofb)                                                                       \
    X(LAZY_IV, unOfbLazy, unOfb)                                                                   \
    X(LAZY_IV, ctrLazy, ctr)                                                                       \
    X(LAZY_IV, unCtrLazy, unCtr)

// clang-format off
// The four shapes of a mode call: the result, the parameters after the key (declared, their
// types, passed on), the member's signature as an error message spells it, and the default.
#define ZORVAN_BLOCKS_RESULT Bytes
#define ZORVAN_BLOCKS_PARAMETERS const Bytes& data
#define ZORVAN_BLOCKS_TYPES const Bytes&
#define ZORVAN_BLOCKS_ARGUMENTS data
#define ZORVAN_BLOCKS_SIGNATURE(name) "zorvan::Bytes " #name "(const zorvan::Bytes&) const"
#define ZORVAN_BLOCKS_DEFAULT(generic) generic

#define ZORVAN_IV_RESULT std::pair<Bytes, IV<K>>
#define ZORVAN_IV_PARAMETERS const IV<K>& iv, const Bytes& data
#define ZORVAN_IV_TYPES const IV<K>&, const Bytes&
#define ZORVAN_IV_ARGUMENTS iv, data
#define ZORVAN_IV_SIGNATURE(name)                                                                  \
    "std::pair<zorvan::Bytes, zorvan::IV<K>> " #name                                               \
    "(const zorvan::IV<K>&, const zorvan::Bytes&) const"
#define ZORVAN_IV_DEFAULT(generic) generic

#define ZORVAN_LAZY_BLOCKS_RESULT LazyBytes
#define ZORVAN_LAZY_BLOCKS_PARAMETERS const LazyBytes& data
#define ZORVAN_LAZY_BLOCKS_TYPES const LazyBytes&
#define ZORVAN_LAZY_BLOCKS_ARGUMENTS data
#define ZORVAN_LAZY_BLOCKS_SIGNATURE(name)                                                         \
    "zorvan::LazyBytes " #name "(const zorvan::LazyBytes&) const"
#define ZORVAN_LAZY_BLOCKS_DEFAULT(strict)                                                         \
    detail::streamChunksWithoutIV<K>(data, [&](const Bytes& part) { return strict(key, part); })

#define ZORVAN_LAZY_IV_RESULT std::pair<LazyBytes, IV<K>>
#define ZORVAN_LAZY_IV_PARAMETERS const IV<K>& iv, const LazyBytes& data
#define ZORVAN_LAZY_IV_TYPES const IV<K>&, const LazyBytes&
#define ZORVAN_LAZY_IV_ARGUMENTS iv, data
#define ZORVAN_LAZY_IV_SIGNATURE(name)                                                             \
    "std::pair<zorvan::LazyBytes, zorvan::IV<K>> " #name                                           \
    "(const zorvan::IV<K>&, const zorvan::LazyBytes&) const"
#define ZORVAN_LAZY_IV_DEFAULT(strict)                                                             \
    detail::streamChunks<K>(                                                                       \
        iv, data, [&](const IV<K>& at, const Bytes& part) { return strict(key, at, part); })

// clang-format on

// For each operation: detail::declares_<name><K>() and detail::accepts_<name><K>, whether K's
// member of that name can be called the way the library calls it.
#define ZORVAN_MODE_MEMBER(shape, name, generic)                                                   \
    ZORVAN_DECLARED_MEMBER(name)                                                                   \
    namespace detail {                                                                             \
    template <class K>                                                                             \
    constexpr bool accepts_##name = requires(const K& key, ZORVAN_##shape##_PARAMETERS) {          \
        { key.name(ZORVAN_##shape##_ARGUMENTS) } -> std::same_as<ZORVAN_##shape##_RESULT>;         \
    };                                                                                             \
    }
ZORVAN_MODE_OPERATIONS(ZORVAN_MODE_MEMBER)

namespace detail {

/// checkModeMembers: refuses to compile, naming the member and the signature it must have,
/// when K declares a member named like a mode operation that the library cannot call. Every
/// mode operation runs it, so any use of K's modes checks all of K's mode members.
template <BlockCipher K> consteval bool checkModeMembers() {
#define ZORVAN_CHECK_MODE_MEMBER(shape, name, generic)                                             \
    static_assert(!declares_##name<K, ZORVAN_##shape##_TYPES>() || accepts_##name<K>,              \
                  "zorvan: K::" #name " is not callable as " ZORVAN_##shape##_SIGNATURE(name));
    ZORVAN_MODE_OPERATIONS(ZORVAN_CHECK_MODE_MEMBER)
#undef ZORVAN_CHECK_MODE_MEMBER
    return true;
}

} // namespace detail

// Each operation calls the key type's own member when it declares one, the default otherwise.
#define ZORVAN_MODE_OPERATION(shape, name, generic)                                                \
    template <BlockCipher K>                                                                       \
    ZORVAN_##shape##_RESULT name(const K& key, ZORVAN_##shape##_PARAMETERS) {                      \
        static_assert(detail::checkModeMembers<K>());                                              \
        if constexpr (detail::accepts_##name<K>) {                                                 \
            return key.name(ZORVAN_##shape##_ARGUMENTS);                                           \
        } else {                                                                                   \
            return ZORVAN_##shape##_DEFAULT(generic);                                              \
        }                                                                                          \
    }

// The mode operations, and what a key type's own members must do to stand in for them.
//
// ecb, unEcb: ECB over whole blocks. Input that is not a whole number of blocks is refused
// with std::invalid_argument (never a result of another length). No IV.
// cbc, unCbc: CBC over whole blocks; a partial block is refused as in ECB. The next IV is the
// last ciphertext block (the input's when decrypting); after empty input, the IV given.
// cfb, unCfb: CFB with full-block feedback over any length. The next IV is the last ciphertext
// block; after a short last block of n octets, its n ciphertext octets followed by the unused
// octets of that block's keystream (so a continuation from it is not the stream's next block:
// whole-block input is what continues a stream).
// ofb, unOfb: OFB over any length. The next IV is the last keystream block (the encrypted
// register), also after a short last block.
// ctr, unCtr: CTR with the whole block read as one big-endian counter that wraps modulo
// 2^blocksize, carrying across all octets. The next IV is the counter after the last block
// used: the IV plus the number of blocks begun, a short last block counting as one.
// Decryption gives the same next IV as encryption in every IV mode.
// The ...Lazy forms give the same output and next IV over chunked input, whatever the chunk
// boundaries (empty chunks included).
//
// A key type supplies a mode by declaring a const member of the same name with the signature
// the error message shows (for cbc: std::pair<zorvan::Bytes, zorvan::IV<K>>
// cbc(const zorvan::IV<K>&, const zorvan::Bytes&) const). A member of that name the library
// cannot call so is a compile-time error, never a silent fall back to the generic mode.
ZORVAN_MODE_OPERATIONS(ZORVAN_MODE_OPERATION)

#undef ZORVAN_MODE_OPERATION
#undef ZORVAN_MODE_MEMBER
#undef ZORVAN_MODE_OPERATIONS
#undef ZORVAN_BLOCKS_RESULT
#undef ZORVAN_BLOCKS_PARAMETERS
#undef ZORVAN_BLOCKS_TYPES
#undef ZORVAN_BLOCKS_ARGUMENTS
#undef ZORVAN_BLOCKS_SIGNATURE
#undef ZORVAN_BLOCKS_DEFAULT
#undef ZORVAN_IV_RESULT
#undef ZORVAN_IV_PARAMETERS
#undef ZORVAN_IV_TYPES
#undef ZORVAN_IV_ARGUMENTS
#undef ZORVAN_IV_SIGNATURE
#undef ZORVAN_IV_DEFAULT
#undef ZORVAN_LAZY_BLOCKS_RESULT
#undef ZORVAN_LAZY_BLOCKS_PARAMETERS
#undef ZORVAN_LAZY_BLOCKS_TYPES
#undef ZORVAN_LAZY_BLOCKS_ARGUMENTS
#undef ZORVAN_LAZY_BLOCKS_SIGNATURE
#undef ZORVAN_LAZY_BLOCKS_DEFAULT
#undef ZORVAN_LAZY_IV_RESULT
#undef ZORVAN_LAZY_IV_PARAMETERS
#undef ZORVAN_LAZY_IV_TYPES
#undef ZORVAN_LAZY_IV_ARGUMENTS
#undef ZORVAN_LAZY_IV_SIGNATURE
#undef ZORVAN_LAZY_IV_DEFAULT

namespace detail {

/// padPkcs7: the message followed by n octets of value n, 1 <= n <= blockOctets, up to a whole
/// number of blocks (PKCS#7; PKCS#5 for 8-octet blocks). Throws std::invalid_argument for blocks
/// of no whole octet or of more than 255 octets, which no octet can count.
Bytes padPkcs7(const Bytes& message, std::size_t blockOctets);

/// unpadPkcs7: the whole blocks of padded without their PKCS#7 padding, or nothing when the last
/// octet is 0 or larger than a block, or one of the octets it counts differs from it. Every
/// octet of the last block is looked at whatever the others hold, so that neither the answer
/// nor the work says which octet was wrong. Throws std::bad_alloc.
std::optional<Bytes> unpadPkcs7(const Bytes& padded, std::size_t blockOctets);

} // namespace detail

ZORVAN_DECLARED_MEMBER(cbcPadded)
ZORVAN_DECLARED_MEMBER(unCbcPadded)

namespace detail {
template <class K>
constexpr bool accepts_cbcPadded = requires(const K& key, const IV<K>& iv, const Bytes& data) {
    { key.cbcPadded(iv, data) } -> std::same_as<Bytes>;
};
template <class K>
constexpr bool accepts_unCbcPadded = requires(const K& key, const IV<K>& iv, const Bytes& data) {
    { key.unCbcPadded(iv, data) } -> std::same_as<std::optional<Bytes>>;
};
} // namespace detail

/// cbcPadded: CBC encryption of the plaintext, any length, padded as PKCS#7 pads it (a whole
/// block of padding after whole blocks). The key type's own member
/// `zorvan::Bytes cbcPadded(const zorvan::IV<K>&, const zorvan::Bytes&) const` is used where it
/// declares one; a member of that name the library cannot call so is a compile-time error.
template <BlockCipher K> Bytes cbcPadded(const K& key, const IV<K>& iv, const Bytes& plaintext) {
    static_assert(!detail::declares_cbcPadded<K, const IV<K>&, const Bytes&>() ||
                      detail::accepts_cbcPadded<K>,
                  "zorvan: K::cbcPadded is not callable as zorvan::Bytes cbcPadded(const "
                  "zorvan::IV<K>&, const zorvan::Bytes&) const");
    if constexpr (detail::accepts_cbcPadded<K>) {
        return key.cbcPadded(iv, plaintext);
    } else {
        return cbc(key, iv, detail::padPkcs7(plaintext, detail::blockOctets<K>())).first;
    }
}

/// unCbcPadded: the plaintext of a cbcPadded ciphertext, or nothing when the ciphertext is no
/// whole, non-zero number of blocks or its padding is wrong; which padding octet was wrong is
/// never told. The key type's own member `std::optional<zorvan::Bytes> unCbcPadded(const
/// zorvan::IV<K>&, const zorvan::Bytes&) const` is used where it declares one; a member of that
/// name the library cannot call so is a compile-time error.
template <BlockCipher K>
std::optional<Bytes> unCbcPadded(const K& key, const IV<K>& iv, const Bytes& ciphertext) {
    static_assert(!detail::declares_unCbcPadded<K, const IV<K>&, const Bytes&>() ||
                      detail::accepts_unCbcPadded<K>,
                  "zorvan: K::unCbcPadded is not callable as std::optional<zorvan::Bytes> "
                  "unCbcPadded(const zorvan::IV<K>&, const zorvan::Bytes&) const");
    if constexpr (detail::accepts_unCbcPadded<K>) {
        return key.unCbcPadded(iv, ciphertext);
    } else {
        const std::size_t block = detail::blockOctets<K>();
        if (block == 0 || ciphertext.empty() || ciphertext.size() % block != 0) {
            return std::nullopt;
        }
        return detail::unpadPkcs7(unCbc(key, iv, ciphertext).first, block);
    }
}

} // namespace zorvan
