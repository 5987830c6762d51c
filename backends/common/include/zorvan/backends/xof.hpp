#pragma once
// XofFunction<Algorithm>: the XOF type each backend builds its SHAKE functions on.

#include <zorvan/bytes.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan::backends {

/// XofState: one running computation of a library's XOF: absorb, then squeeze; both report
/// library failures by throwing.
template <class S>
concept XofState = std::movable<S> &&
    requires(S& state, std::span<const std::uint8_t> octets, std::size_t length) {
    state.absorb(octets);
    { state.squeeze(length) } -> std::same_as<Bytes>;
};

/// XofAlgorithm: what a backend tells XofFunction about one XOF: its rate in bits, whether its
/// library squeezes more than once, and how to start a computation.
template <class A>
concept XofAlgorithm = requires {
    { A::blockBits() } -> std::convertible_to<std::size_t>;
    { A::squeezesInPieces } -> std::convertible_to<bool>;
    { A::start() } -> XofState;
};

/// XofFunction: the XOF that Algorithm describes, satisfying zorvan::Xof.
template <XofAlgorithm Algorithm> class XofFunction {
public:
    /// blockLength: Algorithm::blockBits(), the rate in bits.
    static std::size_t blockLength() { return Algorithm::blockBits(); }
    /// squeezesInPieces: Algorithm's: whether a Context may squeeze more than once.
    static constexpr bool squeezesInPieces = Algorithm::squeezesInPieces;

    /// Context: one computation, started with Algorithm::start() when the Context is made.
    /// Throws what start throws.
    class Context {
    public:
        /// absorb: feeds the octets to the library's computation. Throws what the library's state
        /// throws.
        void absorb(std::span<const std::uint8_t> octets) { state_.absorb(octets); }
        /// squeeze: the next `length` octets of the output. Throws what the library's state throws.
        Bytes squeeze(std::size_t length) { return state_.squeeze(length); }

    private:
        decltype(Algorithm::start()) state_ = Algorithm::start();
    };
};

} // namespace zorvan::backends
