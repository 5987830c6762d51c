// Fuzzes hexStringToBS through every decoder of hex-digit runs the build and processor have:
// each must give the portable decoder's octets, octet for octet, or the same error; a text of
// hex digits only must give the octets a one-pair-at-a-time reading gives; and any text either
// decodes to one octet per pair of characters or raises HexDecodingError, the odd-length one
// exactly when the character count is odd.

#include <Test/Crypto/hex.hpp>

#include "Test/unicode.hpp"
#include "fuzz_input.hpp"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view oddLengthMessage =
    "Not an even number of hex characters in input to hexStringToBS!";

using fuzz::require;

// The result of one decoder: the octets, or the error's message.
struct Decoded {
    std::optional<zorvan::Bytes> octets;
    std::string error;

    friend bool operator==(const Decoded&, const Decoded&) = default;
};

Decoded decodeWith(std::string_view decoder, std::string_view text) {
    try {
        return {Test::Crypto::detail::hexStringToBSWith(decoder, text), ""};
    } catch (const Test::Crypto::HexDecodingError& error) {
        return {std::nullopt, error.what()};
    }
}

int nibble(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The octets of an even-length text of hex digits only, read pair by pair; nothing otherwise.
std::optional<zorvan::Bytes> referenceOctets(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> octets;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = nibble(text[i]);
        const int low = nibble(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        octets.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    return zorvan::Bytes(octets);
}

const std::vector<std::string_view> decoders = Test::Crypto::detail::hexDecoderNames();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t characters = Test::Unicode::countCharacters(text);
    const Decoded portable = decodeWith(decoders.front(), text);
    for (const std::string_view decoder : decoders) {
        require(decodeWith(decoder, text) == portable);
    }
    require(decodeWith(decoders.back(), text).octets == [&] {
        try {
            return std::optional(Test::Crypto::hexStringToBS(text));
        } catch (const Test::Crypto::HexDecodingError&) {
            return std::optional<zorvan::Bytes>();
        }
    }());
    if (const std::optional<zorvan::Bytes> expected = referenceOctets(text)) {
        require(portable.octets == expected);
    }
    if (portable.octets) {
        require(portable.octets->size() * 2 == characters);
    } else {
        require((portable.error == oddLengthMessage) == (characters % 2 != 0));
    }
    return 0;
}
