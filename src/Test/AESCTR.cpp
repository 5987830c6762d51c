#include <Test/AESCTR.hpp>

#include <Test/Crypto/hex.hpp>
#include <Test/KatOrigin.hpp>
#include <Test/RecordLedger.hpp>
#include <zorvan/testing/assertion.hpp>

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

// The vector of one record whose key holds keyOctets octets; nothing, noted in the open
// ledger, for a record that lacks a field or holds a key of another length.
std::optional<CtrVector> ctrVector(std::string_view prefix, bool decrypt, std::size_t keyOctets,
                                   const RecordLedger::RecordPlace& place,
                                   const ParseNistKATs::KatRecord& record) {
    const auto count = record.field(countField);
    const auto key = record.field(keyField);
    const auto iv = record.field(ivField);
    const auto plaintext = record.field(plaintextField);
    const auto ciphertext = record.field(ciphertextField);
    if (!count || !key || !iv || !plaintext || !ciphertext) {
        RecordLedger::noteMissingFields(
            place, record, knownFields,
            RecordLedger::missingNames(record, std::span(knownFields).first(5)));
        return std::nullopt;
    }
    zorvan::Bytes keyOctetsRead = Crypto::hexStringToBS(*key);
    if (keyOctetsRead.size() != keyOctets) {
        RecordLedger::noteDropped(place, RecordLedger::DropReason::refusedKey,
                                  std::to_string(keyOctetsRead.size()) + " octets");
        return std::nullopt;
    }
    const auto nextIV = record.field(nextIVField);
    return CtrVector{
        .name = std::string(prefix) + std::string(*count),
        .decrypt = decrypt,
        .key = std::move(keyOctetsRead),
        .iv = Crypto::hexStringToBS(*iv),
        .inputHex = std::string(decrypt ? *ciphertext : *plaintext),
        .answerHex = std::string(decrypt ? *plaintext : *ciphertext),
        .nextIVHex = nextIV ? std::optional<std::string>(*nextIV) : std::nullopt,
    };
}

} // namespace

std::vector<CtrVector> ctrVectors(std::span<const KatFiles::KatFile> files, std::size_t keyOctets,
                                  std::string_view relativeDirectory) {
    std::vector<CtrVector> vectors;
    for (const KatFiles::KatFile& file : files) {
        std::size_t recordNumber = 0;
        for (const ParseNistKATs::KatCategory& category : file.categories) {
            const bool decrypt = category.property(decryptSection).has_value();
            const bool known = decrypt || category.property(encryptSection).has_value();
            const std::string prefix =
                file.name + "-" + std::string(decrypt ? decryptSection : encryptSection) + "-";
            for (const ParseNistKATs::KatRecord& record : category.records) {
                ++recordNumber;
                const RecordLedger::RecordPlace place{relativeDirectory, file.name, record.line()};
                if (!known) {
                    RecordLedger::noteDropped(place, RecordLedger::DropReason::unknownSection,
                                              "neither [ENCRYPT] nor [DECRYPT]");
                } else if (std::optional<CtrVector> vector =
                               ctrVector(prefix, decrypt, keyOctets, place, record)) {
                    vector->origin =
                        KatOrigin::recordOrigin(relativeDirectory, file.name, record, recordNumber);
                    vectors.push_back(std::move(*vector));
                }
            }
        }
    }
    return vectors;
}

RecordLedger::FieldNames ctrFields() noexcept {
    return knownFields;
}

std::vector<CtrVector> readVectors(std::size_t keyBits) {
    return KatFiles::readFolders<CtrVector>(katDirectories, countField,
                                            [&](const auto& files, std::string_view directory) {
                                                return ctrVectors(files, keyBits / 8, directory);
                                            });
}

void assertCtrResult(const CtrVector& vector, const zorvan::Bytes& output,
                     const zorvan::Bytes& nextIV) {
    zorvan::testing::assertKnownAnswer(vector.name + ": output", output,
                                       Crypto::hexStringToBS(vector.answerHex), vector.origin);
    if (vector.nextIVHex) {
        zorvan::testing::assertKnownAnswer(vector.name + ": next IV", nextIV,
                                           Crypto::hexStringToBS(*vector.nextIVHex), vector.origin);
    }
}

std::vector<zorvan::testing::Test>
ctrTests(const std::shared_ptr<const Crypto::CipherView>& cipher) {
    std::vector<zorvan::testing::Test> tests;
    for (CtrVector& vector : readVectors(cipher->keyLength())) {
        std::optional<zorvan::Bytes> iv = cipher->readIV(vector.iv);
        if (!iv) {
            RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedIV,
                                      vector.iv.size());
            continue;
        }
        std::shared_ptr<const Crypto::KeyView> key = cipher->buildKey(vector.key);
        if (!key) {
            RecordLedger::noteRefused(vector.origin, RecordLedger::DropReason::refusedKey,
                                      vector.key.size());
            continue;
        }
        RecordLedger::noteTest(vector.origin, ctrFields());
        std::string name = vector.name;
        tests.push_back(
            zorvan::testing::testCase(std::move(name), [vector = std::move(vector),
                                                        iv = std::move(*iv), key = std::move(key)] {
                const auto [output, next] = key->run(Crypto::CipherMode::ctr, vector.decrypt, iv,
                                                     Crypto::hexStringToBS(vector.inputHex));
                assertCtrResult(vector, output, next);
            }));
    }
    return tests;
}

} // namespace Test::AESCTR
