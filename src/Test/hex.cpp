#include <Test/Crypto/hex.hpp>

#include "unicode.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
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
constexpr int notAscii = -2;

// Indexed by byte: the hex digit value, notADigit for other ASCII, notAscii from 0x80.
constexpr std::array<std::int8_t, 256> asciiDigitValues = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(notAscii);
    std::fill_n(values.begin(), 0x80, static_cast<std::int8_t>(notADigit));
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
    return codePoint < 0x80 ? asciiDigitValues[codePoint] : notADigit;
}

std::size_t countCharacters(std::string_view text) noexcept {
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < text.size(); ++count) {
        offset += Unicode::readCharacter(text, offset).length;
    }
    return count;
}

// Vector files hold megabytes of hex, decoded again on every run: plain ASCII hex of even
// length is decoded a byte pair at a time without the UTF-8 reader. Nothing for any other
// text, which the general reading decodes or reports.
std::optional<zorvan::Bytes> decodePlainAscii(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> octets(text.size() / 2);
    for (std::size_t index = 0; index < octets.size(); ++index) {
        const int high = asciiDigitValues[static_cast<unsigned char>(text[2 * index])];
        const int low = asciiDigitValues[static_cast<unsigned char>(text[2 * index + 1])];
        if (high < 0 || low == notAscii) {
            return std::nullopt;
        }
        octets[index] = static_cast<std::uint8_t>(low == notADigit ? high : high * 16 + low);
    }
    return zorvan::Bytes(std::move(octets));
}

} // namespace

zorvan::Bytes hexStringToBS(std::string_view text) {
    if (std::optional<zorvan::Bytes> plain = decodePlainAscii(text)) {
        return std::move(*plain);
    }
    if (countCharacters(text) % 2 != 0) {
        throw HexDecodingError(std::string(oddLengthMessage));
    }
    std::vector<std::uint8_t> octets;
    octets.reserve(text.size() / 2);
    for (std::size_t offset = 0, position = 0; offset < text.size(); position += 2) {
        const Unicode::Character first = Unicode::readCharacter(text, offset);
        const Unicode::Character second = Unicode::readCharacter(text, offset + first.length);
        const std::size_t pairLength = first.length + second.length;
        const int high = hexDigitValue(first.codePoint);
        if (high == notADigit) {
            throw HexDecodingError(noReadingMessage(text.substr(offset, pairLength), position));
        }
        const int low = hexDigitValue(second.codePoint);
        octets.push_back(static_cast<std::uint8_t>(low == notADigit ? high : high * 16 + low));
        offset += pairLength;
    }
    return zorvan::Bytes(std::move(octets));
}

} // namespace Test::Crypto
