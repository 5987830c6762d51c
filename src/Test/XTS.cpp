#include <Test/XTS.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatRecords.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>
#include <Test/XtsVectors.hpp>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>

namespace Test::XTS {

namespace {

constexpr std::string_view countField = "COUNT";
constexpr std::string_view lengthField = "DataUnitLen";
constexpr std::string_view keyField = "Key";
constexpr std::string_view plaintextField = "PT";
constexpr std::string_view ciphertextField = "CT";
constexpr std::string_view encryptSection = "ENCRYPT";
constexpr std::string_view decryptSection = "DECRYPT";
// NIST's XTSGen files hold XTS-AES-128 and XTS-AES-256.
constexpr std::array<std::size_t, 2> publishedCipherBits{128, 256};
constexpr const char* unpublishedKeyLength =
    "NIST publishes XTS vectors for AES-128 and AES-256 keys only";

// TweakForm: how a folder gives the tweak: as 16 octets of hex, or as a data unit's sequence
// number, which IEEE 1619 encrypts as 16 octets little-endian.
struct TweakForm {
    std::string_view directory;
    std::string_view field;
    bool sequenceNumber;
};

constexpr std::array<TweakForm, 2> tweakForms{
    {{katDirectory, "i", false}, {sequenceNumberDirectory, "DataUnitSeqNumber", true}}};

zorvan::Bytes tweakOf(const TweakForm& form, const zorvan::testing::VectorOrigin& origin,
                      std::string_view text) {
    if (!form.sequenceNumber) {
        return KatValues::hexField(origin, form.field, text);
    }
    const std::int64_t number = KatValues::integerField(origin, form.field, text);
    if (number < 0) {
        KatValues::disagree(origin, std::string(form.field) + " = " + std::string(text) +
                                        " is not a sequence number");
    }
    return zorvan::Bytes::create(zorvan::xtsBlockOctets, [number](std::span<std::uint8_t> tweak) {
        auto value = static_cast<std::uint64_t>(number);
        for (std::uint8_t& octet : tweak) {
            octet = static_cast<std::uint8_t>(value & 0xff);
            value >>= 8;
        }
    });
}

// Why a record cannot be a test of an octet-oriented XTS, or nothing: a data unit that is not
// whole octets is another (bit-oriented) variant's; one whose PT or CT disagrees with it is
// damaged.
struct LengthVerdict {
    std::string otherVariant;
    std::string damage;
};

LengthVerdict checkLength(const ParseNistKATs::KatRecord& record) {
    const std::string text(*record.field(lengthField));
    std::int64_t bits = 0;
    try {
        bits = KatValues::readInteger(lengthField, text);
    } catch (const KatValues::KatValueError& error) {
        return {{}, error.what()};
    }
    if (bits <= 0) {
        return {{}, std::string(lengthField) + " = " + text + " is no data unit length"};
    }
    if (bits % 8 != 0) {
        return {"a data unit of " + text + " bits, not a whole number of octets", {}};
    }
    for (const std::string_view field : {plaintextField, ciphertextField}) {
        if (record.field(field)->size() != static_cast<std::size_t>(bits / 4)) {
            return {{},
                    std::string(lengthField) + " = " + text + " bits, but " + std::string(field) +
                        " holds " + std::to_string(record.field(field)->size()) + " hex digits"};
        }
    }
    return {};
}

void folderTests(RecordTests& records, const std::shared_ptr<const Crypto::XtsView>& xts,
                 std::span<const std::size_t> keyOctets, const KatFiles::Folder& folder,
                 const TweakForm& form) {
    const std::array<std::string_view, 6> fields{countField, lengthField,    keyField,
                                                 form.field, plaintextField, ciphertextField};
    KatFiles::forEachRecord(
        folder, [&](const KatFiles::KatFile& file, const ParseNistKATs::KatCategory& category,
                    const ParseNistKATs::KatRecord& record, std::size_t number) {
            const RecordLedger::RecordPlace place{folder.directory, file.name, record.line()};
            const bool decrypt = category.property(decryptSection).has_value();
            if (!decrypt && !category.property(encryptSection)) {
                return records.fail(place, "a section that is neither [ENCRYPT] nor [DECRYPT]");
            }
            if (std::string damage = recordDamage(record, fields, fields); !damage.empty()) {
                return records.fail(place, damage);
            }
            const LengthVerdict length = checkLength(record);
            if (!length.otherVariant.empty()) {
                return records.otherVariant(place, length.otherVariant);
            }
            if (!length.damage.empty()) {
                return records.fail(place, length.damage);
            }
            const auto text = [&record](std::string_view field) {
                return std::string(*record.field(field));
            };
            zorvan::testing::VectorOrigin origin =
                KatOrigin::recordOrigin(folder.directory, file.name, record, number);
            zorvan::Bytes tweak = tweakOf(form, origin, text(form.field));
            const std::string_view section = decrypt ? decryptSection : encryptSection;
            bindXtsVector(
                records, xts, keyOctets,
                {std::string(KatFiles::stem(file.name)) + "-" + std::string(form.field) + "-" +
                     std::string(section) + "-" + text(countField),
                 text(keyField), std::move(tweak), text(decrypt ? ciphertextField : plaintextField),
                 text(decrypt ? plaintextField : ciphertextField), decrypt, std::move(origin)});
        });
}

} // namespace

std::vector<zorvan::testing::Test> xtsTests(const std::shared_ptr<const Crypto::XtsView>& xts,
                                            const DataSource& source) {
    if (std::ranges::find(publishedCipherBits, xts->keyLength() / 2) == publishedCipherBits.end()) {
        return {zorvan::testing::testCase(
            "NistXTSKeyLength", [] { throw zorvan::testing::TestSkipped(unpublishedKeyLength); })};
    }
    const Suites::Algorithm& algorithm = Suites::algorithm("AES-XTS");
    RecordTests records(source);
    for (const TweakForm& form : tweakForms) {
        const KatFiles::Folder folder = KatFiles::readFolder(source, form.directory, countField);
        records.beginFolder(folder);
        folderTests(records, xts, algorithm.keyOctets, folder, form);
        records.endFolder();
    }
    return std::move(records).take();
}

} // namespace Test::XTS
