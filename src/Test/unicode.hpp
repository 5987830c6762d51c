#pragma once
// Reading UTF-8 text one character at a time, shared by the hex decoder and the KAT parser.
// Not installed: the public units take and return plain std::string / std::string_view.

#include <cstddef>
#include <string_view>

namespace Test::Unicode {

/// Character: one character of a text and the number of bytes it takes there.
struct Character {
    char32_t codePoint;
    std::size_t length;
};

/// readMultiByteCharacter: the character whose first byte, at offset, is 0x80 or above.
/// A byte that does not start a well-formed UTF-8 sequence is a character of its own, with
/// a code point in U+DC80..U+DCFF that no well-formed text yields. Never fails.
Character readMultiByteCharacter(std::string_view text, std::size_t offset) noexcept;

/// readCharacter: the character starting at text[offset] (offset < text.size()). Never fails.
inline Character readCharacter(std::string_view text, std::size_t offset) noexcept {
    const auto byte = static_cast<unsigned char>(text[offset]);
    if (byte < 0x80) {
        return {byte, 1};
    }
    return readMultiByteCharacter(text, offset);
}

/// isWhiteSpace: U+0020, U+0009..U+000D, U+00A0 and the space separators above U+0377;
/// U+0085, U+2028 and U+2029 are not white space.
constexpr bool isWhiteSpace(char32_t codePoint) noexcept {
    if (codePoint < 0x80) {
        return codePoint == U' ' || (codePoint >= U'\t' && codePoint <= U'\r');
    }
    return codePoint == 0x00A0 || codePoint == 0x1680 ||
           (codePoint >= 0x2000 && codePoint <= 0x200A) || codePoint == 0x202F ||
           codePoint == 0x205F || codePoint == 0x3000;
}

/// countCharacters: the number of characters of the text, a stray byte counting as one.
std::size_t countCharacters(std::string_view text) noexcept;

/// isWellFormed: whether the whole text is well-formed UTF-8.
bool isWellFormed(std::string_view text) noexcept;

} // namespace Test::Unicode
