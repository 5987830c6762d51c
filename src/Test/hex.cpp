#include <Test/Crypto/hex.hpp>

#include "unicode.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Test::Crypto {

namespace {

constexpr std::string_view oddLengthMessage =
    "Not an even number of hex characters in input to hexStringToBS!";

std::string noReadingMessage(std::string_view pair, std::size_t position) {
    return "No hex digit starts the pair \"" + std::string(pair) + "\" at character " +
           std::to_string(position) + " of the input to hexStringToBS!";
}

constexpr int notADigit = -1;

// Indexed by any code point below 256, so that a byte needs no range check.
constexpr std::array<std::int8_t, 256> digitValues = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(notADigit);
    for (int digit = 0; digit < 10; ++digit) {
        values[static_cast<std::size_t>('0' + digit)] = static_cast<std::int8_t>(digit);
    }
    for (int letter = 0; letter < 6; ++letter) {
        values[static_cast<std::size_t>('a' + letter)] = static_cast<std::int8_t>(10 + letter);
        values[static_cast<std::size_t>('A' + letter)] = static_cast<std::int8_t>(10 + letter);
    }
    return values;
}();

int hexDigitValue(char32_t codePoint) noexcept {
    return codePoint < digitValues.size() ? digitValues[codePoint] : notADigit;
}

// When every byte is a character of its own, the pairs can be read byte by byte: a stray
// byte is no digit either way. Function objects, so that each reader is inlined.
constexpr auto readByteAsCharacter = [](std::string_view text, std::size_t offset) noexcept {
    return Unicode::Character{static_cast<unsigned char>(text[offset]), 1};
};
constexpr auto readUtf8Character = [](std::string_view text, std::size_t offset) noexcept {
    return Unicode::readCharacter(text, offset);
};

template <typename ReadCharacter>
zorvan::Bytes decodePairs(std::string_view text, std::size_t pairs, ReadCharacter readCharacter) {
    std::vector<std::uint8_t> octets(pairs);
    for (std::size_t offset = 0, index = 0; index < pairs; ++index) {
        const Unicode::Character first = readCharacter(text, offset);
        const Unicode::Character second = readCharacter(text, offset + first.length);
        const std::size_t pairLength = first.length + second.length;
        const int high = hexDigitValue(first.codePoint);
        if (high == notADigit) {
            throw HexDecodingError(noReadingMessage(text.substr(offset, pairLength), index * 2));
        }
        const int low = hexDigitValue(second.codePoint);
        octets[index] = static_cast<std::uint8_t>(low == notADigit ? high : high * 16 + low);
        offset += pairLength;
    }
    return zorvan::Bytes(std::move(octets));
}

} // namespace

zorvan::Bytes hexStringToBS(std::string_view text) {
    const std::size_t characters = Unicode::countCharacters(text);
    if (characters % 2 != 0) {
        throw HexDecodingError(std::string(oddLengthMessage));
    }
    if (characters == text.size()) {
        return decodePairs(text, characters / 2, readByteAsCharacter);
    }
    return decodePairs(text, characters / 2, readUtf8Character);
}

} // namespace Test::Crypto
