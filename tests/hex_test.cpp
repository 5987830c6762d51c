#include <Test/Crypto/hex.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Test::Crypto::HexDecodingError;
using Test::Crypto::hexStringToBS;
using zorvan::Bytes;

const std::string oddLengthMessage =
    "Not an even number of hex characters in input to hexStringToBS!";

std::string errorOf(std::string_view text) {
    try {
        hexStringToBS(text);
    } catch (const HexDecodingError& error) {
        return error.what();
    }
    return "no error";
}

TEST(HexStringToBS, DecodesEachPairInEitherLetterCase) {
    EXPECT_EQ(hexStringToBS(""), Bytes{});
    EXPECT_EQ(hexStringToBS("00"), Bytes{0x00});
    EXPECT_EQ(hexStringToBS("00ff"), (Bytes{0x00, 0xff}));
    EXPECT_EQ(hexStringToBS("ABcd"), (Bytes{0xab, 0xcd}));
    EXPECT_EQ(hexStringToBS("abCD"), (Bytes{0xab, 0xcd}));
    EXPECT_EQ(hexStringToBS("0123456789abcdefABCDEF"),
              (Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef, 0xab, 0xcd, 0xef}));
    const Bytes digest = hexStringToBS(std::string(64, '7'));
    EXPECT_EQ(digest, Bytes(std::vector<std::uint8_t>(32, 0x77)));
}

// A pair is read as the longest run of digits at its start, so a bad second character
// shortens the octet instead of failing.
TEST(HexStringToBS, PairWhoseSecondCharacterIsNoDigitGivesItsFirstDigitAlone) {
    EXPECT_EQ(hexStringToBS("1g"), Bytes{0x01});
    EXPECT_EQ(hexStringToBS("0x10"), (Bytes{0x00, 0x10}));
    EXPECT_EQ(hexStringToBS("7 "), Bytes{0x07});
    EXPECT_EQ(hexStringToBS("f\u00e9"), Bytes{0x0f}) << "two characters, three bytes";
}

TEST(HexStringToBS, OddCharacterCountFailsWithItsMessageBeforeAnyBadPair) {
    EXPECT_EQ(errorOf("a"), oddLengthMessage);
    EXPECT_EQ(errorOf("abc"), oddLengthMessage);
    EXPECT_EQ(errorOf("zz1"), oddLengthMessage);
    EXPECT_EQ(errorOf("1\u00e91"), oddLengthMessage) << "three characters, four bytes";
}

TEST(HexStringToBS, PairNotStartingWithADigitFailsNamingThePairAndItsPlace) {
    const std::string strayByteThenDigit{'\xff', '1'};
    for (const std::string_view text : {"g1", "-1", " 1", "\u00e91", strayByteThenDigit.c_str()}) {
        const std::string message = errorOf(text);
        EXPECT_NE(message, "no error") << text;
        EXPECT_NE(message, oddLengthMessage) << text;
    }
    const std::string message = errorOf("00g1");
    EXPECT_NE(message.find("\"g1\""), std::string::npos) << message;
    EXPECT_NE(message.find("character 2"), std::string::npos) << message;
    EXPECT_NE(errorOf("\uff11\uff12").find("character 0"), std::string::npos)
        << "full-width digits are no hex digits";
}

// Long runs of digits are decoded many characters at a time; whatever character breaks a run,
// wherever it stands, the result must be the one the pair rules give.
TEST(HexStringToBS, AnyCharacterAnywhereInALongRunDecodesByThePairRules) {
    // Long enough for every vector width (64, 32 and 16 characters) and a scalar tail.
    constexpr std::size_t runLength = 158;
    std::string digits;
    for (const std::string_view allDigits = "0123456789abcdefABCDEF"; digits.size() < runLength;) {
        digits += allDigits.substr(0, std::min(allDigits.size(), runLength - digits.size()));
    }
    const auto expectedOf = [](const std::string& text) {
        std::vector<std::uint8_t> octets;
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const int high = std::isxdigit(static_cast<unsigned char>(text[i])) != 0
                                 ? std::stoi(text.substr(i, 1), nullptr, 16)
                                 : -1;
            const int low = std::isxdigit(static_cast<unsigned char>(text[i + 1])) != 0
                                ? std::stoi(text.substr(i + 1, 1), nullptr, 16)
                                : -1;
            octets.push_back(static_cast<std::uint8_t>(low < 0 ? high : high * 16 + low));
        }
        return Bytes(octets);
    };
    EXPECT_EQ(hexStringToBS(digits), expectedOf(digits));
    for (const char intruder : {'g', 'G', '/', ':', '@', '`', ' ', '\x10', '\x19'}) {
        for (std::size_t position = 1; position < digits.size(); position += 2) {
            std::string text = digits;
            text[position] = intruder;
            EXPECT_EQ(hexStringToBS(text), expectedOf(text)) << text;
            text = digits;
            text[position - 1] = intruder;
            EXPECT_NE(errorOf(text).find("character " + std::to_string(position - 1)),
                      std::string::npos)
                << text;
        }
    }
}

// Each processor-specific decoder must agree with the portable one on every octet, including
// letters in both cases at every lane position and a non-digit past the first vector.
TEST(HexStringToBS, EveryDecoderThisProcessorHasGivesThePortableOctets) {
    const std::vector<std::string_view> decoders = ::Test::Crypto::detail::hexDecoderNames();
    ASSERT_EQ(decoders.front(), "portable");
    std::string text;
    for (int i = 0; i < 300; ++i) {
        text += "0123456789abcdefABCDEF"[(i * 7) % 22];
    }
    for (const std::string& input : {text, text.substr(0, 130) + "7 " + text.substr(0, 40)}) {
        const Bytes expected = ::Test::Crypto::detail::hexStringToBSWith("portable", input);
        for (const std::string_view decoder : decoders) {
            EXPECT_EQ(::Test::Crypto::detail::hexStringToBSWith(decoder, input), expected)
                << decoder;
        }
        EXPECT_EQ(hexStringToBS(input), expected);
    }
    EXPECT_EQ(::Test::Crypto::detail::hexStringToBSWith("portable", "aF09"), (Bytes{0xaf, 0x09}));
    EXPECT_THROW(::Test::Crypto::detail::hexStringToBSWith("sse9", "00"), std::invalid_argument);
}

} // namespace
