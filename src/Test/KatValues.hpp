#pragma once
// Reading the values of KAT fields that the suites share: hex and a decimal integer, each error
// naming where the vector stands and the field; a prefix of a byte string given by a signed
// count, and a message cut into fixed-size chunks.

#include <zorvan/bytes.hpp>
#include <zorvan/testing/origin.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Test::KatValues {

/// KatValueError: a KAT field whose text does not read as the value it should hold; what()
/// names the field and quotes the text.
class KatValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// trimmed: text without the ASCII white space that leads and trails it. Never fails.
std::string_view trimmed(std::string_view text) noexcept;

/// readInteger: the signed 64-bit decimal integer that the text of field fieldName holds,
/// with an optional leading '-' and white space allowed around it. Throws KatValueError
/// naming the field and the text when it holds anything else or a value out of range.
std::int64_t readInteger(std::string_view fieldName, std::string_view text);

/// hexField: hexStringToBS of the text of field fieldName of the vector at origin. Throws
/// Test::Crypto::HexDecodingError whose what() is the place, the field and hexStringToBS's own
/// message ("Test/KAT_SHA/SHA1ShortMsg.rsp:12: Msg: Not an even number of hex characters ...").
zorvan::Bytes hexField(const zorvan::testing::VectorOrigin& origin, std::string_view fieldName,
                       std::string_view text);

/// recordHex: hexStringToBS of the text of field fieldName, or nothing, with "fieldName: why" in
/// damage unless damage already says why: for a value a suite decodes while it builds (a key, to
/// learn its size), whose damage must fail its record alone. Never fails beyond allocation.
std::optional<zorvan::Bytes> recordHex(std::string_view fieldName, std::string_view text,
                                       std::string& damage);

/// integerField: readInteger of the text of field fieldName of the vector at origin. Throws
/// KatValueError as readInteger does, its what() led by the place.
std::int64_t integerField(const zorvan::testing::VectorOrigin& origin, std::string_view fieldName,
                          std::string_view text);

/// disagree: throws KatValueError with the vector's place, then why ("Len = 99 bits, but Msg
/// holds 2 octets").
[[noreturn]] void disagree(const zorvan::testing::VectorOrigin& origin, const std::string& why);

/// optionalText: a copy of an optional field's text. Never fails beyond allocation.
std::optional<std::string> optionalText(std::optional<std::string_view> text);

/// takeOctets: the first count octets of bytes; none when count is 0 or negative, all of
/// them when count is at least the length. Never fails.
zorvan::Bytes takeOctets(const zorvan::Bytes& bytes, std::int64_t count);

/// messageChunkSize: the chunk length in octets that the suites feed chunked messages in,
/// chosen to fall across block boundaries of every hash.
inline constexpr std::size_t messageChunkSize = 37;

/// chunkMessage: the message as consecutive chunks of messageChunkSize octets, the last
/// holding the remaining 1 to messageChunkSize; no chunk at all for the empty message.
/// Never fails.
zorvan::LazyBytes chunkMessage(const zorvan::Bytes& message);

} // namespace Test::KatValues
