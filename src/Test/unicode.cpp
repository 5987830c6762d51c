#include "unicode.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace Test::Unicode {

namespace {

constexpr char32_t firstStrayByteCodePoint = 0xDC00;

bool isContinuation(unsigned char byte) noexcept {
    return (byte & 0xC0) == 0x80;
}

// The bounds of the second byte exclude overlong forms, surrogates and code points past
// U+10FFFF (Unicode table 3-7, "Well-Formed UTF-8 Byte Sequences").
struct SequenceShape {
    std::size_t length;
    char32_t leadBits;
    unsigned char secondLow;
    unsigned char secondHigh;
};

constexpr SequenceShape invalidShape{1, 0, 0, 0};

constexpr SequenceShape shapeOf(unsigned char lead) noexcept {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return {2, lead & 0x1Fu, 0x80, 0xBF};
    }
    if (lead == 0xE0) {
        return {3, lead & 0x0Fu, 0xA0, 0xBF};
    }
    if (lead == 0xED) {
        return {3, lead & 0x0Fu, 0x80, 0x9F};
    }
    if (lead >= 0xE1 && lead <= 0xEF) {
        return {3, lead & 0x0Fu, 0x80, 0xBF};
    }
    if (lead == 0xF0) {
        return {4, lead & 0x07u, 0x90, 0xBF};
    }
    if (lead >= 0xF1 && lead <= 0xF3) {
        return {4, lead & 0x07u, 0x80, 0xBF};
    }
    if (lead == 0xF4) {
        return {4, lead & 0x07u, 0x80, 0x8F};
    }
    return invalidShape;
}

// Eight bytes at a time: a text without a byte from 0x80 up is all characters of one byte.
bool isAscii(std::string_view text) noexcept {
    constexpr std::uint64_t topBits = 0x8080808080808080;
    std::size_t offset = 0;
    for (std::uint64_t word = 0; offset + sizeof word <= text.size(); offset += sizeof word) {
        std::memcpy(&word, text.data() + offset, sizeof word);
        if ((word & topBits) != 0) {
            return false;
        }
    }
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(offset), text.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

} // namespace

Character readMultiByteCharacter(std::string_view text, std::size_t offset) noexcept {
    const auto lead = static_cast<unsigned char>(text[offset]);
    const Character stray{firstStrayByteCodePoint + lead, 1};
    const SequenceShape shape = shapeOf(lead);
    if (shape.length == 1 || text.size() - offset < shape.length) {
        return stray;
    }
    const auto second = static_cast<unsigned char>(text[offset + 1]);
    if (second < shape.secondLow || second > shape.secondHigh) {
        return stray;
    }
    char32_t codePoint = (shape.leadBits << 6) | (second & 0x3Fu);
    for (std::size_t index = 2; index < shape.length; ++index) {
        const auto next = static_cast<unsigned char>(text[offset + index]);
        if (!isContinuation(next)) {
            return stray;
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    return {codePoint, shape.length};
}

std::size_t countCharacters(std::string_view text) noexcept {
    if (isAscii(text)) {
        return text.size();
    }
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < text.size(); ++count) {
        offset += readCharacter(text, offset).length;
    }
    return count;
}

bool isWellFormed(std::string_view text) noexcept {
    for (std::size_t offset = 0; offset < text.size();) {
        const Character character = readCharacter(text, offset);
        // A single byte reads as a code point of 0x80 or above only when it is stray.
        if (character.length == 1 && character.codePoint >= 0x80) {
            return false;
        }
        offset += character.length;
    }
    return true;
}

} // namespace Test::Unicode
