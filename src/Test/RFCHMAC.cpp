#include <Test/RFCHMAC.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/RecordLedger.hpp>

#include <array>
#include <cctype>
#include <string>

namespace Test::RFCHMAC {

namespace {

constexpr std::array<std::string_view, 2> katDirectories{"Test/KAT_HMAC_RFC",
                                                         "Test/KAT_HMAC_GENERATED"};
constexpr std::string_view lengthField = "Len";
constexpr std::string_view keyField = "Key";
constexpr std::string_view messageField = "Msg";
constexpr std::string_view macField = "MD";
constexpr std::string_view macLengthField = "Tlen";
constexpr std::array<std::string_view, 5> knownFields{lengthField, keyField, messageField, macField,
                                                      macLengthField};

std::string stemSuffix(std::string_view label) {
    std::string suffix = "-";
    for (const char character : label) {
        suffix += static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    }
    return suffix;
}

} // namespace

std::vector<HMAC::HmacVector> hmacVectors(std::span<const KatFiles::KatFile> files,
                                          std::string_view label,
                                          std::string_view relativeDirectory) {
    const std::string_view digestOctets = HMAC::algToLen(label);
    const std::string suffix = stemSuffix(label);
    std::vector<HMAC::HmacVector> vectors;
    for (const KatFiles::KatFile& file : files) {
        const std::string_view stem = KatFiles::stem(file.name);
        if (!stem.ends_with(suffix)) {
            continue;
        }
        std::size_t number = 0;
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                const auto key = record.field(keyField);
                const auto message = record.field(messageField);
                const auto mac = record.field(macField);
                if (!key || !message || !mac) {
                    RecordLedger::noteMissingFields(
                        RecordLedger::RecordPlace{relativeDirectory, file.name, record.line()},
                        record, knownFields,
                        RecordLedger::missingNames(record, std::span(knownFields).first(4)));
                    continue;
                }
                vectors.push_back(
                    {std::string(stem) + "-" + std::to_string(number++),
                     std::string(record.field(macLengthField).value_or(digestOctets)),
                     std::string(*key), std::string(*message), std::string(*mac),
                     KatOrigin::recordOrigin(relativeDirectory, file.name, record, recordNumber)});
                RecordLedger::noteTest(vectors.back().origin, knownFields);
            }
        }
    }
    return vectors;
}

std::vector<HMAC::HmacVector> readVectors(std::string_view label) {
    return KatFiles::readFolders<HMAC::HmacVector>(
        katDirectories, lengthField, [&](const auto& files, std::string_view directory) {
            return hmacVectors(files, label, directory);
        });
}

} // namespace Test::RFCHMAC
