#pragma once
// Hex decoding of test-vector fields: the one text-to-bytes conversion of the suites.

#include <zorvan/bytes.hpp>

#include <stdexcept>
#include <string_view>
#include <vector>

namespace Test::Crypto {

/// HexDecodingError: a text that hexStringToBS cannot decode; what() says why.
class HexDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// hexStringToBS: the octets of a hex text (UTF-8), one per pair of characters. A pair whose
/// second character is no hex digit gives the value of its first alone ("7 " gives 0x07).
/// Throws HexDecodingError when the text has an odd number of characters (whatever else is
/// wrong with it) or when a pair does not start with a hex digit; never returns part of
/// the result.
zorvan::Bytes hexStringToBS(std::string_view text);

namespace detail {

/// hexDecoderNames: the decoders of runs of hex digits that this build and processor have,
/// the portable one first ("portable", "avx2", "avx512"); hexStringToBS uses the widest.
std::vector<std::string_view> hexDecoderNames();

/// hexStringToBSWith: hexStringToBS with the named decoder, so that each can be compared with
/// the portable one. Throws as hexStringToBS does, and std::invalid_argument for a name
/// hexDecoderNames does not give.
zorvan::Bytes hexStringToBSWith(std::string_view decoderName, std::string_view text);

} // namespace detail

} // namespace Test::Crypto
