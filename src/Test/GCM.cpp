#include <Test/GCM.hpp>

#include <Test/AeadConformance.hpp>
#include <Test/AeadVectors.hpp>
#include <Test/KatFiles.hpp>
#include <Test/KatRecords.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <array>
#include <string_view>

namespace Test::GCM {

namespace {

using AeadVectors::AeadVector;
using AeadVectors::Expectation;

constexpr std::string_view countField = "Count";
constexpr std::string_view keyField = "Key";
constexpr std::string_view ivField = "IV";
constexpr std::string_view plaintextField = "PT";
constexpr std::string_view aadField = "AAD";
constexpr std::string_view ciphertextField = "CT";
constexpr std::string_view tagField = "Tag";
constexpr std::string_view failField = "FAIL";

constexpr std::array<std::string_view, 8> knownFields{
    countField, keyField, ivField, plaintextField, aadField, ciphertextField, tagField, failField};
// Every record needs these; an encryption record its PT too, a decryption record PT or FAIL.
constexpr std::array<std::string_view, 6> commonFields{countField, keyField,        ivField,
                                                       aadField,   ciphertextField, tagField};

// The section's length of each field, in bits.
struct StatedLength {
    std::string_view property;
    std::string_view field;
};
constexpr std::array<StatedLength, 5> statedLengths{{{"Keylen", keyField},
                                                     {"IVlen", ivField},
                                                     {"PTlen", plaintextField},
                                                     {"AADlen", aadField},
                                                     {"Taglen", tagField}}};

enum class FileKind { encrypt, decrypt, unknown };

FileKind kindOf(std::string_view fileName) {
    if (fileName.find("Encrypt") != std::string_view::npos) {
        return FileKind::encrypt;
    }
    return fileName.find("Decrypt") != std::string_view::npos ? FileKind::decrypt
                                                              : FileKind::unknown;
}

std::string damageOf(FileKind kind, const ParseNistKATs::KatCategory& category,
                     const ParseNistKATs::KatRecord& record) {
    if (kind == FileKind::unknown) {
        return "a file whose name says neither Encrypt nor Decrypt";
    }
    std::string damage = recordDamage(record, commonFields, knownFields);
    const bool plaintext = record.field(plaintextField).has_value();
    const bool fail = record.field(failField).has_value();
    if (damage.empty() && (kind == FileKind::encrypt ? !plaintext || fail : plaintext == fail)) {
        damage = kind == FileKind::encrypt ? "an encryption record needs PT and no FAIL"
                                           : "a decryption record needs either PT or FAIL";
    }
    for (const StatedLength& stated : statedLengths) {
        const std::optional<std::string_view> value = record.field(stated.field);
        if (damage.empty() && value) {
            damage =
                AeadVectors::lengthDisagreement(stated.property, category.property(stated.property),
                                                1, stated.field, std::string(*value));
        }
    }
    return damage;
}

AeadVector vectorOf(FileKind kind, const std::string& directory, const KatFiles::KatFile& file,
                    const ParseNistKATs::KatRecord& record, std::size_t number) {
    const auto text = [&record](std::string_view field) {
        return std::string(*record.field(field));
    };
    const bool fail = record.field(failField).has_value();
    return {.expectation = kind == FileKind::encrypt ? Expectation::sealAndOpen
                           : fail                    ? Expectation::refuse
                                                     : Expectation::open,
            .keyHex = text(keyField),
            .nonceHex = text(ivField),
            .aadHex = text(aadField),
            .plaintextHex = fail ? std::nullopt : std::optional(text(plaintextField)),
            .ciphertextHex = text(ciphertextField),
            .tagHex = text(tagField),
            .note = {},
            .file = directory + "/" + file.name,
            .line = record.line(),
            .number = number};
}

} // namespace

std::vector<zorvan::testing::Test>
gcmKnownAnswers(const std::shared_ptr<const Crypto::AeadView>& aead, const DataSource& source) {
    const Suites::Algorithm& algorithm = Suites::algorithm("AES-GCM");
    const KatFiles::Folder folder = KatFiles::readFolder(source, katDirectory, countField);
    RecordTests records(source);
    records.beginFolder(folder);
    KatFiles::forEachRecord(
        folder, [&](const KatFiles::KatFile& file, const ParseNistKATs::KatCategory& category,
                    const ParseNistKATs::KatRecord& record, std::size_t number) {
            const FileKind kind = kindOf(file.name);
            if (const std::string damage = damageOf(kind, category, record); !damage.empty()) {
                records.fail({folder.directory, file.name, record.line()}, damage);
                return;
            }
            AeadVectors::bindVector(records, aead, algorithm,
                                    vectorOf(kind, folder.directory, file, record, number));
        });
    records.endFolder();
    return std::move(records).take();
}

std::vector<zorvan::testing::Test> gcmTests(const std::shared_ptr<const Crypto::AeadView>& aead,
                                            const DataSource& source) {
    return AeadConformance::knownAnswersThenLaws(gcmKnownAnswers(aead, source), aead);
}

} // namespace Test::GCM
