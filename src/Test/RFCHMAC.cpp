#include <Test/RFCHMAC.hpp>

#include <Test/HMAC.hpp>
#include <Test/HmacVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>

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

void folderTests(RecordTests& records, const std::shared_ptr<const Crypto::HashView>& hash,
                 const KatFiles::Folder& folder) {
    for (const KatFiles::KatFile& file : folder.files) {
        const std::string_view stem = KatFiles::stem(file.name);
        std::size_t number = 0;
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                if (std::string damage =
                        recordDamage(record, std::span(knownFields).first(4), knownFields);
                    !damage.empty()) {
                    records.fail({folder.directory, file.name, record.line()}, damage);
                    continue;
                }
                records.add(HMAC::hmacTest(
                    hash,
                    {std::string(stem) + "-" + std::to_string(number++),
                     KatValues::optionalText(record.field(macLengthField)),
                     std::string(*record.field(keyField)), std::string(*record.field(messageField)),
                     std::string(*record.field(macField)),
                     KatOrigin::recordOrigin(folder.directory, file.name, record, recordNumber),
                     std::nullopt, std::string(*record.field(lengthField))}));
            }
        }
    }
}

} // namespace

std::vector<zorvan::testing::Test> rfcHmacTests(const std::shared_ptr<const Crypto::HashView>& hash,
                                                std::string_view label, const DataSource& source) {
    static_cast<void>(HMAC::algToLen(label)); // the label is checked before the folders are read
    const std::string suffix = stemSuffix(label);
    RecordTests records(source);
    for (const std::string_view directory : katDirectories) {
        const KatFiles::Folder folder = KatFiles::readFolder(
            source, directory, lengthField, [&suffix](std::string_view fileName) {
                return KatFiles::stem(fileName).ends_with(suffix);
            });
        records.beginFolder(folder);
        folderTests(records, hash, folder);
        records.endFolder();
    }
    return std::move(records).take();
}

} // namespace Test::RFCHMAC
