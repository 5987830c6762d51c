#pragma once
// What the SHAKE suites share: the output fields of NIST's SHAKE files and how they decode.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <string>
#include <string_view>

namespace Test::XOF {

inline constexpr std::string_view countField = "COUNT";
inline constexpr std::string_view outputField = "Output";
inline constexpr std::string_view outputLengthField = "Outputlen";

/// knownOutput: a record's Output, which must hold as many octets as its Outputlen says in bits.
/// Throws Test::Crypto::HexDecodingError for bad hex and Test::KatValues::KatValueError for an
/// Outputlen that is not an integer or disagrees, each naming the place and the field.
zorvan::Bytes knownOutput(const zorvan::testing::VectorOrigin& origin,
                          const std::string& outputLength, const std::string& output);

} // namespace Test::XOF
