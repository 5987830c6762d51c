#pragma once
// Test::Crypto::HashView: a digest type without its type, so that every hash and HMAC suite
// (known answers, length sweeps, Monte Carlo chains, property groups and laws) is compiled once
// in the library and a consumer's file instantiates no more than this view for each of its
// digest types.

#include <zorvan/bytes.hpp>
#include <zorvan/hash.hpp>
#include <zorvan/testing/describe.hpp>

#include <any>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace Test::Crypto {

/// Digest: one digest value of the type under test.
using Digest = std::any;

/// HashContext: one running digest computation of the type under test.
class HashContext {
public:
    virtual ~HashContext() = default;
    /// update: feeds the octets to the type's Context::update.
    virtual void update(std::span<const std::uint8_t> octets) = 0;
    /// finalize: the type's Context::finalize: the digest of what was fed, the context restarted.
    virtual Digest finalize() = 0;
    /// copy: an independent copy of the computation, or nullptr when Context is not copyable.
    [[nodiscard]] virtual std::unique_ptr<HashContext> copy() const = 0;
};

/// HashView: the digest type under test. hash ... hmacStrict are zorvan's operations (the
/// type's own member where it declares one); the octet forms give the encoded digest at once,
/// for the suites that only compare octets. The lengths are asked of the type on every call,
/// so that one that throws fails only the leaf that needs it. Errors are those the type throws.
class HashView {
public:
    virtual ~HashView() = default;
    /// outputLength: the type's outputLength(), in bits.
    [[nodiscard]] virtual std::size_t outputLength() const = 0; // bits
    /// blockLength: the type's blockLength(), in bits.
    [[nodiscard]] virtual std::size_t blockLength() const = 0; // bits
    /// newContext: a default-constructed Context of the type.
    [[nodiscard]] virtual std::unique_ptr<HashContext> newContext() const = 0;

    /// encode: the digest's encode(); the digest must be of the type under test.
    [[nodiscard]] virtual zorvan::Bytes encode(const Digest& digest) const = 0;
    /// get: the type's get(octets): a digest, or nothing when the type refuses the octets.
    [[nodiscard]] virtual std::optional<Digest> get(const zorvan::Bytes& octets) const = 0;
    /// equal: the type's operator== on two of its digests.
    [[nodiscard]] virtual bool equal(const Digest& first, const Digest& second) const = 0;
    /// print: the digest as the type prints it; by its encoded octets in a view made for the
    /// message suites only.
    [[nodiscard]] virtual std::string print(const Digest& digest) const;

    /// hash: zorvan::hash of the chunked message, the chunks fed one by one.
    [[nodiscard]] virtual Digest hash(const zorvan::LazyBytes& message) const = 0;
    /// hashStrict: zorvan::hashStrict of the contiguous message.
    [[nodiscard]] virtual Digest hashStrict(const zorvan::Bytes& message) const = 0;
    /// hmac: zorvan::hmac of the chunked message under the key.
    [[nodiscard]] virtual Digest hmac(const zorvan::Bytes& key,
                                      const zorvan::LazyBytes& message) const = 0;
    /// hmacStrict: zorvan::hmacStrict of the contiguous message under the key.
    [[nodiscard]] virtual Digest hmacStrict(const zorvan::Bytes& key,
                                            const zorvan::Bytes& message) const = 0;
    /// ownsHmac: whether the type supplies hmac or hmacStrict itself.
    [[nodiscard]] virtual bool ownsHmac() const = 0;
    /// hmacVerify: zorvan::hmacVerify of the tag, whole or truncated, for the message under the
    /// key (over the view's hmacStrict where the type has no hmacVerify of its own).
    [[nodiscard]] virtual bool hmacVerify(const zorvan::Bytes& key, const zorvan::Bytes& message,
                                          const zorvan::Bytes& tag) const = 0;

    /// digestOctets, chunkedDigestOctets: the encoded hashStrict and hash of a message.
    [[nodiscard]] virtual zorvan::Bytes digestOctets(const zorvan::Bytes& message) const = 0;
    /// chunkedDigestOctets: see digestOctets.
    [[nodiscard]] virtual zorvan::Bytes
    chunkedDigestOctets(const zorvan::LazyBytes& message) const = 0;
    /// PieceSink: takes the next piece of a message.
    using PieceSink = std::function<void(std::span<const std::uint8_t>)>;
    /// fedDigestOctets: the encoded digest of the message that feed gives a fresh Context of the
    /// type, piece by piece through the sink it is called with; the message is never held whole.
    [[nodiscard]] virtual zorvan::Bytes
    fedDigestOctets(const std::function<void(const PieceSink&)>& feed) const = 0;
    /// macOctets, chunkedMacOctets: the encoded hmacStrict and hmac of a message.
    [[nodiscard]] zorvan::Bytes macOctets(const zorvan::Bytes& key,
                                          const zorvan::Bytes& message) const;
    /// chunkedMacOctets: see macOctets.
    [[nodiscard]] zorvan::Bytes chunkedMacOctets(const zorvan::Bytes& key,
                                                 const zorvan::LazyBytes& message) const;
};

/// genericHmac: HMAC as FIPS 198 defines it over the view's Context, whatever the type supplies
/// (a key longer than the block is shortened with the view's hashStrict), the message fed chunk
/// by chunk, or a contiguous one in one update. Errors are those the type throws.
Digest genericHmac(const HashView& view, const zorvan::Bytes& key,
                   const zorvan::LazyBytes& message);
/// genericHmac: the same over a contiguous message, fed in one update.
Digest genericHmac(const HashView& view, const zorvan::Bytes& key, const zorvan::Bytes& message);

namespace detail {

// Whole: whether the view is the whole one (see hashView) or the message suites' (see
// messageView), which leaves out what they never use so that a program testing D's hashing
// compiles less: D's own HMAC members, copies of its Context, its printed form.
template <class D, bool Whole> class HashContextOf final : public HashContext {
public:
    void update(std::span<const std::uint8_t> octets) override { context_.update(octets); }
    Digest finalize() override { return context_.finalize(); }
    [[nodiscard]] std::unique_ptr<HashContext> copy() const override {
        if constexpr (Whole && std::copy_constructible<typename D::Context>) {
            return std::make_unique<HashContextOf>(*this);
        } else {
            return nullptr;
        }
    }

private:
    typename D::Context context_;
};

template <zorvan::Hash D, bool Whole> class HashViewOf final : public HashView {
public:
    [[nodiscard]] std::size_t outputLength() const override { return D::outputLength(); }
    [[nodiscard]] std::size_t blockLength() const override { return D::blockLength(); }
    [[nodiscard]] std::unique_ptr<HashContext> newContext() const override {
        return std::make_unique<HashContextOf<D, Whole>>();
    }

    [[nodiscard]] zorvan::Bytes encode(const Digest& digest) const override {
        return of(digest).encode();
    }
    [[nodiscard]] std::optional<Digest> get(const zorvan::Bytes& octets) const override {
        std::optional<D> digest = D::get(octets);
        return digest ? std::optional<Digest>(std::move(*digest)) : std::nullopt;
    }
    [[nodiscard]] bool equal(const Digest& first, const Digest& second) const override {
        return of(first) == of(second);
    }
    [[nodiscard]] std::string print(const Digest& digest) const override {
        if constexpr (Whole) {
            return zorvan::testing::describe(of(digest));
        } else {
            return HashView::print(digest);
        }
    }

    [[nodiscard]] Digest hash(const zorvan::LazyBytes& message) const override {
        return zorvan::hash<D>(message);
    }
    [[nodiscard]] Digest hashStrict(const zorvan::Bytes& message) const override {
        return zorvan::hashStrict<D>(message);
    }
    // Without a member of its own, HMAC runs in the library over the view's Context, as
    // zorvan::hmac's default runs it over D's.
    [[nodiscard]] Digest hmac(const zorvan::Bytes& key,
                              const zorvan::LazyBytes& message) const override {
        if constexpr (Whole && zorvan::detail::accepts_hmac<D>) {
            return zorvan::hmac<D>(key, message);
        } else {
            return genericHmac(*this, key, message);
        }
    }
    [[nodiscard]] Digest hmacStrict(const zorvan::Bytes& key,
                                    const zorvan::Bytes& message) const override {
        if constexpr (Whole && zorvan::detail::accepts_hmacStrict<D>) {
            return zorvan::hmacStrict<D>(key, message);
        } else {
            return genericHmac(*this, key, message);
        }
    }
    [[nodiscard]] bool hmacVerify(const zorvan::Bytes& key, const zorvan::Bytes& message,
                                  const zorvan::Bytes& tag) const override {
        if constexpr (Whole && zorvan::detail::accepts_hmacVerify<D>) {
            return zorvan::hmacVerify<D>(key, message, tag);
        } else {
            return zorvan::detail::tagMatches(encode(hmacStrict(key, message)), tag);
        }
    }
    [[nodiscard]] bool ownsHmac() const override {
        if constexpr (Whole) {
            return zorvan::detail::accepts_hmac<D> || zorvan::detail::accepts_hmacStrict<D>;
        } else {
            return false;
        }
    }

    [[nodiscard]] zorvan::Bytes digestOctets(const zorvan::Bytes& message) const override {
        return zorvan::hashStrict<D>(message).encode();
    }
    [[nodiscard]] zorvan::Bytes
    chunkedDigestOctets(const zorvan::LazyBytes& message) const override {
        return zorvan::hash<D>(message).encode();
    }
    [[nodiscard]] zorvan::Bytes
    fedDigestOctets(const std::function<void(const PieceSink&)>& feed) const override {
        typename D::Context context;
        feed([&](std::span<const std::uint8_t> piece) { context.update(piece); });
        return context.finalize().encode();
    }

private:
    static const D& of(const Digest& digest) { return std::any_cast<const D&>(digest); }
};

} // namespace detail

/// hashView: the view of digest type D.
template <zorvan::Hash D> std::shared_ptr<const HashView> hashView() {
    // Checked here, not first in the view's virtual functions (instantiated at the end of the
    // file, out of the builder's context), so that a refusal points at the user's builder call.
    static_assert(zorvan::detail::checkDigestMembers<D>());
    return std::make_shared<const detail::HashViewOf<D, true>>();
}

/// macView: the same view, under the name the HMAC builders once took it by.
template <zorvan::Hash D> std::shared_ptr<const HashView> macView() {
    return hashView<D>();
}

/// messageView: the view of digest type D that the message suites (NIST's message files, the
/// length sweeps, Monte Carlo hashing and the hash property group) take: the same, except that
/// its hmac and hmacStrict are FIPS 198 over D's Context whatever D declares (and ownsHmac is
/// false), its Context cannot be copied, and it prints a digest by its encoded octets. What it
/// leaves out they never use, and a program that builds them compiles it no more.
template <zorvan::Hash D> std::shared_ptr<const HashView> messageView() {
    static_assert(zorvan::detail::checkDigestMembers<D>());
    return std::make_shared<const detail::HashViewOf<D, false>>();
}

} // namespace Test::Crypto
