#include <Test/AESCTR.hpp>

#include <Test/KatFiles.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/KatValues.hpp>
#include <Test/RecordTests.hpp>
#include <Test/Suites.hpp>

#include <zorvan/testing/assertion.hpp>

#include <algorithm>
#include <array>
#include <string_view>

namespace Test::AESCTR {

namespace {

constexpr std::array<std::string_view, 2> katDirectories{"Test/KAT_AES_CTR",
                                                         "Test/KAT_AES_CTR_CARRY"};
constexpr std::string_view countField = "COUNT";
constexpr std::string_view keyField = "KEY";
constexpr std::string_view ivField = "IV";
constexpr std::string_view plaintextField = "PLAINTEXT";
constexpr std::string_view ciphertextField = "CIPHERTEXT";
constexpr std::string_view nextIVField = "NEXTIV";
constexpr std::array<std::string_view, 6> knownFields{countField,     keyField,        ivField,
                                                      plaintextField, ciphertextField, nextIVField};
constexpr std::string_view encryptSection = "ENCRYPT";
constexpr std::string_view decryptSection = "DECRYPT";

// CtrVector: one record of an [ENCRYPT] or [DECRYPT] section, ready to run: key and IV taken
// by the cipher, input, answer and next IV hex until the test runs.
struct CtrVector {
    std::string name;
    bool decrypt;
    std::string inputHex;
    std::string answerHex;
    std::optional<std::string> nextIVHex; // the counter after the last block used
    zorvan::testing::VectorOrigin origin;
};

void assertCtrResult(const CtrVector& vector, const zorvan::Bytes& output,
                     const zorvan::Bytes& nextIV) {
    const std::string_view answerField = vector.decrypt ? plaintextField : ciphertextField;
    zorvan::testing::assertKnownAnswer(
        vector.name + ": output", output,
        KatValues::hexField(vector.origin, answerField, vector.answerHex), vector.origin);
    if (vector.nextIVHex) {
        zorvan::testing::assertKnownAnswer(
            vector.name + ": next IV", nextIV,
            KatValues::hexField(vector.origin, nextIVField, *vector.nextIVHex), vector.origin);
    }
}

// Binds one complete record to the cipher: its test, another key size's record, or a failure.
void bindRecord(RecordTests& records, const Crypto::CipherView& cipher,
                const Suites::Algorithm& aes, CtrVector vector, std::string_view keyHex,
                std::string_view ivHex) {
    const RecordLedger::RecordPlace place = placeOf(vector.origin);
    const zorvan::Bytes key = KatValues::hexField(vector.origin, keyField, keyHex);
    const zorvan::Bytes ivOctets = KatValues::hexField(vector.origin, ivField, ivHex);
    if (std::ranges::find(aes.keyOctets, key.size()) == aes.keyOctets.end()) {
        return records.fail(place, "a KEY of " + std::to_string(key.size()) +
                                       " octets, no AES key size (16, 24 or 32 octets)");
    }
    if (key.size() * 8 != cipher.keyLength()) {
        return records.otherVariant(place, "key of " + std::to_string(key.size()) + " octets");
    }
    if (ivOctets.size() != aes.blockOctets) {
        return records.fail(place, "an IV of " + std::to_string(ivOctets.size()) +
                                       " octets; AES's is its block, 16 octets");
    }
    std::optional<zorvan::Bytes> iv = cipher.readIV(ivOctets);
    if (!iv) {
        return records.fail(place,
                            "the type's IV refused " + std::to_string(ivOctets.size()) + " octets");
    }
    std::shared_ptr<const Crypto::KeyView> built = cipher.buildKey(key);
    if (!built) {
        return records.fail(place, "buildKey refused key: " + std::to_string(key.size()) +
                                       " octets, the type's own key length");
    }
    std::string name = vector.name;
    records.add(zorvan::testing::testCase(
        std::move(name), [vector = std::move(vector), iv = std::move(*iv), key = std::move(built)] {
            const std::string_view inputField = vector.decrypt ? ciphertextField : plaintextField;
            const auto [output, next] =
                key->run(Crypto::CipherMode::ctr, vector.decrypt, iv,
                         KatValues::hexField(vector.origin, inputField, vector.inputHex));
            assertCtrResult(vector, output, next);
        }));
}

void folderTests(RecordTests& records, const Crypto::CipherView& cipher,
                 const Suites::Algorithm& aes, const KatFiles::Folder& folder) {
    for (const KatFiles::KatFile& file : folder.files) {
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            const bool decrypt = category.property(decryptSection).has_value();
            const bool known = decrypt || category.property(encryptSection).has_value();
            const std::string prefix =
                file.name + "-" + std::string(decrypt ? decryptSection : encryptSection) + "-";
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                const RecordLedger::RecordPlace place{folder.directory, file.name, record.line()};
                std::string damage =
                    known ? recordDamage(record, std::span(knownFields).first(5), knownFields)
                          : "a section that is neither [ENCRYPT] nor [DECRYPT]";
                if (!damage.empty()) {
                    records.fail(place, damage);
                    continue;
                }
                const auto text = [&record](std::string_view field) {
                    return std::string(*record.field(field));
                };
                const auto nextIV = record.field(nextIVField);
                bindRecord(
                    records, cipher, aes,
                    {prefix + text(countField), decrypt,
                     text(decrypt ? ciphertextField : plaintextField),
                     text(decrypt ? plaintextField : ciphertextField),
                     nextIV ? std::optional<std::string>(*nextIV) : std::nullopt,
                     KatOrigin::recordOrigin(folder.directory, file.name, record, recordNumber)},
                    *record.field(keyField), *record.field(ivField));
            }
        }
    }
}

} // namespace

std::vector<zorvan::testing::Test> ctrTests(const std::shared_ptr<const Crypto::CipherView>& cipher,
                                            const DataSource& source) {
    const Suites::Algorithm& aes = Suites::algorithm("AES");
    RecordTests records(source);
    for (const std::string_view directory : katDirectories) {
        const KatFiles::Folder folder = KatFiles::readFolder(source, directory, countField);
        records.beginFolder(folder);
        folderTests(records, *cipher, aes, folder);
        records.endFolder();
    }
    return std::move(records).take();
}

} // namespace Test::AESCTR
