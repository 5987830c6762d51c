#include <Test/HMAC.hpp>

#include "unicode.hpp"
#include "vector_cases.hpp"

#include <Test/Crypto/hex.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordLedger.hpp>
#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <stdexcept>

namespace Test::HMAC {

namespace {

constexpr std::string_view katDirectory = "Test/KAT_HMAC";
constexpr std::string_view testNamePrefix = "NistHMAC";
constexpr std::string_view countSeparator = "-";
constexpr std::string_view sectionLengthProperty = "L";
constexpr std::string_view countField = "Count";
constexpr std::string_view macLengthField = "Tlen";
constexpr std::string_view keyField = "Key";
constexpr std::string_view messageField = "Msg";
constexpr std::string_view macField = "Mac";
constexpr std::array<std::string_view, 6> knownFields{countField, "Klen",       macLengthField,
                                                      keyField,   messageField, macField};
constexpr std::string_view unknownLabelMessage = "algToLen: no HMAC section length for the label ";

struct LabelLength {
    std::string_view label;
    std::string_view length;
};

constexpr std::array<LabelLength, 5> labelLengths{{
    {"SHA1", "20"},
    {"SHA224", "28"},
    {"SHA256", "32"},
    {"SHA384", "48"},
    {"SHA512", "64"},
}};

bool isDecimalDigit(char32_t codePoint) noexcept {
    return codePoint >= U'0' && codePoint <= U'9';
}

bool isPrintableAscii(char32_t codePoint) noexcept {
    return codePoint >= U' ' && codePoint <= U'~';
}

// The records of a section whose length belongs to no hash are read by no suite: each suite
// that skips the section notes them.
void noteUnknownSection(std::string_view relativeDirectory, std::string_view fileName,
                        const ParseNistKATs::KatCategory& category,
                        std::optional<std::string_view> length) {
    const bool known =
        length && std::any_of(labelLengths.begin(), labelLengths.end(),
                              [&](const LabelLength& each) { return each.length == *length; });
    if (known) {
        return;
    }
    const std::string detail = length ? "[L=" + std::string(*length) + "]" : "no L";
    for (const ParseNistKATs::KatRecord& record : category.records) {
        RecordLedger::noteDropped(
            RecordLedger::RecordPlace{relativeDirectory, fileName, record.line()},
            RecordLedger::DropReason::unknownSection, detail);
    }
}

} // namespace

std::string_view algToLen(std::string_view label) {
    for (const LabelLength& each : labelLengths) {
        if (each.label == label) {
            return each.length;
        }
    }
    throw std::invalid_argument(std::string(unknownLabelMessage) + quoteCount(label));
}

std::string quoteCount(std::string_view count) {
    std::string quoted = "\"";
    bool afterNumericEscape = false;
    for (std::size_t offset = 0; offset < count.size();) {
        const Unicode::Character character = Unicode::readCharacter(count, offset);
        const char32_t codePoint = character.codePoint;
        // "\12" then "3" would read back as "\123": Haskell's empty escape "\&" separates them.
        if (afterNumericEscape && isDecimalDigit(codePoint)) {
            quoted += "\\&";
        }
        afterNumericEscape = !isPrintableAscii(codePoint);
        if (afterNumericEscape) {
            quoted += '\\' + std::to_string(static_cast<std::uint32_t>(codePoint));
        } else {
            if (codePoint == U'"' || codePoint == U'\\') {
                quoted += '\\';
            }
            quoted += static_cast<char>(codePoint);
        }
        offset += character.length;
    }
    return quoted + '"';
}

std::vector<HmacVector> readVectors(std::string_view label) {
    // The label is checked before the folder is read.
    const std::string_view sectionLength = algToLen(label);
    return sectionVectors(
        std::string(testNamePrefix) + std::string(label) + std::string(countSeparator),
        sectionLength, katDirectory, KatFiles::readKatDirectory(katDirectory, countField));
}

std::vector<HmacVector> sectionVectors(std::string_view namePrefix, std::string_view sectionLength,
                                       std::string_view relativeDirectory,
                                       std::span<const KatFiles::KatFile> files) {
    std::vector<HmacVector> vectors;
    for (const KatFiles::KatFile& file : files) {
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            const std::optional<std::string_view> length = category.property(sectionLengthProperty);
            if (length != sectionLength) {
                noteUnknownSection(relativeDirectory, file.name, category, length);
                recordNumber += category.records.size();
                continue;
            }
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                const auto count = record.field(countField);
                const auto macLength = record.field(macLengthField);
                const auto key = record.field(keyField);
                const auto message = record.field(messageField);
                const auto mac = record.field(macField);
                if (!count || !macLength || !key || !message || !mac) {
                    RecordLedger::noteMissingFields(
                        RecordLedger::RecordPlace{relativeDirectory, file.name, record.line()},
                        record, knownFields, RecordLedger::missingNames(record, knownFields));
                    continue;
                }
                vectors.push_back(
                    {std::string(namePrefix) + quoteCount(*count), std::string(*macLength),
                     std::string(*key), std::string(*message), std::string(*mac),
                     KatOrigin::recordOrigin(relativeDirectory, file.name, record, recordNumber)});
                RecordLedger::noteTest(vectors.back().origin, knownFields);
            }
        }
    }
    return vectors;
}

HmacInputs decode(const HmacVector& vector) {
    zorvan::Bytes message = Crypto::hexStringToBS(vector.message);
    zorvan::LazyBytes chunkedMessage = KatValues::chunkMessage(message);
    return {Crypto::hexStringToBS(vector.key), std::move(message), std::move(chunkedMessage),
            Crypto::hexStringToBS(vector.mac),
            KatValues::readInteger(macLengthField, vector.macLength)};
}

void assertMacs(const HmacVector& vector, const HmacInputs& inputs,
                const zorvan::Bytes& contiguousMac, const zorvan::Bytes& chunkedMac) {
    zorvan::testing::assertKnownAnswer(
        vector.name,
        std::pair(KatValues::takeOctets(contiguousMac, inputs.macLength),
                  KatValues::takeOctets(chunkedMac, inputs.macLength)),
        std::pair(inputs.knownMac, inputs.knownMac), vector.origin);
}

std::vector<zorvan::testing::Test> bindTests(const std::shared_ptr<const Crypto::MacView>& mac,
                                             std::vector<HmacVector> vectors) {
    return vectorCases(std::move(vectors), [mac](const HmacVector& vector) {
        const HmacInputs inputs = decode(vector);
        assertMacs(vector, inputs, mac->macOctets(inputs.key, inputs.message),
                   mac->chunkedMacOctets(inputs.key, inputs.chunkedMessage));
    });
}

} // namespace Test::HMAC
