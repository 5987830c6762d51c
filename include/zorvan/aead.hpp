#pragma once
// The Aead concept: authenticated encryption with associated data, one key type per key size,
// as the block ciphers have it.
//
// Sealing gives the ciphertext and a tag of the length asked for. Opening checks the tag before
// it releases anything: it writes the plaintext into the caller's buffer only when the tag is
// right, and otherwise leaves the buffer as it was and says no. A key type may also take the
// associated data and the text in chunks (sealLazy, openLazy); a member of such a name that the
// library cannot call as the signature below says is a compile-time error.

#include <zorvan/bytes.hpp>
#include <zorvan/declared_member.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

namespace zorvan {

/// Sealed: what sealing gives: the ciphertext, as long as the plaintext, and the tag.
struct Sealed {
    /// ciphertext: the encrypted text, as long as the plaintext.
    Bytes ciphertext;
    /// tag: the authentication tag, of the octets asked for.
    Bytes tag;

    /// operator==: both fields equal.
    friend bool operator==(const Sealed&, const Sealed&) = default;
    /// operator<<: prints "ciphertext <ciphertext>, tag <tag>", each as Bytes prints.
    friend std::ostream& operator<<(std::ostream& out, const Sealed& sealed) {
        return out << "ciphertext " << sealed.ciphertext << ", tag " << sealed.tag;
    }
};

/// Aead: a key type A of an authenticated cipher.
/// - keyLength() is in bits; buildKey gives no key for octets that are no key of A.
/// - acceptsNonceLength(n) and acceptsTagLength(n) say which lengths, in octets, the type
///   takes; the suites give it exactly those and leave vectors of other lengths to other types.
/// - seal(nonce, aad, plaintext, tagOctets): the ciphertext and a tag of tagOctets octets.
/// - open(nonce, aad, ciphertext, tag, tagOctets, plaintext): true, with the plaintext written
///   into `plaintext` (exactly ciphertext.size() octets), when tag is the right tag of
///   tagOctets octets; otherwise false, with nothing written. A tag of another length than
///   tagOctets, a nonce or tag length the type does not take, are refused the same way.
template <class A>
concept Aead = requires(const A& key, const Bytes& bytes, std::size_t octets,
                        std::span<std::uint8_t> plaintext) {
    { A::keyLength() } -> std::convertible_to<std::size_t>;
    { A::acceptsNonceLength(octets) } -> std::same_as<bool>;
    { A::acceptsTagLength(octets) } -> std::same_as<bool>;
    { A::buildKey(bytes) } -> std::same_as<std::optional<A>>;
    { key.seal(bytes, bytes, bytes, octets) } -> std::same_as<Sealed>;
    { key.open(bytes, bytes, bytes, bytes, octets, plaintext) } -> std::same_as<bool>;
};

// The optional chunked members, as the library calls them.
ZORVAN_DECLARED_MEMBER(sealLazy)
ZORVAN_DECLARED_MEMBER(openLazy)

namespace detail {

template <class A>
constexpr bool acceptsSealLazy = requires(const A& key, const Bytes& nonce, const LazyBytes& aad,
                                          const LazyBytes& plaintext, std::size_t tagOctets) {
    { key.sealLazy(nonce, aad, plaintext, tagOctets) } -> std::same_as<Sealed>;
};

template <class A>
constexpr bool acceptsOpenLazy = requires(const A& key, const Bytes& nonce, const LazyBytes& aad,
                                          const LazyBytes& ciphertext, const Bytes& tag,
                                          std::size_t tagOctets,
                                          std::span<std::uint8_t> plaintext) {
    { key.openLazy(nonce, aad, ciphertext, tag, tagOctets, plaintext) } -> std::same_as<bool>;
};

/// checkAeadMembers: refuses to compile, naming the member and the signature it must have,
/// when A declares sealLazy or openLazy in a form the library cannot call.
template <Aead A> consteval bool checkAeadMembers() {
    static_assert(
        !declares_sealLazy<A, const Bytes&, const LazyBytes&, const LazyBytes&, std::size_t>() ||
            acceptsSealLazy<A>,
        "zorvan: A::sealLazy is not callable as zorvan::Sealed sealLazy(const "
        "zorvan::Bytes&, const zorvan::LazyBytes&, const zorvan::LazyBytes&, "
        "std::size_t) const");
    static_assert(!declares_openLazy<A, const Bytes&, const LazyBytes&, const LazyBytes&,
                                     const Bytes&, std::size_t, std::span<std::uint8_t>>() ||
                      acceptsOpenLazy<A>,
                  "zorvan: A::openLazy is not callable as bool openLazy(const zorvan::Bytes&, "
                  "const zorvan::LazyBytes&, const zorvan::LazyBytes&, const zorvan::Bytes&, "
                  "std::size_t, std::span<std::uint8_t>) const");
    return true;
}

} // namespace detail

/// hasLazyAead: whether A takes the associated data and the text in chunks itself.
template <Aead A>
constexpr bool hasLazyAead = detail::acceptsSealLazy<A>&& detail::acceptsOpenLazy<A>;

/// sealLazy: A's own sealLazy where it declares one; otherwise seal on the joined chunks.
template <Aead A>
Sealed sealLazy(const A& key, const Bytes& nonce, const LazyBytes& aad, const LazyBytes& plaintext,
                std::size_t tagOctets) {
    static_assert(detail::checkAeadMembers<A>());
    if constexpr (detail::acceptsSealLazy<A>) {
        return key.sealLazy(nonce, aad, plaintext, tagOctets);
    } else {
        return key.seal(nonce, aad.toStrict(), plaintext.toStrict(), tagOctets);
    }
}

/// openLazy: A's own openLazy where it declares one; otherwise open on the joined chunks.
template <Aead A>
bool openLazy(const A& key, const Bytes& nonce, const LazyBytes& aad, const LazyBytes& ciphertext,
              const Bytes& tag, std::size_t tagOctets, std::span<std::uint8_t> plaintext) {
    static_assert(detail::checkAeadMembers<A>());
    if constexpr (detail::acceptsOpenLazy<A>) {
        return key.openLazy(nonce, aad, ciphertext, tag, tagOctets, plaintext);
    } else {
        return key.open(nonce, aad.toStrict(), ciphertext.toStrict(), tag, tagOctets, plaintext);
    }
}

/// open: the plaintext key.open releases, or nothing when it refuses. Throws what open throws.
template <Aead A>
std::optional<Bytes> open(const A& key, const Bytes& nonce, const Bytes& aad,
                          const Bytes& ciphertext, const Bytes& tag, std::size_t tagOctets) {
    std::vector<std::uint8_t> plaintext(ciphertext.size());
    if (!key.open(nonce, aad, ciphertext, tag, tagOctets, plaintext)) {
        return std::nullopt;
    }
    return Bytes(plaintext);
}

} // namespace zorvan
