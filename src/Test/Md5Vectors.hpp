#pragma once
// The MD5 test suite of RFC 1321 (appendix A.5) and how the MD5 suite feeds its messages.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <span>
#include <string_view>

namespace Test::MD5 {

/// Md5Vector: one known answer: the assertion message, the ASCII message and its digest in hex.
struct Md5Vector {
    std::string_view assertionMessage;
    std::string_view message;
    std::string_view digestHex;
};

/// md5Vectors: the RFC 1321 test suite (appendix A.5), in its order.
std::span<const Md5Vector> md5Vectors() noexcept;

/// md5Origin: where the vector of the given row (from 1) of md5Vectors stands: "RFC 1321 A.5",
/// that row, and the row as the RFC prints it (MD5 ("abc") = 9001...). Throws
/// std::out_of_range for a row the suite does not have.
zorvan::testing::VectorOrigin md5Origin(std::size_t row);

/// packInDoublingChunks: the octets as chunks of 32, 64, 128, ... octets, the last shorter;
/// the empty string gives no chunk.
zorvan::LazyBytes packInDoublingChunks(const zorvan::Bytes& octets);

} // namespace Test::MD5
