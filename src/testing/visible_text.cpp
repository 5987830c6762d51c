#include "visible_text.hpp"

#include <array>
#include <cstdint>

namespace zorvan::testing::detail {

namespace {

// The length of the well-formed UTF-8 character at the start of text (RFC 3629: no
// overlong forms, no surrogates, nothing above U+10FFFF), or 0 when it is not one.
std::size_t characterLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(0);
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xbf;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (text.size() < length || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xbf) {
            return 0;
        }
    }
    return length;
}

bool isControl(std::string_view character) {
    const auto first = static_cast<std::uint8_t>(character[0]);
    if (character.size() == 1) {
        return (first < 0x20 && first != '\n' && first != '\t') || first == 0x7f;
    }
    // U+0080 to U+009F, the C1 controls, are 0xc2 0x80 to 0xc2 0x9f; XML has no U+FFFE or
    // U+FFFF.
    return (first == 0xc2 && static_cast<std::uint8_t>(character[1]) < 0xa0) ||
           character == "\xef\xbf\xbe" || character == "\xef\xbf\xbf";
}

void appendEscaped(std::string& out, std::string_view bytes) {
    constexpr std::array<char, 16> digits{'0', '1', '2', '3', '4', '5', '6', '7',
                                          '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    for (const char c : bytes) {
        const auto value = static_cast<std::uint8_t>(c);
        out += "\\x";
        out += digits[value >> 4];
        out += digits[value & 0xf];
    }
}

} // namespace

std::string visibleText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = characterLength(text);
        const std::string_view character = text.substr(0, length == 0 ? 1 : length);
        if (length == 0 || isControl(character)) {
            appendEscaped(out, character);
        } else {
            out += character;
        }
        text.remove_prefix(character.size());
    }
    return out;
}

std::string xmlText(std::string_view text) {
    std::string out;
    for (const char c : visibleText(text)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace zorvan::testing::detail
