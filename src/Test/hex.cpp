#include <Test/Crypto/hex.hpp>

#include "unicode.hpp"

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace Test::Crypto {

namespace {

constexpr std::string_view oddLengthMessage =
    "Not an even number of hex characters in input to hexStringToBS!";

std::string noReadingMessage(std::string_view pair, std::size_t position) {
    return "No hex digit starts the pair \"" + std::string(pair) + "\" at character " +
           std::to_string(position) + " of the input to hexStringToBS!";
}

constexpr std::uint8_t notADigit = 0xff;

// Indexed by any code point below 256, so that a byte needs no range check.
constexpr std::array<std::uint8_t, 256> digitValues = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(notADigit);
    for (std::size_t digit = 0; digit < 10; ++digit) {
        values['0' + digit] = static_cast<std::uint8_t>(digit);
    }
    for (std::size_t letter = 0; letter < 6; ++letter) {
        values['a' + letter] = static_cast<std::uint8_t>(10 + letter);
        values['A' + letter] = static_cast<std::uint8_t>(10 + letter);
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

using DigitGroupDecoder = std::size_t (*)(std::string_view, std::uint8_t*) noexcept;

#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
// Many characters at once as the lanes of a vector (GCC and Clang vector extensions): vector
// fields are long runs of hex digits, and decoding them is most of what a suite run costs
// besides the primitive itself. The lane types are spelled out per width: GCC takes no
// dependent vector_size in an alias template.
template <std::size_t Characters> struct Lanes;
#define ZORVAN_HEX_LANES(characters)                                                               \
    template <> struct Lanes<characters> {                                                         \
        using Text = std::uint8_t __attribute__((vector_size(characters)));                        \
        using Pairs = std::uint16_t __attribute__((vector_size(characters)));                      \
        using Octets = std::uint8_t __attribute__((vector_size((characters) / 2)));                \
    };
ZORVAN_HEX_LANES(16)
ZORVAN_HEX_LANES(32)
ZORVAN_HEX_LANES(64)
#undef ZORVAN_HEX_LANES

// Decodes Characters hex digits into Characters/2 octets; gives false, writing nothing, unless
// all of them are hex digits. Always inlined, so each caller's target decides the instructions.
template <std::size_t Characters>
[[gnu::always_inline]] inline bool decodeDigitLanes(const char* text,
                                                    std::uint8_t* octets) noexcept {
    using Vectors = Lanes<Characters>;
    typename Vectors::Text characters;
    std::memcpy(&characters, text, sizeof characters);
    const typename Vectors::Text lowerCase = characters | 0x20;
    // Comparisons give lanes of all ones where true.
    const auto letters = (typename Vectors::Text)((lowerCase - 'a') < 6);
    const auto hexDigits = (typename Vectors::Text)((characters - '0') < 10) | letters;
    std::array<std::uint64_t, Characters / 8> words{};
    std::memcpy(words.data(), &hexDigits, sizeof hexDigits);
    std::uint64_t allHexDigits = ~std::uint64_t{0};
    for (const std::uint64_t word : words) {
        allHexDigits &= word;
    }
    if (allHexDigits != ~std::uint64_t{0}) {
        return false;
    }
    // A digit's value is its low four bits; a letter's, those plus 9.
    const typename Vectors::Text values = (lowerCase & 0x0F) + (letters & 9);
    // Little-endian: each pair is a 16-bit lane holding its first character in the low byte.
    typename Vectors::Pairs pairs;
    std::memcpy(&pairs, &values, sizeof pairs);
    const auto decoded =
        __builtin_convertvector(((pairs & 0xFF) << 4) | (pairs >> 8), typename Vectors::Octets);
    std::memcpy(octets, &decoded, sizeof decoded);
    return true;
}

// Decodes whole groups of Characters digits from octet `index` on, each width in turn, and
// gives the index of the first octet left undecoded.
template <std::size_t... Characters>
[[gnu::always_inline]] inline std::size_t
decodeDigitGroups(std::string_view text, std::uint8_t* octets, std::size_t index) noexcept {
    const auto decodeGroups = [&](auto width) {
        while (index * 2 + width() <= text.size() &&
               decodeDigitLanes<width()>(text.data() + index * 2, octets + index)) {
            index += width() / 2;
        }
    };
    (decodeGroups(std::integral_constant<std::size_t, Characters>()), ...);
    return index;
}

std::size_t decodeDigitGroupsPortably(std::string_view text, std::uint8_t* octets) noexcept {
    return decodeDigitGroups<16>(text, octets, 0);
}

#if defined(__x86_64__) || defined(__i386__)
// Wider vectors where the processor has them: 32 lanes without AVX2 cost more than 16.
[[gnu::target("avx2")]] std::size_t decodeDigitGroupsAvx2(std::string_view text,
                                                          std::uint8_t* octets) noexcept {
    return decodeDigitGroups<32, 16>(text, octets, 0);
}

[[gnu::target("avx512bw")]] std::size_t decodeDigitGroupsAvx512(std::string_view text,
                                                                std::uint8_t* octets) noexcept {
    return decodeDigitGroups<64, 32, 16>(text, octets, 0);
}

DigitGroupDecoder widestDigitGroupDecoder() noexcept {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw")) {
        return decodeDigitGroupsAvx512;
    }
    if (__builtin_cpu_supports("avx2")) {
        return decodeDigitGroupsAvx2;
    }
    return decodeDigitGroupsPortably;
}

std::vector<std::pair<std::string_view, DigitGroupDecoder>> digitGroupDecoders() {
    std::vector<std::pair<std::string_view, DigitGroupDecoder>> decoders{
        {"portable", decodeDigitGroupsPortably}};
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) {
        decoders.emplace_back("avx2", decodeDigitGroupsAvx2);
    }
    if (__builtin_cpu_supports("avx512bw")) {
        decoders.emplace_back("avx512", decodeDigitGroupsAvx512);
    }
    return decoders;
}
#else
DigitGroupDecoder widestDigitGroupDecoder() noexcept {
    return decodeDigitGroupsPortably;
}
std::vector<std::pair<std::string_view, DigitGroupDecoder>> digitGroupDecoders() {
    return {{"portable", decodeDigitGroupsPortably}};
}
#endif
#else
std::size_t decodeNoDigitGroups(std::string_view /*text*/, std::uint8_t* /*octets*/) noexcept {
    return 0;
}
DigitGroupDecoder widestDigitGroupDecoder() noexcept {
    return decodeNoDigitGroups;
}
std::vector<std::pair<std::string_view, DigitGroupDecoder>> digitGroupDecoders() {
    return {{"scalar", decodeNoDigitGroups}};
}
#endif

// The octets of a text of hex digits only, or nothing when it holds any other character.
std::optional<zorvan::Bytes> decodeDigitsOnly(std::string_view text,
                                              DigitGroupDecoder decodeLeadingDigitGroups) {
    bool allDigits = true;
    zorvan::Bytes decoded =
        zorvan::Bytes::create(text.size() / 2, [&](std::span<std::uint8_t> octets) {
            std::size_t index = decodeLeadingDigitGroups(text, octets.data());
            for (; allDigits && index < octets.size(); ++index) {
                const int high = digitValues[static_cast<unsigned char>(text[index * 2])];
                const int low = digitValues[static_cast<unsigned char>(text[index * 2 + 1])];
                allDigits = high != notADigit && low != notADigit;
                octets[index] = static_cast<std::uint8_t>(high * 16 + low);
            }
        });
    return allDigits ? std::optional(std::move(decoded)) : std::nullopt;
}

zorvan::Bytes decodeWith(DigitGroupDecoder decoder, std::string_view text) {
    if (text.size() % 2 == 0) {
        if (std::optional<zorvan::Bytes> decoded = decodeDigitsOnly(text, decoder)) {
            return std::move(*decoded);
        }
    }
    const std::size_t characters = Unicode::countCharacters(text);
    if (characters % 2 != 0) {
        throw HexDecodingError(std::string(oddLengthMessage));
    }
    return decodePairs(text, characters / 2);
}

} // namespace

zorvan::Bytes hexStringToBS(std::string_view text) {
    static const DigitGroupDecoder decoder = widestDigitGroupDecoder();
    return decodeWith(decoder, text);
}

namespace detail {

std::vector<std::string_view> hexDecoderNames() {
    std::vector<std::string_view> names;
    for (const auto& [name, decoder] : digitGroupDecoders()) {
        names.push_back(name);
    }
    return names;
}

zorvan::Bytes hexStringToBSWith(std::string_view decoderName, std::string_view text) {
    for (const auto& [name, decoder] : digitGroupDecoders()) {
        if (name == decoderName) {
            return decodeWith(decoder, text);
        }
    }
    throw std::invalid_argument("no hex decoder named '" + std::string(decoderName) + "' here");
}

} // namespace detail

} // namespace Test::Crypto
