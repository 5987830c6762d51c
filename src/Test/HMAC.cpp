#include <Test/HMAC.hpp>

#include "unicode.hpp"

#include <Test/HmacVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/VectorCases.hpp>

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
constexpr std::string_view keyLengthField = "Klen";
constexpr std::string_view macLengthField = "Tlen";
constexpr std::string_view keyField = "Key";
constexpr std::string_view messageField = "Msg";
constexpr std::string_view messageLengthField = "Len";
constexpr std::string_view macField = "Mac";
constexpr std::array<std::string_view, 5> neededFields{countField, macLengthField, keyField,
                                                       messageField, macField};
constexpr std::array<std::string_view, 6> knownFields{countField, keyLengthField, macLengthField,
                                                      keyField,   messageField,   macField};
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
// HMAC-MD5's sections, which are MD5's, not another hash's of this table.
constexpr std::string_view md5Length = "16";

bool isDecimalDigit(char32_t codePoint) noexcept {
    return codePoint >= U'0' && codePoint <= U'9';
}

bool isPrintableAscii(char32_t codePoint) noexcept {
    return codePoint >= U' ' && codePoint <= U'~';
}

// What a section of another length than the suite's is: another hash's, or of no hash at all.
std::optional<std::string> sectionOfNoHash(std::optional<std::string_view> length) {
    if (!length) {
        return "a section without [L=...]";
    }
    const bool known =
        *length == md5Length || std::ranges::any_of(labelLengths, [&](const LabelLength& each) {
            return each.length == *length;
        });
    if (known) {
        return std::nullopt;
    }
    return "a section of no hash's digest length: [L=" + std::string(*length) + "]";
}

// An integer length field, where the vector has one, must say how long its value is.
void checkLength(const HmacVector& vector, std::string_view field, const std::string& text,
                 std::size_t actual, std::int64_t unit, std::string_view valueField) {
    const std::int64_t stated = KatValues::integerField(vector.origin, field, text);
    if (stated < 0 ||
        static_cast<std::uint64_t>(stated) != actual * static_cast<std::uint64_t>(unit)) {
        KatValues::disagree(vector.origin, std::string(field) + " = " + text + ", but " +
                                               std::string(valueField) + " holds " +
                                               std::to_string(actual) + " octets");
    }
}

void assertMacs(const HmacVector& vector, const HmacInputs& inputs,
                const zorvan::Bytes& contiguousMac, const zorvan::Bytes& chunkedMac) {
    const auto compared = [&inputs](const zorvan::Bytes& mac) {
        return inputs.macLength ? KatValues::takeOctets(mac, *inputs.macLength) : mac;
    };
    zorvan::testing::assertKnownAnswer(vector.name,
                                       std::pair(compared(contiguousMac), compared(chunkedMac)),
                                       std::pair(inputs.knownMac, inputs.knownMac), vector.origin);
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

std::string plainCount(std::string_view count) {
    std::string plain(count);
    for (char& character : plain) {
        const bool kept = (character >= 'a' && character <= 'z') ||
                          (character >= 'A' && character <= 'Z') ||
                          (character >= '0' && character <= '9') ||
                          std::string_view("._-").find(character) != std::string_view::npos;
        character = kept ? character : '_';
    }
    return plain;
}

HmacInputs decode(const HmacVector& vector) {
    const zorvan::testing::VectorOrigin& origin = vector.origin;
    zorvan::Bytes key = KatValues::hexField(origin, keyField, vector.key);
    zorvan::Bytes message = KatValues::hexField(origin, messageField, vector.message);
    zorvan::Bytes knownMac = KatValues::hexField(origin, macField, vector.mac);
    std::optional<std::int64_t> macLength;
    if (vector.macLength) {
        checkLength(vector, macLengthField, *vector.macLength, knownMac.size(), 1, macField);
        macLength = KatValues::integerField(origin, macLengthField, *vector.macLength);
    }
    if (vector.keyLength) {
        checkLength(vector, keyLengthField, *vector.keyLength, key.size(), 1, keyField);
    }
    if (vector.messageLength) {
        checkLength(vector, messageLengthField, *vector.messageLength, message.size(), 8,
                    messageField);
    }
    zorvan::LazyBytes chunkedMessage = KatValues::chunkMessage(message);
    return {std::move(key), std::move(message), std::move(chunkedMessage), std::move(knownMac),
            macLength};
}

zorvan::testing::Test hmacTest(const std::shared_ptr<const Crypto::HashView>& hash,
                               HmacVector vector) {
    return vectorCase(std::move(vector), [hash](const HmacVector& each) {
        const HmacInputs inputs = decode(each);
        assertMacs(each, inputs, hash->macOctets(inputs.key, inputs.message),
                   hash->chunkedMacOctets(inputs.key, inputs.chunkedMessage));
    });
}

void sectionTests(RecordTests& records, const std::shared_ptr<const Crypto::HashView>& hash,
                  const KatFiles::Folder& folder, std::string_view namePrefix,
                  std::string (*countName)(std::string_view), std::string_view sectionLength) {
    for (const KatFiles::KatFile& file : folder.files) {
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            const std::optional<std::string_view> length = category.property(sectionLengthProperty);
            const std::optional<std::string> noHash =
                length == sectionLength ? std::nullopt : sectionOfNoHash(length);
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                const RecordLedger::RecordPlace place{folder.directory, file.name, record.line()};
                if (noHash) {
                    records.fail(place, *noHash);
                    continue;
                }
                if (length != sectionLength) {
                    records.otherVariant(place, "section [L=" + std::string(*length) + "]");
                    continue;
                }
                if (std::string damage = recordDamage(record, neededFields, knownFields);
                    !damage.empty()) {
                    records.fail(place, damage);
                    continue;
                }
                records.add(hmacTest(
                    hash,
                    {std::string(namePrefix) + countName(*record.field(countField)),
                     std::string(*record.field(macLengthField)),
                     std::string(*record.field(keyField)), std::string(*record.field(messageField)),
                     std::string(*record.field(macField)),
                     KatOrigin::recordOrigin(folder.directory, file.name, record, recordNumber),
                     KatValues::optionalText(record.field(keyLengthField)), std::nullopt}));
            }
        }
    }
}

std::vector<zorvan::testing::Test> hmacTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                             std::string_view label, const DataSource& source) {
    // The label is checked before the folder is read.
    const std::string_view sectionLength = algToLen(label);
    const KatFiles::Folder folder = KatFiles::readFolder(source, katDirectory, countField);
    RecordTests records(source);
    records.beginFolder(folder);
    sectionTests(records, hash, folder,
                 std::string(testNamePrefix) + std::string(label) + std::string(countSeparator),
                 quoteCount, sectionLength);
    records.endFolder();
    return std::move(records).take();
}

} // namespace Test::HMAC
