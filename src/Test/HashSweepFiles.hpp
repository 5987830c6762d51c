#pragma once
// The pattern messages of the length sweeps and the long messages, and what their records say.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace Test::HashSweep {

/// patternMessage: the first `length` octets of the pattern, octet i being i mod 251. Never
/// fails.
zorvan::Bytes patternMessage(std::size_t length);

/// feedPattern: calls feed with consecutive pieces of the first `length` octets of the
/// pattern, a few hundred KiB at most each, so that no message is ever held whole. Errors are
/// those feed throws.
void feedPattern(std::uint64_t length,
                 const std::function<void(std::span<const std::uint8_t>)>& feed);

/// PatternVector: one record of a selected file: the test's name ("SweepSHA256-440bits"),
/// the "Len" text (bits) and the "MD" text (hex), undecoded, and where it stands.
struct PatternVector {
    std::string name;
    std::string length;
    std::string digest;
    zorvan::testing::VectorOrigin origin{};
};

/// messageOctets: the vector's "Len" in octets. Throws Test::KatValues::KatValueError naming the
/// place and quoting the text when it is not a non-negative multiple of 8.
std::uint64_t messageOctets(const PatternVector& vector);

} // namespace Test::HashSweep
