#pragma once
// The Hash concept and the operations derived from it: hash, hashStrict, hmac, hmacStrict and
// hmacVerify.

#include <zorvan/bytes.hpp>
#include <zorvan/declared_member.hpp>
#include <zorvan/mac.hpp>

#include <concepts>
#include <cstddef>
#include <optional>
#include <ostream>
#include <span>
#include <vector>

namespace zorvan {

/// Hash: a digest type D with its incremental Context. Lengths are in bits; encode gives the
/// digest's octets in the order published vectors print them, get reads one back (octets it
/// does not need are ignored; too few give nothing).
///
/// The contract the library tests (see Test::Conformance): a message's digest does not depend
/// on how it is cut into update calls (empty updates included); finalize gives the digest of
/// everything fed since the context started and leaves the context restarted, as if freshly
/// made, so finalizing again gives the empty message's digest and the context can be reused; a
/// copied context (where Context is copyable) goes on independently of its original; == is
/// equality of the encoded octets, and get(encode(d)) == d.
template <class D>
concept Hash = std::equality_comparable<D> &&
    requires(const D& digest, const Bytes& bytes, typename D::Context& context,
             std::span<const std::uint8_t> octets, std::ostream& out) {
    { D::outputLength() } -> std::convertible_to<std::size_t>;
    { D::blockLength() } -> std::convertible_to<std::size_t>;
    requires std::default_initializable<typename D::Context>;
    context.update(octets);
    { context.finalize() } -> std::same_as<D>;
    { digest.encode() } -> std::same_as<Bytes>;
    { D::get(bytes) } -> std::same_as<std::optional<D>>;
    { out << digest } -> std::same_as<std::ostream&>;
};

// The digest operations a digest type may supply itself, each as X(name, argument types,
// call, signature as an error message spells it).
#define ZORVAN_DIGEST_OPERATIONS(X)                                                                \
    X(hash, (const LazyBytes&), (lazyMessage), "static D hash(const zorvan::LazyBytes&)")          \
    X(hashStrict, (const Bytes&), (message), "static D hashStrict(const zorvan::Bytes&)")          \
    X(hmac, (const Bytes&, const LazyBytes&), (key, lazyMessage),                                  \
      "static D hmac(const zorvan::Bytes&, const zorvan::LazyBytes&)")                             \
    X(hmacStrict, (const Bytes&, const Bytes&), (key, message),                                    \
      "static D hmacStrict(const zorvan::Bytes&, const zorvan::Bytes&)")

#define ZORVAN_UNPARENTHESISE(...) __VA_ARGS__
// For each operation: detail::declares_<name><D>() and detail::accepts_<name><D>, whether D's
// member of that name can be called the way the library calls it.
#define ZORVAN_DIGEST_MEMBER(name, types, arguments, signature)                                    \
    ZORVAN_DECLARED_MEMBER(name)                                                                   \
    namespace detail {                                                                             \
    template <class D>                                                                             \
    constexpr bool accepts_##name = requires(const Bytes& key, const LazyBytes& lazyMessage,       \
                                             const Bytes& message) {                               \
        { D::name arguments } -> std::same_as<D>;                                                  \
    };                                                                                             \
    }
ZORVAN_DIGEST_OPERATIONS(ZORVAN_DIGEST_MEMBER)

namespace detail {

/// checkDigestMembers: refuses to compile, naming the member and the signature it must have,
/// when D declares a member named like a digest operation that the library cannot call. Every
/// digest operation runs it.
template <Hash D> consteval bool checkDigestMembers() {
#define ZORVAN_CHECK_DIGEST_MEMBER(name, types, arguments, signature)                              \
    static_assert(!declares_##name<D, ZORVAN_UNPARENTHESISE types>() || accepts_##name<D>,         \
                  "zorvan: D::" #name " is not callable as " signature);
    ZORVAN_DIGEST_OPERATIONS(ZORVAN_CHECK_DIGEST_MEMBER)
#undef ZORVAN_CHECK_DIGEST_MEMBER
    return true;
}

} // namespace detail

#undef ZORVAN_DIGEST_MEMBER
#undef ZORVAN_UNPARENTHESISE
#undef ZORVAN_DIGEST_OPERATIONS

/// hash: the digest of a chunked message, fed to the context chunk by chunk, unless the digest
/// type provides its own static hash. A digest type supplies any of the four operations by
/// declaring a static member of the same name with the signature the error message shows (for
/// hmac: static D hmac(const zorvan::Bytes&, const zorvan::LazyBytes&)); a member of that name
/// the library cannot call so is a compile-time error, never a silent fall back to the default.
template <Hash D> D hash(const LazyBytes& message) {
    static_assert(detail::checkDigestMembers<D>());
    if constexpr (detail::accepts_hash<D>) {
        return D::hash(message);
    } else {
        typename D::Context context;
        for (const Bytes& chunk : message.toChunks()) {
            context.update(chunk.view());
        }
        return context.finalize();
    }
}

/// hashStrict: the digest of a contiguous message in one update, unless the digest type
/// provides its own static hashStrict.
template <Hash D> D hashStrict(const Bytes& message) {
    static_assert(detail::checkDigestMembers<D>());
    if constexpr (detail::accepts_hashStrict<D>) {
        return D::hashStrict(message);
    } else {
        typename D::Context context;
        context.update(message.view());
        return context.finalize();
    }
}

namespace detail {

/// hmacOver: HMAC as FIPS 198 defines it over any incremental hash: newContext() makes a context
/// with update(std::span<const std::uint8_t>) and finalize(); encode turns what finalize gives
/// into octets; shortenKey hashes a key longer than the block of blockOctets octets; and
/// feedMessage feeds the message to the inner context. A key longer than the block is hashed
/// first; the key is then zero-padded to the block and XORed with each pad octet.
template <class NewContext, class Encode, class ShortenKey, class FeedMessage>
auto hmacOver(std::size_t blockOctets, const Bytes& key, NewContext newContext, Encode encode,
              ShortenKey shortenKey, FeedMessage feedMessage) {
    const Bytes shortKey = key.size() > blockOctets ? shortenKey(key) : key;
    const auto paddedKey = [&](std::uint8_t pad) {
        std::vector<std::uint8_t> padded(blockOctets, pad);
        for (std::size_t i = 0; i < shortKey.size() && i < blockOctets; ++i) {
            padded[i] = static_cast<std::uint8_t>(shortKey[i] ^ pad);
        }
        return padded;
    };
    auto inner = newContext();
    inner.update(paddedKey(0x36));
    feedMessage(inner);
    const Bytes innerDigest = encode(inner.finalize());

    auto outer = newContext();
    outer.update(paddedKey(0x5c));
    outer.update(innerDigest.view());
    return outer.finalize();
}

template <Hash D, class FeedMessage> D hmacWith(const Bytes& key, FeedMessage feedMessage) {
    return hmacOver(
        D::blockLength() / 8, key, [] { return typename D::Context(); },
        [](const D& digest) { return digest.encode(); },
        [](const Bytes& longKey) { return hashStrict<D>(longKey).encode(); }, feedMessage);
}

} // namespace detail

/// hmac: HMAC (FIPS 198) of a chunked message under key, fed chunk by chunk, unless the digest
/// type provides its own static hmac.
template <Hash D> D hmac(const Bytes& key, const LazyBytes& message) {
    static_assert(detail::checkDigestMembers<D>());
    if constexpr (detail::accepts_hmac<D>) {
        return D::hmac(key, message);
    } else {
        return detail::hmacWith<D>(key, [&](typename D::Context& context) {
            for (const Bytes& chunk : message.toChunks()) {
                context.update(chunk.view());
            }
        });
    }
}

/// hmacStrict: HMAC (FIPS 198) of a contiguous message under key, unless the digest type
/// provides its own static hmacStrict.
template <Hash D> D hmacStrict(const Bytes& key, const Bytes& message) {
    static_assert(detail::checkDigestMembers<D>());
    if constexpr (detail::accepts_hmacStrict<D>) {
        return D::hmacStrict(key, message);
    } else {
        return detail::hmacWith<D>(
            key, [&](typename D::Context& context) { context.update(message.view()); });
    }
}

ZORVAN_DECLARED_MEMBER(hmacVerify)

namespace detail {
template <class D>
constexpr bool accepts_hmacVerify = requires(const Bytes& key, const Bytes& message,
                                             const Bytes& tag) {
    { D::hmacVerify(key, message, tag) } -> std::same_as<bool>;
};
} // namespace detail

/// hmacVerify: whether tag authenticates the contiguous message under key: hmacStrict's digest
/// whole, or truncated to its first minimumTagOctets (8) octets or more, every octet compared in
/// a time that does not depend on where they differ. A shorter tag is refused whatever its
/// octets, as verifyTag refuses one. The digest type's own
/// `static bool hmacVerify(const zorvan::Bytes&, const zorvan::Bytes&, const zorvan::Bytes&)` is
/// used where it declares one; a member of that name the library cannot call so is a
/// compile-time error.
template <Hash D> bool hmacVerify(const Bytes& key, const Bytes& message, const Bytes& tag) {
    static_assert(!detail::declares_hmacVerify<D, const Bytes&, const Bytes&, const Bytes&>() ||
                      detail::accepts_hmacVerify<D>,
                  "zorvan: D::hmacVerify is not callable as static bool hmacVerify(const "
                  "zorvan::Bytes&, const zorvan::Bytes&, const zorvan::Bytes&)");
    if constexpr (detail::accepts_hmacVerify<D>) {
        return D::hmacVerify(key, message, tag);
    } else {
        return detail::tagMatches(hmacStrict<D>(key, message).encode(), tag);
    }
}

} // namespace zorvan
