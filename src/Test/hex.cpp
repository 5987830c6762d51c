#include <Test/Crypto/hex.hpp>

#include "unicode.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>

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

// The pair-by-pair reader, for texts holding something other than hex digits: it reads UTF-8
// characters, so the pairs and positions it reports are those of characters, not bytes.
zorvan::Bytes decodePairs(std::string_view text, std::size_t pairs) {
    return zorvan::Bytes::create(pairs, [&](std::span<std::uint8_t> octets) {
        for (std::size_t offset = 0, index = 0; index < pairs; ++index) {
            const Unicode::Character first = Unicode::readCharacter(text, offset);
            const Unicode::Character second = Unicode::readCharacter(text, offset + first.length);
            const std::size_t pairLength = first.length + second.length;
            const int high = hexDigitValue(first.codePoint);
            if (high == notADigit) {
                throw HexDecodingError(
                    noReadingMessage(text.substr(offset, pairLength), index * 2));
            }
            const int low = hexDigitValue(second.codePoint);
            octets[index] = static_cast<std::uint8_t>(low == notADigit ? high : high * 16 + low);
            offset += pairLength;
        }
    });
}

constexpr std::size_t charactersAtOnce = 16;

#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// Sixteen characters at once as the lanes of a vector (GCC and Clang vector extensions):
// vector fields are long runs of hex digits, and a character at a time is what decoding them
// costs most. Gives false, writing nothing, unless all sixteen are hex digits.
using CharacterLanes = std::uint8_t __attribute__((vector_size(charactersAtOnce)));
using PairLanes = std::uint16_t __attribute__((vector_size(charactersAtOnce)));
using OctetLanes = std::uint8_t __attribute__((vector_size(charactersAtOnce / 2)));

bool decodeSixteenDigits(const char* text, std::uint8_t* octets) noexcept {
    CharacterLanes characters;
    std::memcpy(&characters, text, sizeof characters);
    const CharacterLanes lowerCase = characters | 0x20;
    // Comparisons give lanes of all ones where true.
    const auto letters = (CharacterLanes)((lowerCase - 'a') < 6);
    const auto hexDigits = (CharacterLanes)((characters - '0') < 10) | letters;
    std::array<std::uint64_t, 2> allHexDigits{};
    std::memcpy(allHexDigits.data(), &hexDigits, sizeof hexDigits);
    if ((allHexDigits[0] & allHexDigits[1]) != ~std::uint64_t{0}) {
        return false;
    }
    // A digit's value is its low four bits; a letter's, those plus 9.
    const CharacterLanes values = (lowerCase & 0x0F) + (letters & 9);
    // Little-endian: each pair is a 16-bit lane holding its first character in the low byte.
    const auto pairs = reinterpret_cast<const PairLanes&>(values);
    const OctetLanes decoded =
        __builtin_convertvector(((pairs & 0xFF) << 4) | (pairs >> 8), OctetLanes);
    std::memcpy(octets, &decoded, sizeof decoded);
    return true;
}
#else
bool decodeSixteenDigits(const char* /*text*/, std::uint8_t* /*octets*/) noexcept {
    return false;
}
#endif

// The octets of a text of hex digits only, or nothing when it holds any other character.
std::optional<zorvan::Bytes> decodeDigitsOnly(std::string_view text) {
    bool allDigits = true;
    zorvan::Bytes decoded =
        zorvan::Bytes::create(text.size() / 2, [&](std::span<std::uint8_t> octets) {
            std::size_t index = 0;
            while (index * 2 + charactersAtOnce <= text.size() &&
                   decodeSixteenDigits(text.data() + index * 2, octets.data() + index)) {
                index += charactersAtOnce / 2;
            }
            for (; allDigits && index < octets.size(); ++index) {
                const int high = digitValues[static_cast<unsigned char>(text[index * 2])];
                const int low = digitValues[static_cast<unsigned char>(text[index * 2 + 1])];
                allDigits = high != notADigit && low != notADigit;
                octets[index] = static_cast<std::uint8_t>(high * 16 + low);
            }
        });
    return allDigits ? std::optional(std::move(decoded)) : std::nullopt;
}

} // namespace

zorvan::Bytes hexStringToBS(std::string_view text) {
    if (text.size() % 2 == 0) {
        if (std::optional<zorvan::Bytes> decoded = decodeDigitsOnly(text)) {
            return std::move(*decoded);
        }
    }
    const std::size_t characters = Unicode::countCharacters(text);
    if (characters % 2 != 0) {
        throw HexDecodingError(std::string(oddLengthMessage));
    }
    return decodePairs(text, characters / 2);
}

} // namespace Test::Crypto
