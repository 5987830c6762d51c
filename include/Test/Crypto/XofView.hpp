#pragma once
// Test::Crypto::XofView: an extendable-output function without its type, so that every XOF suite
// (known answers, Monte Carlo chains, length sweeps, laws) is compiled once in the library and a
// consumer's file instantiates no more than this view for each of its XOF types.

#include <zorvan/bytes.hpp>
#include <zorvan/xof.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace Test::Crypto {

/// XofContext: one running computation of the type under test: absorb, then squeeze.
class XofContext {
public:
    virtual ~XofContext() = default;
    /// absorb: the type's absorb of the octets.
    virtual void absorb(std::span<const std::uint8_t> octets) = 0;
    /// squeeze: the next `octets` octets of the output.
    [[nodiscard]] virtual zorvan::Bytes squeeze(std::size_t octets) = 0;
};

/// XofView: the XOF type under test. blockLength is asked of the type on every call, so that one
/// that throws fails only the leaf that needs it. Errors are those the type throws.
class XofView {
public:
    virtual ~XofView() = default;
    /// blockLength: the type's rate, in bits.
    [[nodiscard]] virtual std::size_t blockLength() const = 0; // bits: the rate
    /// squeezesInPieces: zorvan::squeezesInPieces of the type.
    [[nodiscard]] virtual bool squeezesInPieces() const = 0;
    /// newContext: a fresh Context of the type. Throws what its constructor throws
    /// (zorvan::testing::TestSkipped for an XOF the library lacks).
    [[nodiscard]] virtual std::unique_ptr<XofContext> newContext() const = 0;

    /// output: the first `octets` octets of the output of a message absorbed in one piece (or
    /// chunk by chunk) into a fresh context and squeezed at once.
    [[nodiscard]] zorvan::Bytes output(const zorvan::Bytes& message, std::size_t octets) const;
    /// output: the same for a chunked message, absorbed one chunk per absorb call.
    [[nodiscard]] zorvan::Bytes output(const zorvan::LazyBytes& message, std::size_t octets) const;
};

namespace detail {

template <zorvan::Xof X> class XofContextOf final : public XofContext {
public:
    void absorb(std::span<const std::uint8_t> octets) override { context_.absorb(octets); }
    [[nodiscard]] zorvan::Bytes squeeze(std::size_t octets) override {
        return context_.squeeze(octets);
    }

private:
    typename X::Context context_;
};

template <zorvan::Xof X> class XofViewOf final : public XofView {
public:
    [[nodiscard]] std::size_t blockLength() const override { return X::blockLength(); }
    [[nodiscard]] bool squeezesInPieces() const override { return zorvan::squeezesInPieces<X>(); }
    [[nodiscard]] std::unique_ptr<XofContext> newContext() const override {
        return std::make_unique<XofContextOf<X>>();
    }
};

} // namespace detail

/// xofView: the view of XOF type X.
template <zorvan::Xof X> std::shared_ptr<const XofView> xofView() {
    return std::make_shared<const detail::XofViewOf<X>>();
}

} // namespace Test::Crypto
