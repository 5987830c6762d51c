#pragma once
// Digest<Algorithm>: the digest value type each backend builds its hashes on.

#include <zorvan/bytes.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <utility>

namespace zorvan::backends {

/// DigestState: one running computation of a library's hash or HMAC. finish gives the result
/// and leaves the state as freshly started; both report library failures by throwing.
template <class S>
concept DigestState = std::movable<S> && requires(S& state, std::span<const std::uint8_t> octets) {
    state.update(octets);
    { state.finish() } -> std::same_as<Bytes>;
};

/// DigestAlgorithm: what a backend tells Digest about one hash: its lengths in bits and how to
/// start a computation.
template <class A>
concept DigestAlgorithm = requires {
    { A::outputBits() } -> std::convertible_to<std::size_t>;
    { A::blockBits() } -> std::convertible_to<std::size_t>;
    { A::start() } -> DigestState;
};

/// NativeHmac: an algorithm whose library computes HMAC itself, started from a key.
template <class A>
concept NativeHmac = requires(std::span<const std::uint8_t> key) {
    { A::startHmac(key) } -> DigestState;
};

/// Digest: a digest of the hash that Algorithm describes, satisfying zorvan::Hash. It has the
/// library's own static hmac and hmacStrict when the library computes HMAC (NativeHmac), so
/// the generic FIPS 198 construction is not used for it. Library failures throw.
template <DigestAlgorithm Algorithm> class Digest {
public:
    /// outputLength: the digest's length in bits.
    static std::size_t outputLength() { return Algorithm::outputBits(); }
    /// blockLength: the hash's block length in bits (what HMAC pads its key to).
    static std::size_t blockLength() { return Algorithm::blockBits(); }

    /// Context: feeds a message piece by piece; finalize gives its digest and starts afresh.
    class Context {
    public:
        /// update: feeds the next piece of the message to the library.
        void update(std::span<const std::uint8_t> octets) { state_.update(octets); }
        /// finalize: the digest of what was fed; the context is ready for a new message.
        Digest finalize() { return Digest(state_.finish()); }

    private:
        decltype(Algorithm::start()) state_ = Algorithm::start();
    };

    /// encode: the digest's octets, in the order published vectors print them.
    [[nodiscard]] Bytes encode() const { return octets_; }

    /// get: a digest from the first outputLength/8 octets; nothing when there are fewer.
    static std::optional<Digest> get(const Bytes& bytes) {
        const std::size_t octets = outputLength() / 8;
        if (bytes.size() < octets) {
            return std::nullopt;
        }
        return Digest(bytes.take(octets));
    }

    /// hmac: the library's own HMAC of a chunked message, fed chunk by chunk.
    static Digest hmac(const Bytes& key, const LazyBytes& message) requires NativeHmac<Algorithm> {
        auto state = Algorithm::startHmac(key.view());
        for (const Bytes& chunk : message.toChunks()) {
            state.update(chunk.view());
        }
        return Digest(state.finish());
    }

    /// hmacStrict: the library's own HMAC of a contiguous message.
    static Digest hmacStrict(const Bytes& key,
                             const Bytes& message) requires NativeHmac<Algorithm> {
        auto state = Algorithm::startHmac(key.view());
        state.update(message.view());
        return Digest(state.finish());
    }

    /// operator==: the same octets.
    friend bool operator==(const Digest&, const Digest&) = default;
    /// operator<<: the digest in lower-case hex.
    friend std::ostream& operator<<(std::ostream& out, const Digest& digest) {
        return out << digest.octets_;
    }

private:
    explicit Digest(Bytes octets) : octets_(std::move(octets)) {}

    Bytes octets_;
};

} // namespace zorvan::backends
