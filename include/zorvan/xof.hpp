#pragma once
// The Xof concept: an extendable-output function (SHAKE128, SHAKE256) that absorbs a message in
// pieces and then squeezes as many octets as the caller asks for.

#include <zorvan/bytes.hpp>

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <span>

namespace zorvan {

/// Xof: an extendable-output function X with its incremental Context. blockLength is the
/// sponge's rate in bits (1344 for SHAKE128, 1088 for SHAKE256).
///
/// A default-constructed Context absorbs the message piece by piece; squeeze(n) then gives the
/// next n octets of the output, so that squeezing n and then m octets gives the first n + m
/// octets of the output of one squeeze of n + m. A Context that has squeezed absorbs no more.
/// A type whose library squeezes only once per message declares
/// `static constexpr bool squeezesInPieces = false;`, and the laws of squeezing in pieces are
/// skipped for it.
///
/// The contract the library tests (see Test::XOF): the output does not depend on how the
/// message is cut into absorb calls (empty ones included); the first n octets of a longer
/// output are the output of length n; squeezing in pieces gives what one squeeze gives.
template <class X>
concept Xof = requires(typename X::Context& context, std::span<const std::uint8_t> octets,
                       std::size_t length) {
    { X::blockLength() } -> std::convertible_to<std::size_t>;
    requires std::default_initializable<typename X::Context>;
    context.absorb(octets);
    { context.squeeze(length) } -> std::same_as<Bytes>;
};

/// squeezesInPieces: whether X's Context may squeeze more than once: X::squeezesInPieces where
/// X declares it, true otherwise. A declaration that is not a constant convertible to bool does
/// not compile.
template <Xof X> consteval bool squeezesInPieces() {
    if constexpr (requires { X::squeezesInPieces; }) {
        static_assert(
            requires { requires std::convertible_to<decltype(X::squeezesInPieces), bool>; },
            "zorvan: X::squeezesInPieces is not declared as "
            "static constexpr bool squeezesInPieces");
        return static_cast<bool>(X::squeezesInPieces);
    } else {
        return true;
    }
}

} // namespace zorvan
