#pragma once
// The Hash concept and the operations derived from it: hash, hashStrict, hmac, hmacStrict.

#include <zorvan/bytes.hpp>

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

/// hash: the digest of a chunked message, fed to the context chunk by chunk, unless the digest
/// type provides its own static hash.
template <Hash D>
D hash(const LazyBytes& message) {
    if constexpr (requires { { D::hash(message) } -> std::same_as<D>; }) {
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
template <Hash D>
D hashStrict(const Bytes& message) {
    if constexpr (requires { { D::hashStrict(message) } -> std::same_as<D>; }) {
        return D::hashStrict(message);
    } else {
        typename D::Context context;
        context.update(message.view());
        return context.finalize();
    }
}

namespace detail {

// FIPS 198: a key longer than the block is hashed first; the key is then zero-padded to the
// block length and XORed with the pad octet.
template <Hash D>
std::vector<std::uint8_t> hmacPaddedKey(const Bytes& key, std::uint8_t pad) {
    const std::size_t blockOctets = D::blockLength() / 8;
    const Bytes shortKey = key.size() > blockOctets ? hashStrict<D>(key).encode() : key;
    std::vector<std::uint8_t> padded(blockOctets, pad);
    for (std::size_t i = 0; i < shortKey.size() && i < blockOctets; ++i) {
        padded[i] = static_cast<std::uint8_t>(shortKey[i] ^ pad);
    }
    return padded;
}

template <Hash D, class FeedMessage>
D hmacWith(const Bytes& key, FeedMessage feedMessage) {
    typename D::Context inner;
    inner.update(hmacPaddedKey<D>(key, 0x36));
    feedMessage(inner);
    const Bytes innerDigest = inner.finalize().encode();

    typename D::Context outer;
    outer.update(hmacPaddedKey<D>(key, 0x5c));
    outer.update(innerDigest.view());
    return outer.finalize();
}

} // namespace detail

/// hmac: HMAC (FIPS 198) of a chunked message under key, fed chunk by chunk, unless the digest
/// type provides its own static hmac.
template <Hash D>
D hmac(const Bytes& key, const LazyBytes& message) {
    if constexpr (requires { { D::hmac(key, message) } -> std::same_as<D>; }) {
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
template <Hash D>
D hmacStrict(const Bytes& key, const Bytes& message) {
    if constexpr (requires { { D::hmacStrict(key, message) } -> std::same_as<D>; }) {
        return D::hmacStrict(key, message);
    } else {
        return detail::hmacWith<D>(key, [&](typename D::Context& context) {
            context.update(message.view());
        });
    }
}

} // namespace zorvan
